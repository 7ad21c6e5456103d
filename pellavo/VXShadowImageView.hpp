#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {
class ImageView;
}

namespace pellavo {

// An image over a soft shadow made from the image itself: rendered with a margin, shrunk
// to a fifth, blurred on a worker queue and shown enlarged behind the image. Changes of
// the image, blur, size percentage, offsets or content mode, and every layout pass,
// re-render the shadow; until a new one arrives the previous one stays. The image views
// join the view when it first moves into a superview.
class PELLAVO_EXPORT ShadowImageView : public ui::View {
public:
    explicit ShadowImageView(const cg::Rect& frame = {});
    // From an interface file: the decoded frame and the same defaults.
    explicit ShadowImageView(const ns::Coder& coder);
    std::string_view className() const override { return "ShadowImageView"; }

    // Non-finite assignments to the numeric properties are ignored.
    double blurRadius() const { return blurRadius_; }
    void setBlurRadius(double radius);
    // What the image view shows. Setting takes effect one main-queue turn later.
    std::optional<ui::Image> image() const;
    void setImage(std::optional<ui::Image> image);
    // Rounds the image at once; the shadow at its next re-render.
    double imageCornerRaidus() const { return imageCornerRadius_; }
    void setImageCornerRaidus(double radius);
    // Grows the shadow beyond 1.4 × the shown image by this many percent.
    double shadowRadiusOffSetPercentage() const { return shadowPercentage_; }
    void setShadowRadiusOffSetPercentage(double percentage);
    double shadowOffSetByX() const { return shadowOffsetX_; }
    void setShadowOffSetByX(double offset);
    double shadowOffSetByY() const { return shadowOffsetY_; }
    void setShadowOffSetByY(double offset);
    // The shadow's alpha, applied at once.
    double shadowAlpha() const { return shadowAlpha_; }
    void setShadowAlpha(double alpha);

    // The size the image is shown at: fitted into the bounds in aspect-fit mode, else its
    // own size; zero when the image has a side that is not positive.
    cg::Size getRealImageSize(const ui::Image& image) const;

    void setContentMode(ContentMode mode) override;
    void layoutSubviews() override;
    void willMoveToSuperview(const std::shared_ptr<ui::View>& newSuperview) override;

private:
    // A finite value is stored and re-renders the shadow; anything else is ignored.
    void storeAndRelayout(double& field, double value);
    // On the next main-queue turn: a new shadow render, then the frames of both views.
    void layoutShadow();
    void layoutShadowNow();
    // Hands a snapshot of what the shadow is made from to a worker.
    void generateBlurBackground();
    void layoutImageView();
    // A finished render, unless a newer one was installed already.
    void installShadow(std::uint64_t generation, ui::Image shadow);

    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ui::ImageView> blurredImageView_;
    double blurRadius_ = 3;
    double imageCornerRadius_ = 0;
    double shadowPercentage_ = 0;
    double shadowOffsetX_ = 0;
    double shadowOffsetY_ = 0;
    double shadowAlpha_ = 1;
    // Renders are numbered when dispatched; only a newer one replaces the shadow.
    std::uint64_t generation_ = 0;
    std::uint64_t installedGeneration_ = 0;
};

} // namespace pellavo
