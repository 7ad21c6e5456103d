#pragma once

#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/control/ControlStateTable.hpp"
#include "platform/ui/graphics/Image.hpp"

namespace pellavo::ui {

class ImageView;

// A thumb dragged along a track between a minimum and a maximum value. Without
// images it draws a 2-pt round-ended track (tint, then light grey) and a white
// 28-pt disc with a soft shadow.
class PELLAVO_EXPORT Slider : public Control {
public:
    explicit Slider(const cg::Rect& frame = {});
    std::string_view className() const override { return "UISlider"; }

    // ---- values; NaN is ignored, the value is kept within the range
    float value() const { return value_; }
    void setValue(float value);
    float minimumValue() const { return minimumValue_; }
    // Raises the maximum when set above it.
    void setMinimumValue(float value);
    float maximumValue() const { return maximumValue_; }
    // Lowers the minimum when set below it.
    void setMaximumValue(float value);
    // Whether valueChanged is sent on every change while dragging, or once at the end.
    bool isContinuous() const { return continuous_; }
    void setIsContinuous(bool continuous);

    // ---- images; a template thumb draws in the tint colour, track images stretch
    // horizontally at their own height
    void setThumbImage(std::optional<Image> image, State state);
    std::optional<Image> thumbImage(State state) const;
    // None unless a thumb image was set.
    std::optional<Image> currentThumbImage() const;
    void setMinimumTrackImage(std::optional<Image> image, State state);
    std::optional<Image> minimumTrackImage(State state) const;
    void setMaximumTrackImage(std::optional<Image> image, State state);
    std::optional<Image> maximumTrackImage(State state) const;

    // ---- track colours; setting one drops that track's images
    std::optional<Color> minimumTrackTintColor() const { return minimumTrackTintColor_; }
    void setMinimumTrackTintColor(std::optional<Color> color);
    std::optional<Color> maximumTrackTintColor() const { return maximumTrackTintColor_; }
    void setMaximumTrackTintColor(std::optional<Color> color);

    // ---- geometry
    // The track across the bounds, centred vertically, as tall as its images or 2 pt.
    virtual cg::Rect trackRect(const cg::Rect& bounds) const;
    // Thumb centre x = w/2 + (value − min) / (max − min) × (width − w), centred on the track.
    virtual cg::Rect thumbRect(const cg::Rect& bounds, const cg::Rect& trackRect, float value) const;

    // Only a touch on the thumb, grown by a 10-pt grab margin, starts a drag.
    bool beginTracking(const Touch& touch, const ui::Event* event) override;
    bool continueTracking(const Touch& touch, const ui::Event* event) override;
    void endTracking(const Touch* touch, const ui::Event* event) override;
    void cancelTracking(const ui::Event* event) override;

    void setIsEnabled(bool enabled) override;
    void setIsSelected(bool selected) override;
    void setIsHighlighted(bool highlighted) override;
    void layoutSubviews() override;
    void tintColorDidChange() override;
    // (−1, 31).
    cg::Size intrinsicContentSize() const override;

protected:
    void init() override;

private:
    // Puts the current images and colours on the track and thumb views.
    void updateAppearance();
    cg::Size thumbSize() const;
    void finishDrag();

    float value_ = 0;
    float minimumValue_ = 0;
    float maximumValue_ = 1;
    bool continuous_ = true;
    detail::ControlStateTable<Image> thumbImages_;
    detail::ControlStateTable<Image> minimumTrackImages_;
    detail::ControlStateTable<Image> maximumTrackImages_;
    std::optional<Color> minimumTrackTintColor_;
    std::optional<Color> maximumTrackTintColor_;

    std::shared_ptr<ImageView> minimumTrackView_;
    std::shared_ptr<ImageView> maximumTrackView_;
    std::shared_ptr<ImageView> thumbView_;
    // The last template thumb tinted, with the pixels and tint it came from.
    std::shared_ptr<const cg::Image> tintedThumbSource_;
    Color tintedThumbTint_;
    Image tintedThumb_;

    double grabOffset_ = 0;
    bool changedWhileDragging_ = false;
};

} // namespace pellavo::ui
