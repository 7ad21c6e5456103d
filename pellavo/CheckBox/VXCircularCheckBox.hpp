#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "pellavo/CheckBox/VXCircularCheckBoxData.hpp"
#include "platform/ui/control/Control.hpp"

namespace pellavo::ca {
class ShapeLayer;
}

namespace pellavo::ui {
class Label;
}

namespace pellavo {

// A round box with a dot that grows in when checked and shrinks away when not, and an
// optional one-line title to its right. Every tap flips it and sends valueChanged.
// Made in code only, through loadWith: the frame initialiser alone draws nothing.
class PELLAVO_EXPORT VXCircularCheckBox : public ui::Control {
public:
    // Builds the box (and the title) inside `frame` with the look `data`, then shows
    // data.checked with the state animation, sending no event. The look stays fixed.
    static std::shared_ptr<VXCircularCheckBox> loadWith(const cg::Rect& frame, VXCircularCheckBoxData data);

    // An empty control: nothing is drawn until loadWith builds the box.
    explicit VXCircularCheckBox(const cg::Rect& frame);
    std::string_view className() const override { return "VXCircularCheckBox"; }

    bool checked() const { return checked_; }
    // Every set, an equal value included, scales the dot to 1 (checked) or 0 over 0.3 s
    // from the scale shown at that moment.
    void setChecked(bool checked);
    // Flips the state, then sends valueChanged. The box's tap recogniser's action.
    void toggle();

    // A touch the control tracked flips the state wherever it ends.
    void endTracking(const ui::Touch* touch, const ui::Event* event) override;

private:
    void createCheckBox();
    void createLabel();

    static bool registerWithRuntime();
    static const bool registered_;

    VXCircularCheckBoxData data_;
    bool checked_ = false;
    std::shared_ptr<ui::View> checkBox_;
    std::shared_ptr<ca::ShapeLayer> border_;
    std::shared_ptr<ca::ShapeLayer> circle_;
    std::shared_ptr<ui::Label> titleLabel_;
};

} // namespace pellavo
