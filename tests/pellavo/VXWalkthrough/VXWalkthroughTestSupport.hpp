#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pellavo/VXWalkthrough/VXWalkthroughPage.hpp"
#include "pellavo/VXWalkthrough/VXWalkthroughPageViewController.hpp"
#include "pellavo/VXWalkthrough/VXWalkthroughViewController.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::testing {

// A page that logs every report, and may act while it hears one.
class RecordingPage : public ui::ViewController, public VXWalkthroughPage {
public:
    std::string_view className() const override { return "RecordingWalkthroughPage"; }
    void walkthroughDidScroll(double to, double offset) override {
        reports.emplace_back(to, offset);
        if (onReport) onReport();
    }
    std::vector<std::pair<double, double>> reports;
    std::function<void()> onReport;
};

class RecordingDelegate : public VXWalkthroughViewControllerDelegate {
public:
    void walkthroughCloseButtonPressed() override { events.push_back("close"); }
    void walkthroughNextButtonPressed() override { events.push_back("next"); }
    void walkthroughPrevButtonPressed() override { events.push_back("prev"); }
    void walkthroughPageDidChange(int page) override { events.push_back("page " + std::to_string(page)); }
    std::vector<std::string> events;
};

// A page whose view, decoded as from an interface file, already holds `count` coloured
// 295 × 40 bars tagged 1, 2, 3…, so that loading records a speed for each.
inline std::shared_ptr<VXWalkthroughPageViewController> pageWithSubviews(std::size_t count,
                                                                         ui::Color background = ui::Color::black()) {
    auto root = ns::make<ui::View>(cg::Rect{0, 0, 375, 667});
    root->setBackgroundColor(background);
    for (std::size_t i = 0; i < count; ++i) {
        auto subview = ns::make<ui::View>(cg::Rect{40, 120 + 120 * static_cast<double>(i), 295, 40});
        subview->setBackgroundColor(ui::Color(0.2 + 0.3 * static_cast<double>(i), 0.8, 0.4, 1));
        subview->setTag(static_cast<int>(i) + 1);
        root->addSubview(subview);
    }
    ns::Coder coder;
    coder.encode(ns::Coder::viewKey, std::static_pointer_cast<ns::Object>(root));
    return ns::make<VXWalkthroughPageViewController>(coder);
}

} // namespace pellavo::testing
