#include "pellavo/VXPopoverMenu.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "pellavo/VXPopoverMenuView.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo {

// Reaches the shared menu's private parts, and puts it back to rest between tests
// (the shared instance outlives every test of the process).
struct VXPopOverMenuTestAccess {
    static VXPopOverMenu& menu() { return *VXPopOverMenu::sharedMenu(); }
    static std::shared_ptr<ui::View> background() { return menu().backgroundView(); }
    static std::shared_ptr<detail::VXPopOverMenuView> panel() { return menu().popOverMenu(); }
    static std::uint64_t generation() { return menu().generation_; }
    static void reset() {
        auto& m = menu();
        ++m.generation_;
        m.done_ = {};
        m.cancel_ = {};
        m.sender_.reset();
        m.senderFrame_.reset();
        m.isOnScreen_ = false;
        m.orientationObserver_.reset();
        m.backgroundView()->removeFromSuperview();
        m.popOverMenu()->layer()->removeAllAnimations();
        m.popOverMenu()->setAlpha(0);
    }
};

namespace {

using Access = VXPopOverMenuTestAccess;
using detail::VXPopOverMenuArrowDirection;
using ui::InterfaceOrientation;

std::vector<ns::String> names(int count) {
    std::vector<ns::String> result;
    for (int i = 0; i < count; ++i) result.emplace_back("Item " + std::to_string(i));
    return result;
}

bool isFinite(const cg::Rect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

void expectRect(const cg::Rect& actual, const cg::Rect& expected, const std::string& what) {
    EXPECT_NEAR(actual.origin.x, expected.origin.x, 1e-9) << what;
    EXPECT_NEAR(actual.origin.y, expected.origin.y, 1e-9) << what;
    EXPECT_NEAR(actual.size.width, expected.size.width, 1e-9) << what;
    EXPECT_NEAR(actual.size.height, expected.size.height, 1e-9) << what;
}

class VXPopoverMenuTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Access::reset();
        savedResources = ns::Bundle::main().resourcePath();
        ns::Bundle::main().setResourcePath(std::filesystem::path(PELLAVO_SOURCE_DIR) / "tests/pellavo/data");
    }
    void TearDown() override {
        Access::reset();
        VXConfiguration::shared()->setMenuWidth(120);
        ns::Bundle::main().setResourcePath(savedResources);
        AppTest::TearDown();
    }

    std::shared_ptr<ui::View> addSender(cg::Rect frame, ui::View* parent = nullptr) {
        auto sender = ns::make<ui::View>(frame);
        (parent ? *parent : static_cast<ui::View&>(*window())).addSubview(sender);
        return sender;
    }
    // Shows with closures that record what they hear.
    void show(const std::shared_ptr<ui::View>& sender, int count) {
        VXPopOverMenu::showForSender(sender, names(count), doneFn(), cancelFn());
    }
    VXPopOverMenu::Done doneFn() {
        return [this](int i) { chosen.push_back(i); };
    }
    VXPopOverMenu::Cancel cancelFn() {
        return [this] { ++cancels; };
    }
    int callbacks() const { return static_cast<int>(chosen.size()) + cancels; }

    static std::shared_ptr<detail::VXPopOverMenuView> panel() { return Access::panel(); }
    static double arrowX() { return panel()->layer()->anchorPoint().x * panel()->frame().size.width; }
    bool backgroundInWindow() { return Access::background()->superview() == window(); }

    std::vector<int> chosen;
    int cancels = 0;
    std::filesystem::path savedResources;
};

// ------------------------------------------------------------------ geometry

TEST_F(VXPopoverMenuTest, GeometryThroughSenderViewsAndRectangles) {
    struct Case {
        cg::Rect sender;
        int rows;
        cg::Rect frame;
        double arrow;
        VXPopOverMenuArrowDirection direction;
        bool scrolls;
    };
    using D = VXPopOverMenuArrowDirection;
    const Case cases[] = {
        {{340, 100, 30, 30}, 3, {251, 130, 120, 130}, 104, D::Up, false},
        {{0, 100, 30, 30}, 3, {4, 130, 120, 130}, 12, D::Up, false},
        {{172.5, 100, 30, 30}, 3, {127.5, 130, 120, 130}, 60, D::Up, false},
        // The centre exactly at mid-height opens above.
        {{100, 318.5, 30, 30}, 3, {55, 188.5, 120, 130}, 60, D::Down, false},
        {{100, 400, 30, 30}, 10, {55, 4, 120, 396}, 60, D::Down, true},
        {{100, 100, 30, 30}, 15, {55, 130, 120, 533}, 60, D::Up, true},
        // Below the screen counts as its bottom edge.
        {{100, 700, 30, 30}, 3, {55, 537, 120, 130}, 60, D::Down, false},
    };
    for (const Case& c : cases) {
        for (const bool viaView : {true, false}) {
            const std::string what = "case y " + std::to_string(c.sender.origin.y) + " x " +
                                     std::to_string(c.sender.origin.x) + (viaView ? " view" : " rect");
            if (viaView) {
                show(addSender(c.sender), c.rows);
            } else {
                VXPopOverMenu::showFromSenderFrame(c.sender, names(c.rows), doneFn(), cancelFn());
            }
            expectRect(panel()->frame(), c.frame, what);
            EXPECT_NEAR(arrowX(), c.arrow, 1e-9) << what;
            EXPECT_EQ(panel()->arrowDirection(), c.direction) << what;
            EXPECT_EQ(panel()->layer()->anchorPoint().y, c.direction == D::Up ? 0 : 1) << what;
            EXPECT_EQ(panel()->menuTableView()->isScrollEnabled(), c.scrolls) << what;
            EXPECT_TRUE(backgroundInWindow()) << what;
        }
    }
    EXPECT_EQ(callbacks(), 0);
}

TEST_F(VXPopoverMenuTest, SenderConvertedFromItsContainerOrTakenRawWithoutOne) {
    auto container = ns::make<ui::View>(cg::Rect{50, 200, 200, 200});
    window()->addSubview(container);
    show(addSender({10, 10, 30, 30}, container.get()), 3);
    // Seen at (60, 210): below it, 4 pt from the left edge clamp not needed.
    expectRect(panel()->frame(), {15, 240, 120, 130}, "nested");

    show(ns::make<ui::View>(cg::Rect{340, 100, 30, 30}), 3);
    expectRect(panel()->frame(), {251, 130, 120, 130}, "no superview");
}

// ------------------------------------------------------------------ anchor and appearing

TEST_F(VXPopoverMenuTest, SetAnchorPointKeepsTheFrame) {
    for (const double scale : {1.0, 0.1}) {
        auto view = ns::make<ui::View>(cg::Rect{10, 20, 100, 50});
        view->setTransform(cg::AffineTransform::makeScale(scale, scale));
        const cg::Rect before = view->frame();
        detail::setAnchorPoint(*view, {0.87, 1});
        expectRect(view->frame(), before, "scale " + std::to_string(scale));
        EXPECT_EQ(view->layer()->anchorPoint(), (cg::Point{0.87, 1}));
    }
}

TEST_F(VXPopoverMenuTest, GrowsOutOfTheArrowTipAndChangesAtOnceWhenShownAgain) {
    show(addSender({340, 100, 30, 30}), 3);
    const auto p = panel();
    EXPECT_EQ(p->alpha(), 1);
    EXPECT_TRUE(p->transform().isIdentity());

    // The tip of the arrow, (104, 0) in the panel, seen in the window.
    auto tip = [&] {
        const auto shown = p->layer()->presentation();
        const cg::AffineTransform t = shown->transform().affineTransform();
        const cg::Size size = shown->bounds().size;
        const cg::Point a = shown->anchorPoint();
        const cg::Point offset = cg::Point{104 - a.x * size.width, 0 - a.y * size.height}.applying(t);
        return cg::Point{shown->position().x + offset.x, shown->position().y + offset.y};
    };
    const cg::Point start = tip();
    EXPECT_NEAR(start.x, 355, 1e-6);
    EXPECT_NEAR(start.y, 130, 1e-6);
    advance(0.1);
    const double opacity = p->layer()->presentation()->opacity();
    EXPECT_GT(opacity, 0);
    EXPECT_LT(opacity, 1);
    EXPECT_LT(p->layer()->presentation()->transform().affineTransform().a, 1);
    EXPECT_NEAR(tip().x, start.x, 1e-6);
    EXPECT_NEAR(tip().y, start.y, 1e-6);
    advance(0.1);
    EXPECT_NEAR(tip().x, start.x, 1e-6);
    EXPECT_NEAR(tip().y, start.y, 1e-6);

    advance(0.1);
    VXPopOverMenu::showFromSenderFrame({0, 100, 30, 30}, {"A", "B"}, doneFn(), cancelFn());
    EXPECT_TRUE(p->layer()->animationKeys().empty());
    expectRect(p->frame(), {4, 130, 120, 90}, "second show");
    EXPECT_EQ(p->menuNameArray(), (std::vector<ns::String>{"A", "B"}));
}

// ------------------------------------------------------------------ callbacks through taps

TEST_F(VXPopoverMenuTest, OutsideTapCancelsAfterTheClose) {
    show(addSender({340, 100, 30, 30}), 3);
    advance(0.25);
    driver().tap({50, 500});
    EXPECT_FALSE(VXPopOverMenu::isShowing());
    advance(0.19);
    EXPECT_EQ(callbacks(), 0);
    EXPECT_TRUE(backgroundInWindow());
    advance(0.02);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(Access::background()->superview(), nullptr);

    // Closed already: the public dismiss still runs its close and cancels once.
    VXPopOverMenu::dismiss();
    advance(0.19);
    EXPECT_EQ(cancels, 1);
    advance(0.02);
    EXPECT_EQ(cancels, 2);
}

TEST_F(VXPopoverMenuTest, RowTapAndTopLeftCornerChooseRows) {
    struct Case {
        cg::Point where;
        int row;
    };
    // Panel (251, 130, 120, 130): its table starts at y 140, rows 40 high.
    for (const Case c : {Case{{311, 240}, 2}, Case{{311, 160}, 0}, Case{{10, 10}, 0}}) {
        chosen.clear();
        show(addSender({340, 100, 30, 30}), 3);
        advance(0.25);
        const auto id = driver().touchDown(c.where);
        // Only the top-left rule acts at touch-down.
        EXPECT_EQ(VXPopOverMenu::isShowing(), c.where.x >= 120);
        driver().up(id);
        EXPECT_FALSE(VXPopOverMenu::isShowing());
        advance(0.19);
        EXPECT_TRUE(chosen.empty());
        advance(0.02);
        EXPECT_EQ(chosen, std::vector<int>{c.row});
        EXPECT_EQ(cancels, 0);
        EXPECT_EQ(Access::background()->superview(), nullptr);
    }
}

TEST_F(VXPopoverMenuTest, ALaterShowDropsTheEarlierClosures) {
    int aCalls = 0;
    auto sender = addSender({340, 100, 30, 30});
    VXPopOverMenu::showForSender(sender, names(3), [&](int) { ++aCalls; }, [&] { ++aCalls; });
    advance(0.25);
    show(sender, 2);
    driver().tap({50, 500});
    advance(0.3);
    EXPECT_EQ(aCalls, 0);
    EXPECT_EQ(cancels, 1);
}

TEST_F(VXPopoverMenuTest, ShowsWithoutSenderOrNamesChangeNothing) {
    auto sender = addSender({340, 100, 30, 30});
    auto loose = ns::make<ui::Touch>(cg::Point{5, 5});
    const auto nothingHappens = [&](const std::string& when) {
        const auto generation = Access::generation();
        const bool showing = VXPopOverMenu::isShowing();
        const cg::Rect frame = panel()->frame();
        VXPopOverMenu::showForSender(sender, {}, doneFn(), cancelFn());
        VXPopOverMenu::showForSender(nullptr, names(3), doneFn(), cancelFn());
        VXPopOverMenu::showForEvent(ui::Event(), names(3), doneFn(), cancelFn());
        VXPopOverMenu::showForEvent(ui::Event(ui::TouchSet{loose}), names(3), doneFn(), cancelFn());
        VXPopOverMenu::showFromSenderFrame({std::numeric_limits<double>::quiet_NaN(), 0, 10, 10}, names(3),
                                           doneFn(), cancelFn());
        VXPopOverMenu::showFromSenderFrame({0, 0, 10, std::numeric_limits<double>::infinity()}, names(3), doneFn(),
                                           cancelFn());
        EXPECT_EQ(Access::generation(), generation) << when;
        EXPECT_EQ(VXPopOverMenu::isShowing(), showing) << when;
        expectRect(panel()->frame(), frame, when);
    };
    nothingHappens("closed");
    EXPECT_FALSE(VXPopOverMenu::isShowing());

    // A touch on the sender makes it the sender of an event.
    const auto id = driver().touchDown({355, 115});
    VXPopOverMenu::showForEvent(ui::Event(ui::TouchSet{driver().touch(id)}), names(3), doneFn(), cancelFn());
    driver().up(id);
    expectRect(panel()->frame(), {251, 130, 120, 130}, "event");
    advance(0.25);
    nothingHappens("on screen");
    advance(0.5);
    EXPECT_EQ(callbacks(), 0);
}

// ------------------------------------------------------------------ overlapping closes

TEST_F(VXPopoverMenuTest, AShowDuringACloseKeepsTheNewMenu) {
    int aCalls = 0;
    auto sender = addSender({340, 100, 30, 30});
    VXPopOverMenu::showForSender(sender, names(3), [&](int) { ++aCalls; }, [&] { ++aCalls; });
    advance(0.3);
    VXPopOverMenu::dismiss();
    advance(0.1);
    show(sender, 3);
    advance(0.5);
    EXPECT_TRUE(backgroundInWindow());
    EXPECT_TRUE(VXPopOverMenu::isShowing());
    EXPECT_EQ(panel()->alpha(), 1);
    EXPECT_EQ(aCalls + callbacks(), 0);
    driver().tap({50, 500});
    advance(0.3);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(aCalls, 0);
}

TEST_F(VXPopoverMenuTest, TapsDuringACloseAreSwallowed) {
    show(addSender({340, 100, 30, 30}), 3);
    advance(0.25);
    driver().tap({50, 500});
    advance(0.05);
    driver().tap({50, 500});
    driver().tap({10, 10});
    advance(0.5);
    EXPECT_EQ(callbacks(), 1);
    EXPECT_EQ(cancels, 1);

    // Two public dismissals give two cancels.
    VXPopOverMenu::dismiss();
    VXPopOverMenu::dismiss();
    advance(0.3);
    EXPECT_EQ(cancels, 3);
}

// ------------------------------------------------------------------ rotation

TEST_F(VXPopoverMenuTest, RelaysOutAfterARotation) {
    show(addSender({340, 100, 30, 30}), 3);
    advance(0.25);
    driver().rotate(InterfaceOrientation::landscapeLeft);
    EXPECT_EQ(uiscreen::ft_width(), 667);
    EXPECT_EQ(uiscreen::ft_height(), 375);
    advance(0.19);
    expectRect(panel()->frame(), {251, 130, 120, 130}, "before");
    advance(0.02);
    expectRect(panel()->frame(), {295, 130, 120, 130}, "after");
    EXPECT_NEAR(arrowX(), 60, 1e-9);
    expectRect(Access::background()->frame(), {0, 0, 667, 375}, "background");
    EXPECT_TRUE(VXPopOverMenu::isShowing());
    EXPECT_EQ(callbacks(), 0);
}

TEST_F(VXPopoverMenuTest, ARelayoutDueDuringACloseDoesNothing) {
    show(addSender({340, 100, 30, 30}), 3);
    advance(0.25);
    driver().rotate(InterfaceOrientation::landscapeLeft);
    advance(0.1);
    VXPopOverMenu::dismiss();
    advance(0.5);
    EXPECT_EQ(Access::background()->superview(), nullptr);
    EXPECT_FALSE(VXPopOverMenu::isShowing());
    EXPECT_EQ(cancels, 1);
    driver().rotate(InterfaceOrientation::portrait);
    advance(0.5);
    EXPECT_EQ(Access::background()->superview(), nullptr);
    EXPECT_FALSE(VXPopOverMenu::isShowing());
    EXPECT_EQ(cancels, 1);
}

TEST_F(VXPopoverMenuTest, ASenderThatLeftItsWindowIsTakenRawAtTheRelayout) {
    auto container = ns::make<ui::View>(cg::Rect{0, 200, 375, 100});
    window()->addSubview(container);
    auto sender = addSender({340, 0, 30, 30}, container.get());
    show(sender, 3);
    expectRect(panel()->frame(), {251, 230, 120, 130}, "converted");
    advance(0.25);
    sender->removeFromSuperview();
    driver().rotate(InterfaceOrientation::landscapeLeft);
    advance(0.3);
    expectRect(panel()->frame(), {295, 30, 120, 130}, "raw");
}

// ------------------------------------------------------------------ bad input

TEST_F(VXPopoverMenuTest, NoRoomGivesAnEmptyPanelWithFiniteGeometry) {
    struct Case {
        cg::Rect sender;
        cg::Rect frame;
    };
    const Case cases[] = {
        {{0, 0, 375, 667}, {127.5, 4, 120, 0}}, // full screen: opens above, no room
        {{100, 0, 30, 665}, {55, 665, 120, 0}}, // opens below 2 pt from the bottom
        {{100, 2, 30, 664}, {55, 4, 120, 0}},   // opens above, its top within the margin
    };
    for (const Case& c : cases) {
        show(addSender(c.sender), 3);
        expectRect(panel()->frame(), c.frame, "sender y " + std::to_string(c.sender.origin.y));
        EXPECT_TRUE(std::isfinite(panel()->layer()->anchorPoint().x));
    }
    VXConfiguration::shared()->setMenuWidth(0);
    show(addSender({340, 100, 30, 30}), 3);
    EXPECT_EQ(panel()->layer()->anchorPoint(), (cg::Point{0.5, 0}));
    EXPECT_TRUE(isFinite(panel()->frame()));
    VXConfiguration::shared()->setMenuWidth(std::numeric_limits<double>::quiet_NaN());
    show(addSender({340, 100, 30, 30}), 3);
    EXPECT_EQ(panel()->layer()->anchorPoint(), (cg::Point{0.5, 0}));
    EXPECT_TRUE(isFinite(panel()->frame()));
}

TEST_F(VXPopoverMenuTest, WithoutAKeyWindowTheMenuCountsAsShownAndCancels) {
    window()->setIsHidden(true);
    ASSERT_EQ(app().keyWindow(), nullptr);
    VXPopOverMenu::showFromSenderFrame({340, 100, 30, 30}, names(3), doneFn(), cancelFn());
    EXPECT_TRUE(VXPopOverMenu::isShowing());
    EXPECT_EQ(Access::background()->superview(), nullptr);
    VXPopOverMenu::dismiss();
    advance(0.19);
    EXPECT_EQ(cancels, 0);
    advance(0.02);
    EXPECT_EQ(cancels, 1);

    // A sender in a window still converts, through the screen, to the window-less background.
    auto container = ns::make<ui::View>(cg::Rect{0, 200, 375, 100});
    window()->addSubview(container);
    show(addSender({340, 0, 30, 30}, container.get()), 3);
    EXPECT_EQ(Access::background()->superview(), nullptr);
    expectRect(panel()->frame(), {251, 230, 120, 130}, "converted without a key window");
}

// ------------------------------------------------------------------ lifetime

TEST_F(VXPopoverMenuTest, ClosuresAreHeldUntilTheNextShow) {
    auto sender = addSender({340, 100, 30, 30});
    auto held = std::make_shared<int>(7);
    std::weak_ptr<int> watch = held;
    VXPopOverMenu::showForSender(sender, names(3), [held](int) {}, [held] {});
    held.reset();
    advance(0.25);
    driver().tap({50, 500});
    advance(0.3);
    EXPECT_FALSE(watch.expired());
    show(sender, 3);
    EXPECT_TRUE(watch.expired());
}

TEST_F(VXPopoverMenuTest, ADoneThatShowsAgainKeepsTheNewMenu) {
    auto sender = addSender({340, 100, 30, 30});
    VXPopOverMenu::showForSender(sender, names(3), [&](int row) {
        chosen.push_back(row);
        VXPopOverMenu::showForSender(sender, {"Again"}, doneFn(), cancelFn());
    }, cancelFn());
    advance(0.25);
    driver().tap({311, 240});
    advance(0.5);
    EXPECT_EQ(chosen, std::vector<int>{2});
    EXPECT_TRUE(VXPopOverMenu::isShowing());
    EXPECT_TRUE(backgroundInWindow());
    EXPECT_EQ(panel()->menuNameArray(), (std::vector<ns::String>{"Again"}));
    driver().tap({50, 500});
    advance(0.3);
    EXPECT_EQ(cancels, 1);
}

// ------------------------------------------------------------------ runtime

TEST_F(VXPopoverMenuTest, RuntimeKnowsTheClassAndItsActions) {
    auto& runtime = ns::Runtime::shared();
    auto made = runtime.create("VXPopOverMenu");
    ASSERT_TRUE(std::dynamic_pointer_cast<VXPopOverMenu>(made));
    EXPECT_NE(made.get(), &Access::menu());
    EXPECT_EQ(runtime.superclassName("VXPopOverMenu"), "NSObject");
    const ns::Selector tapped("onBackgroudViewTappedWithGesture:");
    const ns::Selector rotated("onChangeStatusBarOrientationNotificationWithNotification:");
    EXPECT_TRUE(runtime.respondsToSelector(*made, tapped));
    EXPECT_TRUE(runtime.respondsToSelector(*made, rotated));

    // The tap action reached by name ends a shown menu with a cancel.
    show(addSender({340, 100, 30, 30}), 3);
    EXPECT_TRUE(runtime.perform(&Access::menu(), tapped, nullptr));
    EXPECT_FALSE(VXPopOverMenu::isShowing());
    advance(0.3);
    EXPECT_EQ(cancels, 1);
}

// ------------------------------------------------------------------ picture

TEST_F(VXPopoverMenuTest, OpenMenusBelowAndAboveTheirSenders) {
    window()->setBackgroundColor(ui::Color(0.2, 0.45, 0.8, 1));
    ca::Renderer renderer;
    const int w = 375 * 2;
    const int h = 667 * 2;
    std::vector<std::uint8_t> both(static_cast<std::size_t>(2 * w * 4 * h));
    const cg::Rect senders[] = {{320, 60, 44, 44}, {40, 560, 44, 44}};
    for (int i = 0; i < 2; ++i) {
        auto sender = addSender(senders[i]);
        sender->setBackgroundColor(ui::Color(1, 0.8, 0.2, 1));
        VXPopOverMenu::showForSender(sender, {"Favourite", "Settings", "Share"}, {"menu-star", "menu-star"},
                                     doneFn(), cancelFn());
        advance(0.3);
        const cg::Image& image = renderer.render(*window()->layer());
        // Grey panel at the arrow's base, below the sender for the first, above for the second.
        const cg::RGBA8 arrowBase = i == 0 ? image.pixel(2 * 342, 2 * 113) : image.pixel(2 * 62, 2 * 551);
        EXPECT_EQ(arrowBase, (cg::RGBA8{80, 80, 80, 255}));
        for (int row = 0; row < h; ++row)
            std::memcpy(both.data() + static_cast<std::size_t>(row) * 2 * w * 4 + static_cast<std::size_t>(i) * w * 4,
                        image.data() + static_cast<std::size_t>(row) * image.stride(), static_cast<std::size_t>(w) * 4);
        VXPopOverMenu::dismiss();
        advance(0.3);
        sender->removeFromSuperview();
    }
    testing::expectMatchesGolden(cg::Image(2 * w, h, 2 * w * 4, std::move(both)), "pellavo_popover_menu");
}

} // namespace
} // namespace pellavo
