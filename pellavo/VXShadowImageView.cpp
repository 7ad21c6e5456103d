#include "pellavo/VXShadowImageView.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/ca/Layer.hpp"
#include "platform/ci/Context.hpp"
#include "platform/ci/GaussianBlur.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"

namespace pellavo {

namespace {

// The shadow's container is this much larger than the shown image, which sits centred
// in it; the container is rendered at a fifth of its size before the blur.
constexpr double kShadowScale = 1.4;
constexpr double kMargin = (kShadowScale - 1) / 2;
constexpr double kReduction = 0.2;

// Everything a render reads, copied on the main thread when it is dispatched: the
// worker sees no view and no value the main thread may change meanwhile.
struct ShadowRecipe {
    ui::Image image; // its pixels are immutable and shared
    double width = 0;
    double height = 0;
    double cornerRadius = 0;
    double blurRadius = 0;
};

// The layer rendered into a scale-1 bitmap of its frame size; empty when no context can
// be made for that size.
ui::Image imageFromLayer(const ca::Layer& layer) {
    ui::graphicsBeginImageContext(layer.frame().size);
    ui::Image taken;
    if (cg::Context* context = ui::graphicsGetCurrentContext()) {
        layer.render(*context);
        taken = ui::graphicsGetImageFromCurrentImageContext();
    }
    ui::graphicsEndImageContext();
    if (!taken.cgImage()) return {};
    return ui::Image(taken.cgImage(), 1);
}

// The blurred shadow for a recipe, or none when a step has nothing to give. Runs on any
// thread: the layers it builds are its own and die with it.
std::optional<ui::Image> renderShadow(const ShadowRecipe& recipe) {
    const double w = recipe.width;
    const double h = recipe.height;
    auto container = ns::make<ca::Layer>();
    container->setFrame({0, 0, kShadowScale * w, kShadowScale * h});
    container->setBackgroundColor(cg::Color(0, 0, 0, 0));
    auto imageLayer = ns::make<ca::Layer>();
    imageLayer->setFrame({kMargin * w, kMargin * h, w, h});
    imageLayer->setContents(recipe.image.cgImage());
    imageLayer->setCornerRadius(recipe.cornerRadius);
    imageLayer->setMasksToBounds(true);
    container->addSublayer(imageLayer);
    const ui::Image rendered = imageFromLayer(*container);
    if (rendered.isEmpty()) return std::nullopt;

    const cg::Size reducedSize{rendered.size().width * kReduction, rendered.size().height * kReduction};
    ui::graphicsBeginImageContextWithOptions(reducedSize, false, rendered.scale());
    rendered.draw({{0, 0}, reducedSize});
    const ui::Image reduced = ui::graphicsGetImageFromCurrentImageContext();
    ui::graphicsEndImageContext();
    if (reduced.isEmpty()) return std::nullopt;

    const std::optional<ci::Image> input = reduced.ciImage();
    if (!input) return std::nullopt;
    ci::GaussianBlur blur;
    blur.setInputImage(*input);
    blur.setRadius(recipe.blurRadius);
    const std::optional<ci::Image> output = blur.outputImage();
    if (!output) return std::nullopt;
    // Over the input's extent: the border the blur grows is cut off.
    auto pixels = ci::Context().createImage(*output, input->extent());
    if (!pixels) return std::nullopt;
    return ui::Image(std::move(pixels), 1);
}

bool isPositive(cg::Size size) { return size.width > 0 && size.height > 0; }

} // namespace

ShadowImageView::ShadowImageView(const cg::Rect& frame)
    : ShadowImageView(ns::Coder::with(ns::Coder::frameKey, frame)) {}

ShadowImageView::ShadowImageView(const ns::Coder& coder)
    : ui::View(coder), imageView_(ns::make<ui::ImageView>()), blurredImageView_(ns::make<ui::ImageView>()) {}

// ------------------------------------------------------------------ settings

void ShadowImageView::storeAndRelayout(double& field, double value) {
    if (!std::isfinite(value)) return;
    field = value;
    layoutShadow();
}

void ShadowImageView::setBlurRadius(double radius) { storeAndRelayout(blurRadius_, radius); }

std::optional<ui::Image> ShadowImageView::image() const { return imageView_->image(); }

void ShadowImageView::setImage(std::optional<ui::Image> image) {
    const auto self = weakFromThis<ShadowImageView>().lock();
    if (!self) return;
    dispatch::Queue::main().async([self, image = std::move(image)]() mutable {
        self->imageView_->setImage(std::move(image));
        self->layoutShadow();
    });
}

void ShadowImageView::setImageCornerRaidus(double radius) {
    if (!std::isfinite(radius)) return;
    imageCornerRadius_ = radius;
    imageView_->layer()->setCornerRadius(radius);
    imageView_->layer()->setMasksToBounds(true);
}

void ShadowImageView::setShadowRadiusOffSetPercentage(double percentage) {
    storeAndRelayout(shadowPercentage_, percentage);
}

void ShadowImageView::setShadowOffSetByX(double offset) { storeAndRelayout(shadowOffsetX_, offset); }

void ShadowImageView::setShadowOffSetByY(double offset) { storeAndRelayout(shadowOffsetY_, offset); }

void ShadowImageView::setShadowAlpha(double alpha) {
    if (!std::isfinite(alpha)) return;
    shadowAlpha_ = alpha;
    blurredImageView_->setAlpha(alpha);
}

cg::Size ShadowImageView::getRealImageSize(const ui::Image& image) const {
    const cg::Size size = image.size();
    if (!isPositive(size)) return {0, 0};
    if (contentMode() != ContentMode::scaleAspectFit) return size;
    const cg::Size box = bounds().size;
    const double k = std::min(box.width / size.width, box.height / size.height);
    if (!std::isfinite(k)) return {0, 0};
    return {size.width * k, size.height * k};
}

// ------------------------------------------------------------------ view

void ShadowImageView::setContentMode(ContentMode mode) {
    ui::View::setContentMode(mode);
    layoutShadow();
}

void ShadowImageView::layoutSubviews() {
    ui::View::layoutSubviews();
    layoutShadow();
}

void ShadowImageView::willMoveToSuperview(const std::shared_ptr<ui::View>& newSuperview) {
    ui::View::willMoveToSuperview(newSuperview);
    setBackgroundColor(ui::Color::clear());
    if (newSuperview) layoutImageView();
}

void ShadowImageView::layoutImageView() {
    imageView_->setImage(imageView_->image());
    imageView_->setFrame(bounds());
    imageView_->layer()->setCornerRadius(imageCornerRadius_);
    imageView_->layer()->setMasksToBounds(true);
    imageView_->setContentMode(contentMode());
    addSubview(imageView_);
    addSubview(blurredImageView_);
    sendSubviewToBack(blurredImageView_);
}

// ------------------------------------------------------------------ the shadow

void ShadowImageView::layoutShadow() {
    const auto self = weakFromThis<ShadowImageView>().lock();
    if (!self) return;
    dispatch::Queue::main().async([self] { self->layoutShadowNow(); });
}

void ShadowImageView::layoutShadowNow() {
    generateBlurBackground();
    const std::optional<ui::Image> image = imageView_->image();
    if (!image) return;
    const cg::Size s = getRealImageSize(*image);
    const cg::Point centre{bounds().width() / 2, bounds().height() / 2};
    imageView_->setFrame({{0, 0}, s});
    imageView_->setCenter(centre);
    const double f = (shadowPercentage_ / 100 + 1) * kShadowScale;
    blurredImageView_->setFrame({{0, 0}, {s.width * f, s.height * f}});
    blurredImageView_->setCenter({centre.x + shadowOffsetX_, centre.y + shadowOffsetY_});
    blurredImageView_->setContentMode(contentMode());
    blurredImageView_->setAlpha(shadowAlpha_);
}

void ShadowImageView::generateBlurBackground() {
    const std::optional<ui::Image> image = imageView_->image();
    if (!image) return;
    const cg::Size s = getRealImageSize(*image);
    if (!isPositive(s)) return;
    ShadowRecipe recipe{*image, s.width, s.height, imageCornerRadius_, blurRadius_};
    const std::uint64_t generation = ++generation_;
    // The worker never locks the view: it may only die on the main thread.
    std::weak_ptr<ShadowImageView> weak = weakFromThis<ShadowImageView>();
    dispatch::Queue::global(dispatch::QoS::userInteractive)
        .async([weak = std::move(weak), recipe = std::move(recipe), generation]() mutable {
            std::optional<ui::Image> shadow = renderShadow(recipe);
            if (!shadow) return;
            dispatch::Queue::main().async([weak = std::move(weak), generation, shadow = std::move(*shadow)]() mutable {
                if (const auto self = weak.lock()) self->installShadow(generation, std::move(shadow));
            });
        });
}

void ShadowImageView::installShadow(std::uint64_t generation, ui::Image shadow) {
    if (generation <= installedGeneration_) return;
    installedGeneration_ = generation;
    blurredImageView_->setImage(std::move(shadow));
}

// ------------------------------------------------------------------ runtime

namespace {
using S = ShadowImageView;
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<S>("ShadowImageView", "UIView")
        .property<double>("blurRadius", &S::blurRadius, &S::setBlurRadius)
        .property<double>("imageCornerRaidus", &S::imageCornerRaidus, &S::setImageCornerRaidus)
        .property<double>("shadowRadiusOffSetPercentage", &S::shadowRadiusOffSetPercentage,
                          &S::setShadowRadiusOffSetPercentage)
        .property<double>("shadowOffSetByX", &S::shadowOffSetByX, &S::setShadowOffSetByX)
        .property<double>("shadowOffSetByY", &S::shadowOffSetByY, &S::setShadowOffSetByY)
        .property<double>("shadowAlpha", &S::shadowAlpha, &S::setShadowAlpha)
        .property<std::optional<ui::Image>>("image", &S::image, &S::setImage);
} // namespace

} // namespace pellavo
