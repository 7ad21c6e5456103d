#pragma once

#include <algorithm>
#include <memory>
#include <optional>

#include "pellavo/VXImageBrowser/VXImageBrowserViewController.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/gesture/PanGestureRecognizer.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo {

struct VXImageBrowserTestAccess {
    using Browser = VXImageBrowserViewController;
    static const std::shared_ptr<ui::ScrollView>& scrollView(const Browser& b) { return b.scrollView_; }
    static const std::shared_ptr<ui::ImageView>& imageView(const Browser& b) { return b.imageView_; }
    static const std::shared_ptr<ui::TapGestureRecognizer>& singleTap(const Browser& b) {
        return b.singleTapRecognizer_;
    }
    static const std::shared_ptr<ui::TapGestureRecognizer>& doubleTap(const Browser& b) {
        return b.doubleTapRecognizer_;
    }
    static const std::shared_ptr<ui::PanGestureRecognizer>& pan(const Browser& b) { return b.panRecognizer_; }
    static std::optional<cg::Point> panViewOrigin(const Browser& b) { return b.panViewOrigin_; }
    static double panViewAlpha(const Browser& b) { return b.panViewAlpha_; }
    static bool hasSession(const Browser& b) { return b.session_ != nullptr; }
    static std::optional<cg::Rect> convertedRect(const VXTransitionInfo& info) { return info.convertedRect_; }
};

namespace testing {

using Access = VXImageBrowserTestAccess;
using Browser = VXImageBrowserViewController;
using Mode = VXImageInfo::ImageMode;

// A picture of `size` points: a diagonal gradient with a grid, drawn small (the
// geometry only needs the size).
inline ui::Image drawnImage(cg::Size size, double scale = 0) {
    if (scale <= 0) scale = std::min(1.0, 64.0 / std::max(size.width, size.height));
    ui::graphicsBeginImageContextWithOptions(size, true, scale);
    if (auto* context = ui::graphicsGetCurrentContext()) {
        context->drawLinearGradient({{0, cg::Color(0.95, 0.55, 0.15, 1)}, {1, cg::Color(0.2, 0.35, 0.85, 1)}},
                                    {0, 0}, {size.width, size.height});
        context->setFillColor(cg::Color(1, 1, 1, 0.6));
        const double step = std::max(size.width, size.height) / 8;
        for (double x = step; x < size.width; x += step) context->fill({x - 1, 0, 2, size.height});
        for (double y = step; y < size.height; y += step) context->fill({0, y - 1, size.width, 2});
    }
    ui::Image image = ui::graphicsGetImageFromCurrentImageContext();
    ui::graphicsEndImageContext();
    return image;
}

// What driveGesture gives a pan that moved by (dx, dy).
inline ui::TestDriver::GestureValues moved(double dx, double dy) {
    ui::TestDriver::GestureValues values;
    values.translation = {dx, dy};
    return values;
}

// The key window's root controller holds a thumbnail at (20, 100, 80, 60) with corner
// radius 8.
class BrowserTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        root = ns::make<ui::ViewController>();
        window()->setRootViewController(root);
        thumbnail = ns::make<ui::ImageView>(cg::Rect{20, 100, 80, 60});
        thumbnail->layer()->setCornerRadius(8);
        root->view()->addSubview(thumbnail);
    }
    void TearDown() override {
        thumbnail.reset();
        root.reset();
        AppTest::TearDown();
    }

    std::shared_ptr<Browser> makeBrowser(Mode mode = Mode::aspectFit, cg::Size size = {600, 400},
                                         bool withTransition = true) {
        VXImageInfo info(drawnImage(size), mode);
        if (!withTransition) return ns::make<Browser>(info);
        return ns::make<Browser>(info, std::make_shared<VXTransitionInfo>(thumbnail));
    }
    // Presents it animated and lets the transition finish.
    void show(const std::shared_ptr<Browser>& browser) {
        root->present(browser, true, {});
        advance(0.4);
    }
    // The presented controller's full-window container.
    std::shared_ptr<ui::View> container() {
        for (const auto& view : window()->subviews())
            if (view->className() == "UITransitionView") return view;
        return nullptr;
    }
    static cg::Rect shownFrame(const ui::View& view) { return view.layer()->presentation()->frame(); }
    static double shownAlpha(const ui::View& view) { return view.layer()->presentation()->opacity(); }

    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<ui::ImageView> thumbnail;
};

} // namespace testing
} // namespace pellavo
