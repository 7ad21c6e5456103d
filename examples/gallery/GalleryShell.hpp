#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "examples/gallery/Gallery.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ui {
class Button;
class View;
class Window;
} // namespace pellavo::ui

namespace pellavo::gallery {

// The gallery's window: its root controller's view holds a 44 pt bar (‹, the title, ›)
// over the content view. The positions it steps through are the index screens, 12 page
// buttons each, then every page in order; ‹ and › (and the arrow keys) step, tapping a
// page's title goes back to the index screen that lists it.
class GalleryShell : public ns::Object {
public:
    static constexpr int pagesPerScreen = 12;
    static constexpr double barHeight = 44;

    explicit GalleryShell(std::shared_ptr<ui::Window> window);
    std::string_view className() const override { return "GalleryShell"; }

    int indexScreenCount() const;
    int positionCount() const;
    int position() const { return position_; }
    // Clamped to the positions; builds the screen afresh.
    void show(int position);
    void showIndex(int screen = 0) { show(screen); }
    // False when no page has the id.
    bool showPage(std::string_view id);
    void next() { show(position_ + 1); }
    void previous() { show(position_ - 1); }
    // The index screen listing the page shown, or the first.
    void backToIndex();

    const std::string& title() const { return title_; }
    const std::shared_ptr<ui::View>& content() const { return content_; }

protected:
    void init() override;

private:
    void buildIndex(int screen);
    // A page button of the index: its tag is the position it opens.
    void openTile(ui::Button& tile);

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
};

} // namespace pellavo::gallery
