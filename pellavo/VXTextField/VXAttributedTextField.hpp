#pragma once

#include <functional>
#include <memory>

#include "platform/ns/Export.hpp"
#include "pellavo/VXTextField/VXActiveTextField.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo {

// An active-line field with an info label 2 points below it, as wide as the field, for a
// hint or a validation message: shown with a cross-dissolve, hidden with a fade. The
// label is placed by awakeFromNib; the operations work on it whether or not it is placed.
class PELLAVO_EXPORT VXAttributedTextField : public VXActiveTextField {
public:
    explicit VXAttributedTextField(cg::Rect frame = {});
    explicit VXAttributedTextField(const ns::Coder& coder);
    std::string_view className() const override { return "VXAttributedTextField"; }

    // A plain label made on first access; the host may style it.
    std::shared_ptr<ui::Label> infoLabel();
    // Of the show and the hide; one that is not positive and finite applies them at once.
    double infoAnimationDuration() const { return infoAnimationDuration_; }
    void setInfoAnimationDuration(double seconds) { infoAnimationDuration_ = seconds; }
    // The label's text colour and font size; the size keeps the family, a non-finite
    // one is ignored.
    ui::Color infoTextColor();
    void setInfoTextColor(ui::Color color);
    double infoFontSize();
    void setInfoFontSize(double size);

    // Leave the label opaque with the text, cross-dissolving when animated, also while
    // a hide's fade is running.
    void showInfo(const ns::AttributedString& text, bool animated);
    void showInfo(const ns::String& text, bool animated);
    // Fades the label out; its text stays.
    void hideInfo(bool animated);

    void awakeFromNib() override;

private:
    void plugLabelIfNeeded();
    // Stops a running fade, then sets alpha 1 and the text, in a cross-dissolve when animated.
    void show(bool animated, std::function<void(ui::Label&)> setText);
    static bool registerWithRuntime();

    std::shared_ptr<ui::Label> infoLabel_;
    double infoAnimationDuration_ = 1.0;
    static const bool registered_;
};

} // namespace pellavo
