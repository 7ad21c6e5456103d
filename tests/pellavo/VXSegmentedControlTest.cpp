#include "pellavo/VXSegmentedControl.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/ca/Renderer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/text/StringDrawing.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchSet.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo {
namespace {

using Control = VXSegmentedControl;
using State = Control::DraggingState;

constexpr double big = std::numeric_limits<double>::max();

// The control's parts, found through the view tree as a host inspecting it would.
struct Parts {
    explicit Parts(const Control& control) {
        container = control.subviews().at(0);
        const auto& inside = container->subviews();
        thumbContainer = inside.at(inside.size() - 2);
        selectedLabels = inside.back();
        thumb = thumbContainer->subviews().at(0);
        for (std::size_t i = 0; i + 2 < inside.size(); ++i)
            labels.push_back(std::dynamic_pointer_cast<ui::Label>(inside[i]));
        for (const auto& view : selectedLabels->subviews())
            selected.push_back(std::dynamic_pointer_cast<ui::Label>(view));
    }
    std::shared_ptr<ui::View> container, thumbContainer, thumb, selectedLabels;
    std::vector<std::shared_ptr<ui::Label>> labels, selected;

    const std::shared_ptr<ca::Layer>& shadow() const { return thumbContainer->layer()->sublayers().at(0); }
    std::shared_ptr<ca::GradientLayer> gradient() const {
        const auto& layers = thumb->layer()->sublayers();
        return layers.empty() ? nullptr : std::dynamic_pointer_cast<ca::GradientLayer>(layers[0]);
    }
    double center(std::size_t i) const { return labels.at(i)->center().x; }
    double thumbWidth() const { return thumbContainer->frame().width(); }
    double thumbCenter() const { return thumbContainer->center().x; }
};

class VXSegmentedControlTest : public testing::AppTest {
protected:
    std::shared_ptr<Control> add(std::vector<ns::String> titles, cg::Rect frame = {20, 100, 300, 40}) {
        auto control = ns::make<Control>(frame);
        control->setItemTitles(std::move(titles));
        window()->addSubview(control);
        return control;
    }
    std::shared_ptr<Control> laidOut(std::vector<ns::String> titles, cg::Rect frame = {20, 100, 300, 40}) {
        auto control = add(std::move(titles), frame);
        runUntilIdle();
        return control;
    }
    // Records both closures, in order, as "state N" and "select I title".
    void record(Control& control) {
        control.didChangeDraggingState = [this](State s) { log.push_back("state " + std::to_string(int(s))); };
        control.didSelectItemWith = [this](int i, std::optional<ns::String> t) {
            log.push_back("select " + std::to_string(i) + " " + (t ? t->utf8() : "<none>"));
        };
    }
    // A point of the control's middle row, in window coordinates, for the driver.
    static cg::Point at(const Control& control, double x) {
        return control.convertTo(cg::Point{x, control.bounds().height() / 2}, nullptr);
    }
    // What the width rule gives at item i's centre.
    static double ruleWidth(const Control& control, const Parts& parts, std::size_t i) {
        const double w = control.bounds().width(), h = control.bounds().height();
        double base = parts.labels[i]->frame().width() + control.padding().height;
        if (i == 0) base = 2 * parts.center(0);
        else if (i + 1 == parts.labels.size()) base = 2 * (w - parts.center(i));
        return std::max(base, h) - 4;
    }
    void settleSnap() { advance(0.5); }

    std::vector<std::string> log;
};

double measured(const ns::String& title, const ui::Font& font, bool height) {
    const ns::AttributedString text(title, {{ns::AttributedStringKey::font, ns::Value::of(font)}});
    const cg::Rect r = ui::boundingRect(text, {big, big}, ui::StringDrawingOptions::usesLineFragmentOrigin);
    return height ? r.size.height : r.size.width;
}

TEST_F(VXSegmentedControlTest, ConfigurationGrowsTheFrameOnceAndBuildsTheTree) {
    auto grown = add({"Item1", "Item2"}, {10, 50, 0, 0});
    runUntilIdle();
    const ui::Font font("HelveticaNeue-Light", 12);
    const double widest = std::max(measured("Item1", font, false), measured("Item2", font, false));
    const double tallest = std::max(measured("Item1", font, true), measured("Item2", font, true));
    EXPECT_DOUBLE_EQ(grown->frame().width(), 2 * (widest + 30));
    EXPECT_DOUBLE_EQ(grown->frame().height(), tallest + 10);
    EXPECT_EQ(grown->frame().origin, cg::Point(10, 50));

    const auto control = laidOut({"One", "Two", "Three"});
    const Parts p(*control);
    EXPECT_EQ(control->frame(), cg::Rect(20, 100, 300, 40));
    ASSERT_EQ(p.selected.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        for (const auto& label : {p.labels[i], p.selected[i]}) {
            const double fit = label->sizeThatFits({big, big}).width;
            EXPECT_NEAR(label->center().x, 100 * (i + 0.5), 1e-9);
            EXPECT_DOUBLE_EQ(label->frame().width(), std::min(100.0, fit));
            EXPECT_EQ(label->frame().height(), 40);
            EXPECT_EQ(label->tag(), int(i));
        }
    }
    // Back to front: labels, thumb, selected labels; the shadow behind the thumb.
    EXPECT_EQ(p.container->subviews().size(), 5u);
    EXPECT_TRUE(p.selectedLabels->clipsToBounds());
    EXPECT_EQ(p.container->layer()->cornerRadius(), 20);
    EXPECT_EQ(p.thumb->layer()->cornerRadius(), 18);
    EXPECT_EQ(p.thumb->frame(), cg::Rect(0, 2, p.thumbWidth(), 36));
    EXPECT_EQ(p.shadow()->shadowColor(), Control::UIColorFromRGB(0x9B9B9B).cgColor());
    ASSERT_NE(p.gradient(), nullptr);

    // Later passes change nothing, whatever changed meanwhile.
    std::vector<cg::Rect> before;
    for (const auto& v : p.container->subviews()) before.push_back(v->frame());
    control->setItemTitles({"A much longer title", "B"});
    control->setDefaultTextFont(ui::Font::systemFont(30));
    control->setFrame({0, 0, 360, 90});
    control->setNeedsLayout();
    runUntilIdle();
    std::vector<cg::Rect> after;
    for (const auto& v : p.container->subviews()) after.push_back(v->frame());
    EXPECT_EQ(after, before);
    EXPECT_EQ(control->titleForItemAtIndex(0), ns::String("One"));
}

TEST_F(VXSegmentedControlTest, StyleVariants) {
    auto square = add({"A", "B"});
    square->setSegCornerRadius(0);
    square->setUseShadow(false);
    square->setThumbGradientColors(std::nullopt);
    square->setThumbColor(ui::Color::red());
    auto nanRadius = add({"A", "B"}, {20, 200, 300, 30});
    nanRadius->setSegCornerRadius(std::nan(""));
    nanRadius->setUseGradient(false);
    runUntilIdle();

    const Parts s(*square), n(*nanRadius);
    EXPECT_EQ(s.container->layer()->cornerRadius() + s.thumb->layer()->cornerRadius(), 0);
    EXPECT_EQ(s.thumbContainer->layer()->sublayers().size(), 1u);  // the thumb's own layer only
    EXPECT_EQ(s.gradient(), nullptr);
    EXPECT_EQ(s.thumb->backgroundColor(), ui::Color::red());
    EXPECT_EQ(n.container->layer()->cornerRadius(), 15);
    EXPECT_EQ(n.thumb->layer()->cornerRadius(), 13);
    EXPECT_EQ(n.gradient(), nullptr);
}

TEST_F(VXSegmentedControlTest, SelectionByIndex) {
    auto control = add({"A", "Bee", "C"});
    control->selectItemAt(2, false);
    EXPECT_EQ(control->currentIndex(), 0);  // not laid out yet
    control->changeThumbColor(ui::Color::red());
    control->changeThumbGradientColors({ui::Color::red(), ui::Color::blue()});
    EXPECT_EQ(control->thumbColor(), ui::Color::clear());
    EXPECT_EQ(control->titleForItemAtIndex(0), ns::String());
    runUntilIdle();

    const Parts p(*control);
    EXPECT_EQ(control->currentIndex(), 2);
    EXPECT_NEAR(p.thumbCenter(), p.center(2), 1e-9);
    EXPECT_EQ(p.gradient()->colors(), (std::vector<cg::Color>{{1, 0, 0, 1}, {0, 0, 1, 1}}));
    // Not animated: what is shown is the model at once.
    EXPECT_EQ(p.thumbContainer->layer()->presentation()->frame(), p.thumbContainer->frame());
    EXPECT_EQ(p.shadow()->presentation()->frame(), p.shadow()->frame());

    control->selectItemAt(7, true);
    settleSnap();
    EXPECT_EQ(control->currentIndex(), 2);
    control->selectItemAt(-4, false);
    EXPECT_EQ(control->currentIndex(), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(VXSegmentedControlTest, AnimatedSnapMovesViewsOverPointThreeAndLayersOverPointFour) {
    auto control = laidOut({"First", "Middle item", "Last"});
    const Parts p(*control);
    const cg::Rect start = p.thumbContainer->frame();
    const double startShadow = p.shadow()->frame().width();
    control->selectItemAt(1, true);
    const cg::Rect end = p.thumbContainer->frame();
    const double endShadow = p.shadow()->frame().width();
    ASSERT_NE(start.minX(), end.minX());
    ASSERT_NE(startShadow, endShadow);
    EXPECT_DOUBLE_EQ(endShadow, ruleWidth(*control, p, 1));
    EXPECT_DOUBLE_EQ(ruleWidth(*control, p, 0), ruleWidth(*control, p, 2));

    const auto shownX = [&] { return p.thumbContainer->layer()->presentation()->frame().minX(); };
    const auto shownShadow = [&] { return p.shadow()->presentation()->frame().width(); };
    const auto between = [](double v, double a, double b) { return v > std::min(a, b) && v < std::max(a, b); };
    advance(0.15);
    EXPECT_TRUE(between(shownX(), start.minX(), end.minX())) << shownX();
    advance(0.15);
    EXPECT_NEAR(shownX(), end.minX(), 1e-9);
    EXPECT_TRUE(between(shownShadow(), startShadow, endShadow)) << shownShadow();
    advance(0.1);
    EXPECT_NEAR(shownShadow(), endShadow, 1e-9);
    EXPECT_EQ(p.selectedLabels->bounds().origin.x, end.minX());
    EXPECT_EQ(p.selectedLabels->frame().minX(), end.minX());
}

// Selected-style pixels appear only under the thumb, default-style ones only beside it.
TEST_F(VXSegmentedControlTest, SelectedTitlesShowOnlyUnderTheThumb) {
    auto control = add({"Wwwww", "Wwwww", "Wwwww"}, {0, 0, 240, 40});
    control->setPadding({10, 40});
    control->setSelectedTextColor({0, 0, 1, 1});
    control->setDefaultTextColor({0, 1, 0, 1});
    control->setDefaultTextFont(ui::Font::boldSystemFont(17));
    control->setSelectedTextFont(ui::Font::boldSystemFont(17));
    runUntilIdle();
    const Parts p(*control);
    ca::Renderer renderer({240, 60}, 2);

    const auto check = [&](const char* where) {
        const cg::Image& image = renderer.render(*window()->layer());
        const double lo = p.thumbContainer->frame().minX() * 2, hi = p.thumbContainer->frame().maxX() * 2;
        int blue = 0, green = 0;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 480; ++x) {
                const cg::RGBA8 c = image.pixel(x, y);
                const bool inside = x >= lo - 1 && x < hi + 1;
                // Selected titles keep their items' places: no blue outside every label.
                const bool onLabel = std::any_of(p.labels.begin(), p.labels.end(), [&](const auto& label) {
                    return x >= label->frame().minX() * 2 - 1 && x < label->frame().maxX() * 2 + 1;
                });
                if (c.b > 200 && c.r < 60 && c.g < 60) {
                    ++blue;
                    EXPECT_TRUE(inside && onLabel) << where << " blue at " << x;
                }
                if (c.g > 200 && c.r < 60 && c.b < 60) {
                    ++green;
                    EXPECT_FALSE(x >= lo + 1 && x < hi - 1) << where << " green at " << x;
                }
            }
        }
        EXPECT_GT(blue, 20) << where;
        EXPECT_GT(green, 20) << where;
    };
    check("item 0");
    control->selectItemAt(1, false);
    runUntilIdle();
    check("item 1");
    const auto finger = driver().touchDown(at(*control, p.center(1)));
    driver().move(finger, at(*control, (p.center(1) + p.center(2)) / 2));
    check("mid-drag");
}

TEST_F(VXSegmentedControlTest, TwoItemsToggleOnEveryTouchThatDidNotDragTheThumb) {
    auto control = laidOut({"Item1", "Item2"}, {20, 100, 200, 40});
    record(*control);
    const auto toggleWith = [&](double x) {
        log.clear();
        driver().tap(at(*control, x));
        settleSnap();
        return log;
    };
    const std::vector<std::string> toOne{"state 0", "select 1 Item2"}, toZero{"state 0", "select 0 Item1"};
    EXPECT_EQ(toggleWith(150), toOne);  // on item 1
    EXPECT_EQ(control->currentIndex(), 1);
    EXPECT_EQ(toggleWith(150), toZero);  // now on the thumb
    control->setAllowDrag(false);
    EXPECT_EQ(toggleWith(20), toOne);
    control->setAllowDrag(true);
    EXPECT_EQ(toggleWith(190), toZero);

    // A drag of the thumb decides by where it ends, even back where it began.
    log.clear();
    driver().drag(at(*control, 50), at(*control, 150), 5);
    settleSnap();
    EXPECT_EQ(log.back(), "select 1 Item2");
    EXPECT_EQ(control->currentIndex(), 1);
    log.clear();
    const auto finger = driver().touchDown(at(*control, 150));
    driver().move(finger, at(*control, 60));
    driver().move(finger, at(*control, 140));
    driver().up(finger);
    EXPECT_EQ(log, (std::vector<std::string>{"state 1", "state 1", "state 0", "select 1 Item2"}));
}

TEST_F(VXSegmentedControlTest, DraggingReportsMovesAndSnapsUnderTheFinger) {
    auto control = laidOut({"Day", "Week", "Month", "Year"}, {20, 100, 320, 40});
    record(*control);
    const Parts p(*control);

    // Begun off the thumb: moves report, the thumb stays, the end snaps under the finger.
    const auto finger = driver().touchDown(at(*control, 200));
    driver().move(finger, at(*control, 210));
    driver().move(finger, at(*control, 220));
    EXPECT_NEAR(p.thumbCenter(), 40, 1e-9);
    driver().up(finger);
    EXPECT_EQ(log, (std::vector<std::string>{"state 1", "state 1", "state 0", "select 2 Month"}));
    settleSnap();
    EXPECT_EQ(control->currentIndex(), 2);

    // Without dragging, moves are silent and the thumb stays; the end still snaps.
    log.clear();
    control->setAllowDrag(false);
    driver().drag(at(*control, 200), at(*control, 280), 4);
    EXPECT_EQ(log, (std::vector<std::string>{"state 0", "select 3 Year"}));
    control->setAllowDrag(true);
    settleSnap();

    // Released beyond the ends: first or last item. Past the last centre the thumb stays there.
    log.clear();
    const auto drag = driver().touchDown(at(*control, 280));
    driver().move(drag, at(*control, 400));
    EXPECT_NEAR(p.thumbCenter(), p.center(3), 1e-9);
    EXPECT_NEAR(p.thumbWidth(), ruleWidth(*control, p, 3), 1e-9);
    driver().move(drag, at(*control, -50));
    EXPECT_NEAR(p.thumbCenter(), p.center(0), 1e-9);
    driver().up(drag);
    EXPECT_EQ(log.back(), "select 0 Day");
    settleSnap();
    log.clear();
    driver().drag(at(*control, 40), at(*control, 500), 3);
    EXPECT_EQ(log.back(), "select 3 Year");
    settleSnap();

    // Cancelled: reported as such, snapped and reported.
    log.clear();
    const auto cancelled = driver().touchDown(at(*control, 280));
    driver().move(cancelled, at(*control, 130));
    driver().cancel(cancelled);
    EXPECT_EQ(log, (std::vector<std::string>{"state 1", "state 2", "select 1 Week"}));
    settleSnap();

    // Empty sets: a cancel snaps to the middle of the control, an end stops after reporting.
    log.clear();
    control->touchesEnded({}, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"state 0"}));
    control->touchesCancelled({}, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"state 0", "state 2", "select 2 Month"}));
    control->touchesMoved({}, nullptr);
    EXPECT_EQ(log.back(), "state 1");
}

TEST_F(VXSegmentedControlTest, DraggedThumbWidthFollowsTheNeighboursLinearly) {
    auto control = laidOut({"First", "Middle item", "Last"}, {20, 100, 330, 40});
    const Parts p(*control);
    const double c0 = p.center(0), c1 = p.center(1), c2 = p.center(2);
    ASSERT_EQ(c0, 55);
    ASSERT_EQ(c2, 275);
    const double w0 = ruleWidth(*control, p, 0), w1 = ruleWidth(*control, p, 1), w2 = ruleWidth(*control, p, 2);
    ASSERT_GT(w0, w1 + 10);
    const auto expected = [&](double x) {
        return x <= c1 ? w0 + (w1 - w0) * (x - c0) / (c1 - c0) : w1 + (w2 - w1) * (x - c1) / (c2 - c1);
    };
    const auto finger = driver().touchDown(at(*control, c0));
    for (double x = c0 + 1; x <= c2; x += 1) {
        driver().move(finger, at(*control, x));
        ASSERT_NEAR(p.thumbWidth(), expected(x), 1e-9) << "right at " << x;
        ASSERT_NEAR(p.thumbCenter(), x, 1e-9);
        ASSERT_EQ(p.selectedLabels->bounds().origin.x, p.thumbContainer->frame().minX());
        ASSERT_NEAR(p.shadow()->frame().width(), p.thumbWidth(), 1e-9);
    }
    for (double x = c2 - 1; x > c0; x -= 1) {
        driver().move(finger, at(*control, x));
        ASSERT_NEAR(p.thumbWidth(), expected(x), 1e-9) << "left at " << x;
    }
    // Exactly on the first centre the direction decides: from the left, the second item's width.
    driver().move(finger, at(*control, c0));
    EXPECT_NEAR(p.thumbWidth(), w1, 1e-9);
    driver().move(finger, at(*control, c0 - 5));
    EXPECT_NEAR(p.thumbWidth(), w0, 1e-9);
    driver().move(finger, at(*control, c0));
    EXPECT_NEAR(p.thumbWidth(), w0, 1e-9);
    driver().up(finger);
    settleSnap();

    control->setAllowChangeThumbWidth(false);
    const auto flat = driver().touchDown(at(*control, c0));
    for (double x : {c0 + 30, c1, c1 + 55, c2 + 20}) {
        driver().move(flat, at(*control, x));
        EXPECT_NEAR(p.thumbWidth(), 106, 1e-9);
    }
    driver().up(flat);
    settleSnap();
    EXPECT_NEAR(p.thumbWidth(), 106, 1e-9);
}

TEST_F(VXSegmentedControlTest, ATouchDuringASnapTestsTheThumbsFinalPlace) {
    auto control = laidOut({"A", "B", "C"});
    const Parts p(*control);
    driver().tap(at(*control, 250));
    advance(0.1);
    const auto finger = driver().touchDown(at(*control, 250));
    driver().move(finger, at(*control, 230));
    EXPECT_NEAR(p.thumbCenter(), 230, 1e-9);
    driver().up(finger);
}

TEST_F(VXSegmentedControlTest, Retitling) {
    auto control = laidOut({"A", "B", "C"});
    const Parts p(*control);
    const double thumb = p.thumbWidth();
    control->changeTitle("Much longer", 1);
    EXPECT_EQ(control->itemTitles()[1], ns::String("Much longer"));
    EXPECT_EQ(control->titleForItemAtIndex(1), ns::String("Much longer"));
    for (const auto& label : {p.labels[1], p.selected[1]}) {
        const cg::Size fit = label->sizeThatFits({big, big});
        EXPECT_NEAR(label->center().x, 150, 1e-9);
        EXPECT_NEAR(label->center().y, 20, 1e-9);
        EXPECT_DOUBLE_EQ(label->frame().width(), std::min(100.0, fit.width));
    }
    EXPECT_EQ(p.selected[1]->textColor(), ui::Color::white());
    EXPECT_EQ(p.thumbWidth(), thumb);

    // Without a selected title the plain one is used under the thumb too.
    const ns::AttributedString fancy("Fancy",
                                     {{ns::AttributedStringKey::foregroundColor, ns::Value::of(ui::Color::red())}});
    control->changeAttributedTitle(fancy, std::nullopt, 2);
    EXPECT_EQ(p.selected[2]->text(), ns::String("Fancy"));
    EXPECT_EQ(control->attributedTitleAtIndex(2).selected.string(), ns::String("Fancy"));
    EXPECT_EQ(control->itemTitles()[2], ns::String("C"));

    // Out of range: nothing, or empty answers.
    for (int bad : {-1, 3, 1000}) {
        control->changeTitle("x", bad);
        control->changeAttributedTitle(fancy, fancy, bad);
        EXPECT_EQ(control->titleForItemAtIndex(bad), ns::String());
        EXPECT_EQ(control->attributedTitleAtIndex(bad).normal.length(), 0);
    }
    EXPECT_EQ(control->itemTitles(), (std::vector<ns::String>{"A", "Much longer", "C"}));
    EXPECT_EQ(ns::make<Control>()->attributedTitleAtIndex(0).normal.length(), 0);
}

TEST_F(VXSegmentedControlTest, BadInputGetsSoundAnswers) {
    // Before layout: touches are ignored.
    auto early = add({"A", "B"});
    record(*early);
    const ui::TouchSet touches{ns::make<ui::Touch>(at(*early, 50))};
    early->touchesBegan(touches, nullptr);
    early->touchesMoved(touches, nullptr);
    early->touchesEnded(touches, nullptr);
    EXPECT_TRUE(log.empty());
    early->removeFromSuperview();

    // No items: a bare container, touches ignored.
    auto empty = add({}, {20, 100, 200, 0});
    empty->setPadding({std::nan(""), 12});
    record(*empty);
    runUntilIdle();
    EXPECT_EQ(empty->frame(), cg::Rect(20, 100, 200, 12));
    driver().tap(at(*empty, 100));
    empty->selectItemAt(3, true);
    empty->changeTitle("x", 0);
    EXPECT_EQ(empty->currentIndex(), 0);
    EXPECT_EQ(empty->titleForItemAtIndex(0), ns::String());
    EXPECT_EQ(Parts(*empty).thumbWidth(), 0);
    EXPECT_TRUE(log.empty());
    empty->removeFromSuperview();

    // One item: a tap and a drag both land on it.
    auto solo = laidOut({"Solo"}, {20, 100, 200, 40});
    record(*solo);
    driver().tap(at(*solo, 150));
    driver().drag(at(*solo, 100), at(*solo, 180), 4);
    EXPECT_EQ(log, (std::vector<std::string>{"state 0", "select 0 Solo", "state 1", "state 1", "state 1", "state 1",
                                             "state 0", "select 0 Solo"}));
    EXPECT_NEAR(Parts(*solo).thumbWidth(), 196, 1e-9);
    solo->removeFromSuperview();

    // An empty middle title still owns its segment.
    log.clear();
    auto gap = laidOut({"A", "", "C"});
    record(*gap);
    driver().tap(at(*gap, 150));
    settleSnap();
    EXPECT_EQ(gap->currentIndex(), 1);
    driver().drag(at(*gap, 150), at(*gap, 250), 10);
    settleSnap();
    EXPECT_EQ(gap->currentIndex(), 2);
    EXPECT_EQ(log.front(), "state 0");
    EXPECT_EQ(log[1], "select 1 ");
    EXPECT_EQ(log.back(), "select 2 C");
}

TEST_F(VXSegmentedControlTest, RuntimeCreatesItByNameWithItsAppearanceKeys) {
    EXPECT_EQ(Control::UIColorFromRGB(0xAB12FF7F), ui::Color(0x12 / 255.0, 1, 0x7F / 255.0, 1));
    EXPECT_EQ(Control::draggingStateFromRawValue(2), State::cancel);
    EXPECT_EQ(Control::draggingStateFromRawValue(3), std::nullopt);
    auto& runtime = ns::Runtime::shared();
    const auto control = std::dynamic_pointer_cast<Control>(runtime.create("VXSegmentedControl"));
    ASSERT_NE(control, nullptr);
    const std::vector<ui::Color> colors{ui::Color::red(), ui::Color::blue()};
    EXPECT_TRUE(runtime.setValue(*control, "thumbColor", ns::Value::of(ui::Color(0, 1, 0, 1))));
    EXPECT_TRUE(runtime.setValue(*control, "padding", ns::Value::of(cg::Size(40, 20))));
    EXPECT_TRUE(runtime.setValue(*control, "thumbGradientColors", ns::Value::of(colors)));
    EXPECT_TRUE(runtime.setValue(*control, "segCornerRadius", ns::Value::of(5)));
    window()->addSubview(control);
    runUntilIdle();

    const Parts p(*control);
    EXPECT_EQ(p.gradient()->colors(), (std::vector<cg::Color>{{1, 0, 0, 1}, {0, 0, 1, 1}}));
    EXPECT_EQ(p.gradient()->backgroundColor(), cg::Color(0, 1, 0, 1));
    EXPECT_EQ(p.shadow()->backgroundColor(), cg::Color(0, 1, 0, 1));
    EXPECT_EQ(p.thumb->layer()->cornerRadius(), 5);
    const ui::Font font("HelveticaNeue-Light", 12);
    EXPECT_DOUBLE_EQ(control->frame().height(), measured("Item1", font, true) + 20);

    for (const char* key : {"defaultTextFont", "selectedTextFont", "defaultTextColor", "selectedTextColor",
                            "containerBackgroundColor", "thumbColor", "thumbShadowColor", "useGradient", "useShadow",
                            "thumbGradientColors", "padding", "segCornerRadius"})
        EXPECT_TRUE(runtime.propertyType("VXSegmentedControl", key)) << key;
    for (const char* key : {"itemTitles", "allowDrag", "allowChangeThumbWidth", "currentIndex", "didSelectItemWith",
                            "didChangeDraggingState"})
        EXPECT_FALSE(runtime.propertyType("VXSegmentedControl", key)) << key;
}

TEST_F(VXSegmentedControlTest, InterfaceFileMakesItFromACoderWithItsAppearance) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXSegmentedControl" frame="10 20 0 0">
    <property name="thumbColor" value="#00FF00"/>
    <property name="padding" value="40 20"/>
    <property name="thumbGradientColors" value="red blue"/>
  </object>
</interface>)",
                                 "Segments");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    EXPECT_TRUE(ns::Runtime::shared().hasCoderFactory("VXSegmentedControl"));
    ASSERT_EQ(objects.size(), 1u);
    const auto control = std::dynamic_pointer_cast<Control>(objects[0]);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->itemTitles(), (std::vector<ns::String>{"Item1", "Item2"}));
    window()->addSubview(control);
    runUntilIdle();

    const Parts p(*control);
    EXPECT_EQ(p.gradient()->colors(), (std::vector<cg::Color>{{1, 0, 0, 1}, {0, 0, 1, 1}}));
    EXPECT_EQ(p.shadow()->backgroundColor(), cg::Color(0, 1, 0, 1));
    EXPECT_EQ(control->frame().origin, (cg::Point{10, 20}));
    EXPECT_DOUBLE_EQ(control->frame().height(), measured("Item1", ui::Font("HelveticaNeue-Light", 12), true) + 20);
}

TEST_F(VXSegmentedControlTest, ClosuresNeverKeepTheControlAlive) {
    auto control = laidOut({"A", "B", "C"});
    const std::weak_ptr<Control> weak = control;
    int calls = 0;
    control->didSelectItemWith = [weak, &calls](int, std::optional<ns::String>) {
        ++calls;
        if (const auto self = weak.lock()) self->removeFromSuperview();  // the host drops it at once
    };
    control->didChangeDraggingState = [weak, &calls](State) { calls += weak.expired() ? 100 : 1; };
    driver().tap(at(*control, 250));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(control->superview(), nullptr);
    control.reset();
    EXPECT_TRUE(weak.expired());  // mid-snap
    advance(1);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(loggedLines().empty());
}

// The gallery's state matrix: defaults, four items, flat thumb, square and custom, mid-drag.
TEST_F(VXSegmentedControlTest, StateMatrixGolden) {
    auto backdrop = ns::make<ui::View>(cg::Rect{0, 0, 375, 300});
    backdrop->setBackgroundColor(ui::Color::white());
    window()->addSubview(backdrop);
    const std::vector<ns::String> periods{"Day", "Week", "Month", "Year"};
    add({"Item1", "Item2"}, {16, 12, 0, 0});
    add(periods, {16, 64, 343, 36})->selectItemAt(2, false);
    auto flat = add({"Low", "Medium", "High"}, {16, 116, 343, 40});
    flat->setUseGradient(false);
    flat->setThumbColor(ui::Color::white());
    flat->setSelectedTextColor(Control::UIColorFromRGB(0x1C1C1E));
    flat->setContainerBackgroundColor(Control::UIColorFromRGB(0xDADADE));
    flat->selectItemAt(1, false);
    auto square = add({"One", "Two", "Three", "Four"}, {16, 172, 343, 44});
    square->setSegCornerRadius(0);
    square->setDefaultTextFont(ui::Font::systemFont(15));
    square->setSelectedTextFont(ui::Font::boldSystemFont(15));
    square->setDefaultTextColor(Control::UIColorFromRGB(0x3A3A5C));
    square->setContainerBackgroundColor(Control::UIColorFromRGB(0xE6ECF5));
    square->setThumbGradientColors(
        std::vector<ui::Color>{Control::UIColorFromRGB(0x4FA3FF), Control::UIColorFromRGB(0x1450C8)});
    square->selectItemAt(3, false);
    auto held = add(periods, {16, 236, 224, 36});
    held->setPadding({12, 20});
    held->selectItemAt(1, false);
    runUntilIdle();
    const auto finger = driver().touchDown(at(*held, 224 / 4 * 1.5));
    driver().move(finger, at(*held, 224 / 4 * 2));
    settleSnap();

    ca::Renderer renderer({375, 300}, 2);
    testing::expectMatchesGolden(renderer.render(*window()->layer()), "pellavo_segmented_control");
}

} // namespace
} // namespace pellavo
