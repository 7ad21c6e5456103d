#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ui {
class Button;
class View;
class Window;
} // namespace pellavo::ui

namespace pellavo::gallery {

// The gallery's window: its root controller's view holds a 44 pt bar (‹, the title, ›)
// over the content view. The positions it steps through are the index (one tile per
// family of components), then each family's screen (one tile per page), then every
// page, family by family; every page is two taps from the index. ‹ and › (and the
// arrow keys) step; tapping the title goes up: from a page to its family, from a family
// to the index.
class GalleryShell : public ns::Object {
public:
    static constexpr double barHeight = 44;

    explicit GalleryShell(std::shared_ptr<ui::Window> window);
    std::string_view className() const override { return "GalleryShell"; }

    // The families that hold at least one page, as indices into families().
    const std::vector<std::size_t>& shownFamilies() const { return shownFamilies_; }
    int positionCount() const;
    int position() const { return position_; }
    // Clamped to the positions; builds the screen afresh.
    void show(int position);
    // 0 is the index; 1 and on, the screen of the nth shown family.
    void showIndex(int screen = 0) { show(screen); }
    // False when no page has the id.
    bool showPage(std::string_view id);
    void next() { show(position_ + 1); }
    void previous() { show(position_ - 1); }
    // One level up: a page's family screen, or the index.
    void backToIndex();

    const std::string& title() const { return title_; }
    const std::shared_ptr<ui::View>& content() const { return content_; }

protected:
    void init() override;

private:
    void buildIndex();
    void buildFamily(std::size_t shown);
    // A tile of the index or of a family screen: its tag is the position it opens.
    void openTile(ui::Button& tile);
    std::shared_ptr<ui::Button> makeTile(cg::Rect frame, int position);

    std::shared_ptr<ui::Window> window_;
    // The window's root view: the bar, the content and whatever a page placed there.
    std::shared_ptr<ui::View> rootView_;
    std::shared_ptr<ui::View> bar_;
    std::shared_ptr<ui::View> content_;
    std::shared_ptr<ui::Button> titleButton_;
    std::shared_ptr<ui::Button> previousButton_;
    std::shared_ptr<ui::Button> nextButton_;
    std::string title_;
    int position_ = 0;
    std::vector<std::size_t> shownFamilies_;
    // Indices into pages(), in the order of the positions: family by family.
    std::vector<std::size_t> pageOrder_;
};

} // namespace pellavo::gallery
