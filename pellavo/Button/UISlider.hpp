#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/control/Slider.hpp"

namespace pellavo {

// A slider that tells observers whether a finger is on it (isSliding, observable
// through ns::Runtime), and colours its tracks from its tint.
class PELLAVO_EXPORT Slider : public ui::Slider {
public:
    explicit Slider(const cg::Rect& frame = {});
    std::string_view className() const override { return "Slider"; }

    bool isSliding() const { return isSliding_; }
    // Goes through the runtime, so key-value observers hear every call, also one
    // that does not change the value.
    void setIsSliding(bool sliding);

    // A w × h slider with a white disc thumb 2p across (the circle layer takes p as a
    // radius) and flat 1 × b tracks, white and dark grey. A p or b that is not > 0
    // leaves that image unset.
    static std::shared_ptr<Slider> createSlider(double width, double height, double pointerDiameter,
                                                double barHeight);

    // Minimum track in the tint, maximum track in its darker shade, the thumb drawn as a
    // template in the tint. Replaces the base behaviour entirely.
    void tintColorDidChange() override;

    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

private:
    friend struct SliderRuntime;
    bool isSliding_ = false;
};

} // namespace pellavo
