// Loading indicators: four spinning arcs (default, custom colours, a fast colour
// drift, one never started) and the bouncing dots, shown where a host's call puts
// them: in the middle of the screen.
#include <memory>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/DotsLoading/DotsLoadingView.hpp"
#include "pellavo/MaterialLoadingIndicator.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo::gallery {

namespace {

const ui::Color kPurple(0.56, 0.27, 0.68, 1);
const ui::Color kTeal(0.0, 0.59, 0.53, 1);

// The indicator in column `column` of four, centred in an 80 pt row, its caption below.
std::shared_ptr<MaterialLoadingIndicator> arc(ui::View& content, int column, double side, const std::string& caption) {
    constexpr double rowTop = 40, rowHeight = 80;
    const double columnWidth = content.bounds().size.width / 4;
    const double x = columnWidth * (column + 0.5) - side / 2;
    auto view = ns::make<MaterialLoadingIndicator>(cg::Rect{x, rowTop + (rowHeight - side) / 2, side, side});
    content.addSubview(view);
    constexpr double captionWidth = 80;
    auto label = ns::make<ui::Label>(cg::Rect{x + (side - captionWidth) / 2, rowTop + rowHeight + 8, captionWidth, 30});
    label->setText(ns::String(caption));
    label->setFont(ui::Font::systemFont(11));
    label->setTextColor(ui::Color(0.45, 1));
    label->setTextAlignment(ns::TextAlignment::center);
    label->setNumberOfLines(2);
    content.addSubview(label);
    return view;
}

void build(ui::View& content) {
    addHeading(content, 12, "MATERIAL LOADING INDICATOR");
    arc(content, 0, 40, "default")->startAnimating();
    auto custom = arc(content, 1, 60, "purple, teal");
    custom->setColors({kPurple, kTeal, kPurple});
    custom->startAnimating();
    auto fast = arc(content, 2, 80, "colours in 3 s");
    fast->setAnimationDurring(3);
    fast->startAnimating();
    arc(content, 3, 40, "not started");

    addHeading(content, 200, "BOUNCING DOTS · centred on the screen");
    // The indicator places itself in the first window's root view; the shell clears it
    // away with the page.
    ns::make<DotsLoadingView>()->show();
}

const PageRegistration registration{{"LoadingIndicators", "Loading indicators", build, 0.7}};

} // namespace

} // namespace pellavo::gallery
