#include "platform/ui/control/ImageView.hpp"

#include "platform/ca/Layer.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/graphics/ImageEffects.hpp"

namespace pellavo::ui {

ImageView::ImageView(const cg::Rect& frame) : View(frame) { setIsUserInteractionEnabled(false); }

ImageView::ImageView(std::optional<Image> image)
    : View(image && !image->isEmpty() ? cg::Rect{{0, 0}, image->size()} : cg::Rect{}) {
    setIsUserInteractionEnabled(false);
    if (image && !image->isEmpty()) image_ = std::move(image);
}

void ImageView::init() {
    View::init();
    updateContents();
}

void ImageView::setImage(std::optional<Image> image) {
    if (image && image->isEmpty()) image.reset();
    change(image_, std::move(image), Invalidate::intrinsicSize, [&] { updateContents(); });
}

void ImageView::updateContents() {
    ca::Layer& layer = *this->layer();
    if (!image_) {
        layer.setContents(nullptr);
        return;
    }
    Image shown = *image_;
    if (image_->renderingMode() == Image::RenderingMode::alwaysTemplate) {
        const Color tint = tintColor();
        if (!tintCache_ || tintCache_->source != image_->cgImage() || !(tintCache_->tint == tint) ||
            tintCache_->tinted.scale() != image_->scale())
            tintCache_ = TintCache{image_->cgImage(), tint, detail::tintedImage(*image_, tint)};
        shown = tintCache_->tinted;
    } else {
        tintCache_.reset();
    }
    layer.setContentsScale(shown.scale());
    layer.setContents(shown.cgImage());
}

cg::Size ImageView::intrinsicContentSize() const {
    if (!image_) return {-1, -1};
    return image_->size();
}

cg::Size ImageView::sizeThatFits(cg::Size) const {
    if (!image_) return bounds().size;
    return image_->size();
}

void ImageView::tintColorDidChange() {
    View::tintColorDidChange();
    if (image_ && image_->renderingMode() == Image::RenderingMode::alwaysTemplate) updateContents();
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<ImageView>("UIImageView", "UIView")
        .property<std::optional<Image>>("image", &ImageView::image, &ImageView::setImage);

} // namespace

} // namespace pellavo::ui
