#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "pellavo/VXTextField/VXBorderedTextField.hpp"

namespace pellavo {

// A bordered field with a second underline over the first: it grows from the left end
// to the right end when editing begins and shrinks back when editing ends.
class PELLAVO_EXPORT VXActiveTextField : public VXBorderedTextField {
public:
    explicit VXActiveTextField(cg::Rect frame = {});
    explicit VXActiveTextField(const ns::Coder& coder);
    std::string_view className() const override { return "VXActiveTextField"; }

    // Clear while the active line has no colour; it is drawn only once one is set.
    ui::Color activeLineColor() const;
    void setActiveLineColor(ui::Color color);
    // A non-finite width is ignored.
    double activeLineWidth() const;
    void setActiveLineWidth(double width);
    // Of the grow and of the shrink. Stored as given; one that is not positive and
    // finite runs the platform's 0.25 s.
    double animationDuration() const { return animationDuration_; }
    void setAnimationDuration(double seconds) { animationDuration_ = seconds; }

    void awakeFromNib() override;

private:
    void configureActiveLine();
    // Actions, reached by selector from this field's editing notifications.
    void textFieldDidEndEditing();
    void textFieldDidBeginEditing();
    static bool registerWithRuntime();

    std::shared_ptr<Line> activeLine_;
    double animationDuration_ = 1.0;
    bool wired_ = false;
    static const bool registered_;
};

} // namespace pellavo
