#include "platform/ui/control/PageControl.hpp"

#include <algorithm>
#include <cmath>

#include "platform/cg/Context.hpp"
#include "platform/cg/Path.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/event/Touch.hpp"

namespace pellavo::ui {
namespace {

constexpr double kDotDiameter = 7;
constexpr double kDotPitch = 16;
constexpr double kHeight = 26;
constexpr double kOtherDotAlpha = 0.35;

} // namespace

PageControl::PageControl(const cg::Rect& frame) : Control(frame) {}

void PageControl::setNumberOfPages(int pages) {
    change(numberOfPages_, std::max(pages, 0), Invalidate::display | Invalidate::intrinsicSize,
           [&] { currentPage_ = std::clamp(currentPage_, 0, std::max(numberOfPages_ - 1, 0)); });
}

void PageControl::setCurrentPage(int page) {
    change(currentPage_, std::clamp(page, 0, std::max(numberOfPages_ - 1, 0)), Invalidate::display);
}

cg::Point PageControl::dotCentre(int page) const {
    const cg::Rect b = bounds().standardized();
    const double firstX = b.midX() - (numberOfPages_ - 1) * kDotPitch / 2;
    return {firstX + page * kDotPitch, b.midY()};
}

void PageControl::endTracking(const Touch* touch, const ui::Event* event) {
    Control::endTracking(touch, event);
    if (touch == nullptr || numberOfPages_ == 0) return;
    const cg::Point p = touch->location(this);
    if (!isWithinTouchTolerance(p)) return;
    const double centre = dotCentre(currentPage_).x;
    int page = currentPage_;
    if (p.x < centre) page -= 1;
    if (p.x > centre) page += 1;
    page = std::clamp(page, 0, numberOfPages_ - 1);
    if (page == currentPage_) return;
    setCurrentPage(page);
    sendActions(Event::valueChanged);
}

void PageControl::draw(cg::Rect) {
    cg::Context* context = graphicsGetCurrentContext();
    if (context == nullptr || numberOfPages_ == 0) return;
    // Only the dots that can show: a huge page count costs nothing more.
    const cg::Rect b = bounds().standardized();
    const double firstX = dotCentre(0).x;
    const double from = std::clamp(std::floor((b.minX() - firstX) / kDotPitch) - 1, 0.0, numberOfPages_ - 1.0);
    const double to = std::clamp(std::ceil((b.maxX() - firstX) / kDotPitch) + 1, 0.0, numberOfPages_ - 1.0);
    for (int page = static_cast<int>(from); page <= static_cast<int>(to); ++page) {
        const cg::Point c = dotCentre(page);
        const double alpha = page == currentPage_ ? 1.0 : kOtherDotAlpha;
        context->setFillColor(cg::Color(1, 1, 1, alpha));
        context->addPath(
            cg::Path::ellipse({c.x - kDotDiameter / 2, c.y - kDotDiameter / 2, kDotDiameter, kDotDiameter}));
        context->fillPath();
    }
}

cg::Size PageControl::sizeThatFits(cg::Size) const { return intrinsicContentSize(); }

cg::Size PageControl::intrinsicContentSize() const {
    return {numberOfPages_ > 0 ? (numberOfPages_ - 1) * kDotPitch + kDotDiameter : 0, kHeight};
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<PageControl>("UIPageControl", "UIControl")
        .property<int>("numberOfPages", &PageControl::numberOfPages, &PageControl::setNumberOfPages)
        .property<int>("currentPage", &PageControl::currentPage, &PageControl::setCurrentPage);

} // namespace

} // namespace pellavo::ui
