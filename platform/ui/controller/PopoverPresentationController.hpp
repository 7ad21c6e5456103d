#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ui {

class BarButtonItem;
class View;

// The sides a pop-over's arrow may point to, as a bit set.
enum class PopoverArrowDirection : unsigned { up = 1, down = 2, left = 4, right = 8, any = 15 };

constexpr PopoverArrowDirection operator|(PopoverArrowDirection a, PopoverArrowDirection b) {
    return static_cast<PopoverArrowDirection>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// Where an action sheet would point on a large screen. The values are kept for hosts
// that set them; at phone size the sheet ignores them.
class PELLAVO_EXPORT PopoverPresentationController : public ns::Object {
public:
    std::string_view className() const override { return "UIPopoverPresentationController"; }

    // Held weakly.
    std::shared_ptr<View> sourceView() const { return sourceView_.lock(); }
    void setSourceView(const std::shared_ptr<View>& view) { sourceView_ = view; }
    cg::Rect sourceRect() const { return sourceRect_; }
    void setSourceRect(const cg::Rect& rect) { sourceRect_ = rect; }
    // Held weakly.
    std::shared_ptr<BarButtonItem> barButtonItem() const { return barButtonItem_.lock(); }
    void setBarButtonItem(const std::shared_ptr<BarButtonItem>& item) { barButtonItem_ = item; }
    PopoverArrowDirection permittedArrowDirections() const { return permittedArrowDirections_; }
    void setPermittedArrowDirections(PopoverArrowDirection directions) { permittedArrowDirections_ = directions; }

private:
    std::weak_ptr<View> sourceView_;
    cg::Rect sourceRect_;
    std::weak_ptr<BarButtonItem> barButtonItem_;
    PopoverArrowDirection permittedArrowDirections_ = PopoverArrowDirection::any;
};

} // namespace pellavo::ui
