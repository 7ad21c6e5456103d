#include "pellavo/SnakePageControl.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/ca/Layer.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"

namespace pellavo {

namespace {

// More dots than any screen can show; a larger count still builds only these.
constexpr int maximumBuiltPages = 10'000;

} // namespace

// Both initialisers store the same defaults: the frame one goes through a coder.
SnakePageControl::SnakePageControl(const cg::Rect& frame)
    : SnakePageControl(ns::Coder::with(ns::Coder::frameKey, frame)) {}

SnakePageControl::SnakePageControl(const ns::Coder& coder) : ui::View(coder) {}

// ------------------------------------------------------------------ settings
// No setter skips an equal value: writing the same progress puts back an active dot
// the host moved sideways, writing the same radius lays every dot out again.

void SnakePageControl::setPageCount(int pageCount) {
    pageCount_ = pageCount;
    updateNumberOfPages(pageCount);
}

void SnakePageControl::setProgress(double progress) {
    progress_ = progress;
    layoutActivePageIndicator(progress);
}

int SnakePageControl::currentPage() const {
    if (std::isnan(progress_)) return 0;
    const double page = std::round(progress_);
    if (page >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (page <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(page);
}

void SnakePageControl::setActiveTint(ui::Color tint) {
    activeTint_ = tint;
    activeLayer()->setBackgroundColor(tint.cgColor());
}

void SnakePageControl::setInactiveTint(ui::Color tint) {
    inactiveTint_ = tint;
    for (const auto& dot : inactiveLayers_) dot->setBackgroundColor(tint.cgColor());
}

void SnakePageControl::setIndicatorPadding(double padding) {
    if (!std::isfinite(padding)) return;
    indicatorPadding_ = padding;
    layoutAll();
}

void SnakePageControl::setIndicatorRadius(double radius) {
    if (!std::isfinite(radius)) return;
    indicatorRadius_ = radius;
    layoutAll();
}

// ------------------------------------------------------------------ layout

double SnakePageControl::radius() const { return std::max(0.0, indicatorRadius_); }

const std::shared_ptr<ca::Layer>& SnakePageControl::activeLayer() {
    if (!activeLayer_) {
        const double r = radius();
        activeLayer_ = ns::make<ca::Layer>();
        activeLayer_->setFrame({0, 0, 2 * r, 2 * r});
        activeLayer_->setBackgroundColor(activeTint_.cgColor());
        activeLayer_->setCornerRadius(r);
        // The dot jumps to each progress; only its corner radius and colour animate.
        activeLayer_->setActions({{"bounds", nullptr}, {"frame", nullptr}, {"position", nullptr}});
    }
    return activeLayer_;
}

void SnakePageControl::updateNumberOfPages(int count) {
    const auto built = static_cast<std::size_t>(std::clamp(count, 0, maximumBuiltPages));
    if (inactiveLayers_.size() == built) return;
    for (const auto& dot : inactiveLayers_) dot->removeFromSuperlayer();
    inactiveLayers_.clear();
    inactiveLayers_.reserve(built);
    for (std::size_t i = 0; i < built; ++i) {
        auto dot = ns::make<ca::Layer>();
        dot->setBackgroundColor(inactiveTint_.cgColor());
        layer()->addSublayer(dot);
        inactiveLayers_.push_back(std::move(dot));
    }
    layoutInactivePageIndicators();
    // Added again, the active dot moves above the new ones. It stays in the tree with
    // no pages, hidden, and shows again with the next row.
    layer()->addSublayer(activeLayer());
    activeLayer_->setIsHidden(inactiveLayers_.empty());
    layoutActivePageIndicator(progress_);
    invalidateIntrinsicContentSize();
}

void SnakePageControl::layoutInactivePageIndicators() {
    const double r = radius();
    double x = 0;
    for (const auto& dot : inactiveLayers_) {
        dot->setCornerRadius(r);
        dot->setFrame({x, 0, 2 * r, 2 * r});
        x += 2 * r + indicatorPadding_;
    }
}

void SnakePageControl::layoutActivePageIndicator(double progress) {
    // In double, so that neither INT_MIN − 1 nor a count past the built dots matters.
    const double lastPage = static_cast<double>(std::min(pageCount_, maximumBuiltPages)) - 1;
    if (std::isnan(progress) || progress < 0 || progress > lastPage) return;
    const double r = radius();
    const double stretch = std::fabs(std::round(progress) - progress);
    const auto& dot = activeLayer();
    dot->setCornerRadius(r);
    dot->setFrame({(2 * r + indicatorPadding_) * progress, dot->frame().origin.y,
                   2 * r + 2 * stretch * indicatorPadding_, 2 * r});
}

void SnakePageControl::layoutAll() {
    layoutInactivePageIndicators();
    layoutActivePageIndicator(progress_);
    invalidateIntrinsicContentSize();
}

// ------------------------------------------------------------------ size

cg::Size SnakePageControl::sizeThatFits(cg::Size size) const {
    (void)size;
    const double r = radius();
    const auto n = static_cast<double>(inactiveLayers_.size());
    const double width = n == 0 ? 0 : std::max(0.0, n * 2 * r + (n - 1) * indicatorPadding_);
    return {width, 2 * r};
}

cg::Size SnakePageControl::intrinsicContentSize() const { return sizeThatFits(cg::Size{0, 0}); }

// ------------------------------------------------------------------ runtime

// Creatable by name, its settings by key through the same setters, as interface files need.
using C = SnakePageControl;
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<C>("SnakePageControl", "UIView")
        .property<int>("pageCount", &C::pageCount, &C::setPageCount)
        .property<double>("progress", &C::progress, &C::setProgress)
        .property<ui::Color>("activeTint", &C::activeTint, &C::setActiveTint)
        .property<ui::Color>("inactiveTint", &C::inactiveTint, &C::setInactiveTint)
        .property<double>("indicatorPadding", &C::indicatorPadding, &C::setIndicatorPadding)
        .property<double>("indicatorRadius", &C::indicatorRadius, &C::setIndicatorRadius);

} // namespace pellavo
