#include "pellavo/VXImageBrowser/VXImageBrowserViewController.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "pellavo/VXImageBrowser/VXImageBrowserTransition.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/URLRequest.hpp"
#include "platform/ns/URLSession.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/controller/NavigationController.hpp"
#include "platform/ui/gesture/PanGestureRecognizer.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"

namespace pellavo {

namespace {

constexpr double doubleTapSide = 80;
constexpr double minimumMaximumZoom = 2.0;
constexpr double dismissProgress = 0.25;
constexpr double restoreDuration = 0.3;
constexpr double downloadTimeout = 15.0;

VXImageInfo::ImageMode imageModeFor(ui::View::ContentMode mode) {
    // Only aspect fill and aspect fit have an image mode; anything else shows the whole image.
    return VXImageInfo::imageModeFromRawValue(static_cast<int>(mode)).value_or(VXImageInfo::ImageMode::aspectFit);
}

std::shared_ptr<VXTransitionInfo> transitionInfoFor(std::shared_ptr<ui::View> fromView) {
    if (!fromView) return nullptr;
    return std::make_shared<VXTransitionInfo>(std::move(fromView));
}

} // namespace

// ------------------------------------------------------------------ life

VXImageBrowserViewController::VXImageBrowserViewController(VXImageInfo imageInfo)
    : ViewController(std::nullopt, std::nullopt),
      imageInfo_(std::move(imageInfo)),
      imageView_(ns::make<ui::ImageView>()),
      scrollView_(ns::make<ui::ScrollView>()) {}

VXImageBrowserViewController::VXImageBrowserViewController(VXImageInfo imageInfo,
                                                           std::shared_ptr<VXTransitionInfo> transitionInfo)
    : VXImageBrowserViewController(std::move(imageInfo)) {
    transitionInfo_ = std::move(transitionInfo);
}

VXImageBrowserViewController::VXImageBrowserViewController(ui::Image image, ui::View::ContentMode imageMode,
                                                           std::optional<ns::URL> imageHD,
                                                           std::shared_ptr<ui::View> fromView)
    : VXImageBrowserViewController(VXImageInfo(std::move(image), imageModeFor(imageMode), std::move(imageHD)),
                                   transitionInfoFor(std::move(fromView))) {}

VXImageBrowserViewController::~VXImageBrowserViewController() = default;

void VXImageBrowserViewController::init() {
    ViewController::init();
    if (!transitionInfo_) return;
    const auto fromView = transitionInfo_->fromView();
    const auto superview = fromView ? fromView->superview() : nullptr;
    // A thumbnail that is not on screen has no place to fly from: the standard
    // presentation is used, and the info still decides about drag-to-dismiss.
    if (!superview) return;
    setTransitioningDelegate(weakFromThis<VXImageBrowserViewController>());
    setModalPresentationStyle(ui::ModalPresentationStyle::custom);
    transitionInfo_->convertedRect_ = superview->convertTo(fromView->frame(), nullptr);
}

// ------------------------------------------------------------------ loading and layout

void VXImageBrowserViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    view()->setBackgroundColor(ui::Color::black());
    setupScrollView();
    imageView_->setImage(imageInfo_.image);
    // Fill mode already gives the image view the image's proportions.
    imageView_->setContentMode(ui::View::ContentMode::scaleAspectFit);
    scrollView_->addSubview(imageView_);
    setupGesture();
    setupImageHD();
    setEdgesForExtendedLayout(ui::RectEdge::none);
    setAutomaticallyAdjustsScrollViewInsets(false);
}

void VXImageBrowserViewController::setupScrollView() {
    scrollView_->setDelegate(std::static_pointer_cast<ui::ScrollViewDelegate>(
        sharedFromThis<VXImageBrowserViewController>()));
    scrollView_->setMinimumZoomScale(1.0);
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setShowsVerticalScrollIndicator(false);
    view()->addSubview(scrollView_);
}

void VXImageBrowserViewController::viewWillLayoutSubviews() {
    ViewController::viewWillLayoutSubviews();
    const cg::Size size = view()->bounds().size;
    const bool resized = laidOutSize_ != size;
    laidOutSize_ = size;
    if (scrollView_->zoomScale() != 1.0) {
        // Frames set under the zoom would shrink the image view's bounds: an unchanged
        // size keeps the zoom; a new one starts over unzoomed.
        if (!resized) return updateMaximumZoom();
        scrollView_->setZoomScale(1.0, false);
    }
    layoutImage();
}

void VXImageBrowserViewController::layoutImage() {
    const cg::Rect bounds = view()->bounds();
    imageView_->setFrame(imageInfo_.calculateRect(bounds.size));
    scrollView_->setFrame(bounds);
    scrollView_->setContentSize(imageView_->bounds().size);
    updateMaximumZoom();
}

void VXImageBrowserViewController::updateMaximumZoom() {
    // Always from the first image: a downloaded one keeps its frame and limit.
    const cg::Size image = imageInfo_.image.size();
    const cg::Size frame = scrollView_->frame().size;
    if (!(frame.width > 0) || !(frame.height > 0)) return;
    const double limit = std::max({image.width / frame.width, image.height / frame.height, minimumMaximumZoom});
    if (std::isfinite(limit)) scrollView_->setMaximumZoomScale(limit);
}

std::shared_ptr<ui::View> VXImageBrowserViewController::viewForZooming(ui::ScrollView& scrollView) {
    (void)scrollView;
    return imageView_;
}

void VXImageBrowserViewController::scrollViewDidZoom(ui::ScrollView& scrollView) {
    // The zoom already gives that frame; setting it again only adds rounding to the bounds.
    const cg::Rect frame = imageInfo_.calculateRect(scrollView.contentSize());
    if (imageView_->frame() != frame) imageView_->setFrame(frame);
}

// ------------------------------------------------------------------ gestures

void VXImageBrowserViewController::setupGesture() {
    const auto self = sharedFromThis<VXImageBrowserViewController>();
    singleTapRecognizer_ = ns::make<ui::TapGestureRecognizer>();
    singleTapRecognizer_->addTarget(self, ns::Selector("singleTap"));
    doubleTapRecognizer_ = ns::make<ui::TapGestureRecognizer>();
    doubleTapRecognizer_->addTarget(self, ns::Selector("doubleTap:"));
    doubleTapRecognizer_->setNumberOfTapsRequired(2);
    singleTapRecognizer_->requireToFail(doubleTapRecognizer_);
    scrollView_->addGestureRecognizer(singleTapRecognizer_);
    scrollView_->addGestureRecognizer(doubleTapRecognizer_);
    if (transitionInfo_ && transitionInfo_->canSwipe()) {
        panRecognizer_ = ns::make<ui::PanGestureRecognizer>();
        panRecognizer_->addTarget(self, ns::Selector("pan:"));
        panRecognizer_->setDelegate(std::static_pointer_cast<ui::GestureRecognizerDelegate>(self));
        scrollView_->addGestureRecognizer(panRecognizer_);
    }
}

void VXImageBrowserViewController::singleTap() {
    if (const auto navigation = navigationController()) {
        if (!presentingViewController()) return;
        if (navigation->viewControllers().size() > 1) return;
    }
    dismiss(true, {});
}

void VXImageBrowserViewController::doubleTap(ui::TapGestureRecognizer* sender) {
    if (!sender) return;
    if (scrollView_->zoomScale() == 1.0) {
        const cg::Point p = sender->location(scrollView_);
        const double half = doubleTapSide / 2;
        scrollView_->zoom({p.x - half, p.y - half, doubleTapSide, doubleTapSide}, true);
    } else {
        scrollView_->setZoomScale(1.0, true);
    }
}

bool VXImageBrowserViewController::gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) {
    auto* pan = dynamic_cast<ui::PanGestureRecognizer*>(&recognizer);
    if (!pan) return true;
    if (scrollView_->zoomScale() != 1.0) return false;
    if (imageInfo_.imageMode == VXImageInfo::ImageMode::aspectFit) return true;
    // A filled image scrolls; only a rightward start at its left edge drags it away.
    return scrollView_->contentOffset().x <= 0 && pan->translation(view()).x > 0;
}

double VXImageBrowserViewController::panProgress() const {
    if (!panViewOrigin_ || !isViewLoaded()) return 0;
    const cg::Point centre = scrollView_->center();
    const cg::Size size = viewIfLoaded()->bounds().size;
    const double x = size.width > 0 ? std::abs(centre.x - panViewOrigin_->x) / size.width : 0;
    const double y = size.height > 0 ? std::abs(centre.y - panViewOrigin_->y) / size.height : 0;
    const double progress = std::max(x, y);
    return std::isfinite(progress) ? progress : 0;
}

void VXImageBrowserViewController::pan(ui::PanGestureRecognizer* sender) {
    if (!sender || !isViewLoaded()) return;
    const auto root = view();
    switch (sender->state()) {
    case ui::GestureRecognizer::State::began:
        ++dragCount_;
        panViewOrigin_ = scrollView_->center();
        break;
    case ui::GestureRecognizer::State::changed: {
        if (!panViewOrigin_) {
            ++dragCount_;
            panViewOrigin_ = scrollView_->center();
        }
        const cg::Point move = sender->translation(root);
        const cg::Point centre = scrollView_->center();
        scrollView_->setCenter({centre.x + move.x, centre.y + move.y});
        panViewAlpha_ = 1 - panProgress();
        root->setBackgroundColor(ui::Color(0, panViewAlpha_));
        sender->setTranslation({0, 0}, root);
        break;
    }
    case ui::GestureRecognizer::State::ended:
        if (panViewOrigin_ && panProgress() > dismissProgress) {
            dismiss(true, {});
        } else {
            restorePan();
        }
        break;
    default:
        restorePan();
        break;
    }
}

void VXImageBrowserViewController::restorePan() {
    const auto root = view();
    const auto origin = panViewOrigin_;
    const auto scrollView = scrollView_;
    const std::weak_ptr<VXImageBrowserViewController> weak = weakFromThis<VXImageBrowserViewController>();
    const std::uint64_t drag = dragCount_;
    ui::View::animate(
        restoreDuration,
        [root, scrollView, origin] {
            if (origin) scrollView->setCenter(*origin);
            root->setBackgroundColor(ui::Color(0, 1));
        },
        [weak, drag](bool) {
            const auto self = weak.lock();
            // A drag that began since owns the state now.
            if (!self || self->dragCount_ != drag) return;
            self->panViewOrigin_.reset();
            self->panViewAlpha_ = 1.0;
        });
}

// ------------------------------------------------------------------ download

void VXImageBrowserViewController::setupImageHD() {
    if (!imageInfo_.imageHD) return;
    const ns::URLRequest request(*imageInfo_.imageHD, ns::URLRequest::CachePolicy::reloadIgnoringLocalCacheData,
                                 downloadTimeout);
    if (!session_) session_ = ns::URLSession::make(ns::URLSessionConfiguration::ephemeral());
    // The request holds the browser until it ends, on screen or not.
    const auto task = session_->dataTask(
        request, [self = sharedFromThis<VXImageBrowserViewController>()](
                     std::optional<ns::Data> data, std::shared_ptr<const ns::HTTPURLResponse>, std::optional<ns::Error>) {
            if (!data || data->count() == 0) return;
            const ui::Image image = ui::Image::fromData(data->bytes());
            if (image.isEmpty()) return;
            self->imageView_->setImage(image);
            self->view()->layoutIfNeeded();
        });
    task->resume();
}

// ------------------------------------------------------------------ transition

std::shared_ptr<ui::ViewControllerAnimatedTransitioning> VXImageBrowserViewController::animationControllerForPresented(
    const std::shared_ptr<ui::ViewController>& presented, const std::shared_ptr<ui::ViewController>& presenting,
    const std::shared_ptr<ui::ViewController>& source) {
    (void)presented;
    (void)presenting;
    (void)source;
    if (!transitionInfo_) return nullptr;
    return ns::make<VXImageBrowserTransition>(imageInfo_, transitionInfo_,
                                              VXImageBrowserTransition::TransitionMode::present);
}

std::shared_ptr<ui::ViewControllerAnimatedTransitioning> VXImageBrowserViewController::animationControllerForDismissed(
    const std::shared_ptr<ui::ViewController>& dismissed) {
    (void)dismissed;
    if (!transitionInfo_) return nullptr;
    return ns::make<VXImageBrowserTransition>(imageInfo_, transitionInfo_,
                                              VXImageBrowserTransition::TransitionMode::dismiss);
}

// ------------------------------------------------------------------ runtime

bool VXImageBrowserViewController::registerWithRuntime() {
    using Self = VXImageBrowserViewController;
    // No factory: the browser cannot be made without its image.
    ns::ClassRegistration<Self>("VXImageBrowserViewController", "UIViewController")
        .action(ns::Selector("singleTap"), &Self::singleTap)
        .action(ns::Selector("doubleTap:"), &Self::doubleTap)
        .action(ns::Selector("pan:"), &Self::pan);
    return true;
}

const bool VXImageBrowserViewController::registeredWithRuntime_ = registerWithRuntime();

} // namespace pellavo
