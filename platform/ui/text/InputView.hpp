#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

// A plain view in the keyboard's grey: the root view of an input view controller,
// and what an input view is usually built on.
class PELLAVO_EXPORT InputView : public View {
public:
    // The grey of the keyboard's own panel.
    static Color keyboardBackgroundColor() { return {0.82, 0.83, 0.86, 1}; }

    explicit InputView(const cg::Rect& frame = {});
    // From an interface file: a view's frame and subviews, on the keyboard grey
    // (the file's own backgroundColor, set afterwards, wins).
    explicit InputView(const ns::Coder& coder);
    std::string_view className() const override { return "UIInputView"; }
};

} // namespace pellavo::ui
