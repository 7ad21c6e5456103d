#include "pellavo/DotsLoading/DotsLoadingView.hpp"

#include "pellavo/DotsLoading/DotView.hpp"
#include "pellavo/DotsLoading/UIColor+hex.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/view/ViewPropertyAnimator.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo {

DotsLoadingView::DotsLoadingView(std::optional<std::vector<ui::Color>> colors)
    : ui::View(cg::Rect{0, 0, 150, 100}), myBlue_(uicolor::hexStr("#4284F7", 1.0)),
      myRed_(uicolor::hexStr("#F74239", 1.0)), myYellow_(uicolor::hexStr("#FDBC02", 1.0)),
      myGreen_(uicolor::hexStr("#4AB552", 1.0)) {
    setBackgroundColor(ui::Color::clear());
    if (colors && colors->size() == 4) {
        colors_ = std::move(*colors);
        return;
    }
    if (colors) ns::print("You can set custom colors only if you set four colors.");
    colors_ = {myBlue_, myRed_, myYellow_, myGreen_};
}

void DotsLoadingView::show() {
    const auto& windows = ui::Application::shared().windows();
    const auto root = windows.empty() ? nullptr : windows.front()->rootViewController();
    const auto rootView = root ? root->view() : nullptr;
    if (!rootView) {
        ns::print("Cannot show DotsLoadingView.");
        return;
    }
    ++showCount_;
    rootView->addSubview(sharedFromThis<DotsLoadingView>());
    setCenter(rootView->center());
    startAnimation();
}

void DotsLoadingView::startAnimation() {
    for (std::size_t i = 0; i < colors_.size(); ++i) {
        const cg::Size size = frame().size;
        auto dot = ns::make<DotView>(colors_[i], static_cast<double>(i) * delay_,
                                     cg::Rect{0, 0, 1.0 * length_, 1.0 * length_});
        dot->setCenter({size.width * 0.125 + static_cast<double>(i) * size.width * 0.25, size.height * 0.5});
        dots_.push_back(dot);
        addSubview(dot);
    }
}

void DotsLoadingView::stop() {
    for (const auto& dot : dots_) dot->endChain();
    const std::weak_ptr<DotsLoadingView> weak = weakFromThis<DotsLoadingView>();
    const std::uint64_t shownAt = showCount_;
    auto animator = ui::ViewPropertyAnimator::make(0.5, ui::ViewAnimationCurve::easeInOut, [weak] {
        if (const auto self = weak.lock())
            for (const auto& dot : self->dots_) dot->setAlpha(0);
    });
    animator->addCompletion([weak, shownAt](ui::ViewAnimatingPosition) {
        const auto self = weak.lock();
        if (self && self->showCount_ == shownAt) self->removeFromSuperview();
    });
    animator->startAnimation();
}

} // namespace pellavo
