#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/text/StringDrawing.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using Event = ui::Control::Event;

// Counts the control events a host would see.
struct Events {
    int changed = 0, upInside = 0, upOutside = 0, cancelled = 0;
    void onChanged() { ++changed; }
    void onUpInside() { ++upInside; }
    void onUpOutside() { ++upOutside; }
    void onCancel() { ++cancelled; }
};

class VXCircularCheckBoxTest : public testing::AppTest {
protected:
    // Placed at (0, 100) in the window.
    std::shared_ptr<VXCircularCheckBox> place(VXCircularCheckBoxData data = {}, cg::Size size = {100, 40}) {
        box = VXCircularCheckBox::loadWith({0, 100, size.width, size.height}, std::move(data));
        window()->addSubview(box);
        box->addTarget(events, &Events::onChanged, Event::valueChanged);
        box->addTarget(events, &Events::onUpInside, Event::touchUpInside);
        box->addTarget(events, &Events::onUpOutside, Event::touchUpOutside);
        box->addTarget(events, &Events::onCancel, Event::touchCancel);
        return box;
    }
    ui::View& boxView() const { return *box->subviews().at(0); }
    ca::ShapeLayer& layerAt(std::size_t i) const {
        return static_cast<ca::ShapeLayer&>(*boxView().layer()->sublayers().at(i));
    }
    ca::ShapeLayer& dot() const { return layerAt(1); }
    double shownScale() const { return dot().presentation()->transform().m11; }
    cg::Point inWindow(cg::Point p) const { return {p.x, p.y + 100}; }

    std::shared_ptr<VXCircularCheckBox> box;
    std::shared_ptr<Events> events = std::make_shared<Events>();
};

TEST_F(VXCircularCheckBoxTest, BuildsTheBoxTheDotAndTheTitle) {
    place();
    EXPECT_EQ(box->subviews().size(), 1u);  // no title
    EXPECT_EQ(boxView().frame(), (cg::Rect{44, 14, 12, 12}));
    EXPECT_EQ(layerAt(0).path()->boundingBox(), (cg::Rect{0, 0, 12, 12}));
    EXPECT_EQ(layerAt(0).frame(), (cg::Rect{0, 0, 12, 12}));
    EXPECT_EQ(layerAt(0).lineWidth(), 1);
    EXPECT_EQ(layerAt(0).fillColor(), ui::Color::clear().cgColor());
    EXPECT_EQ(dot().path()->boundingBox(), (cg::Rect{1.5, 1.5, 6, 6}));
    // Unchecked, the dot is scaled away about its centre.
    EXPECT_EQ(dot().bounds(), (cg::Rect{0, 0, 6, 6}));
    EXPECT_EQ(dot().position(), (cg::Point{4.5, 4.5}));
    EXPECT_EQ(dot().lineWidth(), 0);

    VXCircularCheckBoxData large;
    large.checked = true;
    large.borderRadius = 20;
    large.circleRadius = 10;
    place(large);
    EXPECT_EQ(dot().frame(), (cg::Rect{2.5, 2.5, 10, 10}));
    EXPECT_EQ(dot().position(), (cg::Point{7.5, 7.5}));

    VXCircularCheckBoxData titled;
    titled.labelText = "Remember me";
    place(titled);
    EXPECT_EQ(boxView().center(), (cg::Point{11, 20}));
    ASSERT_EQ(box->subviews().size(), 2u);
    const auto& label = static_cast<ui::Label&>(*box->subviews()[1]);
    const cg::Size text =
        ui::boundingRect(titled.labelText, {78, std::numeric_limits<double>::max()},
                         ui::StringDrawingOptions::usesLineFragmentOrigin,
                         {{ns::AttributedStringKey::font, ns::Value::of(ui::Font::systemFont(15))}})
            .size;
    EXPECT_EQ(label.frame(), (cg::Rect{22, (40 - text.height) / 2, text.width + 10, text.height}));
    EXPECT_EQ(label.numberOfLines(), 1);
    EXPECT_EQ(label.text()->utf8(), "Remember me");

    // Sizes that are not numbers draw nothing; the dot of a box built unchecked is gone.
    VXCircularCheckBoxData bad;
    bad.borderRadius = std::numeric_limits<double>::quiet_NaN();
    bad.circleRadius = std::numeric_limits<double>::infinity();
    place(bad);
    EXPECT_EQ(boxView().frame(), (cg::Rect{50, 20, 0, 0}));
    EXPECT_EQ(dot().frame(), (cg::Rect{0, 0, 0, 0}));
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(VXCircularCheckBoxTest, TheDotScalesOnTheClock) {
    place();
    EXPECT_EQ(shownScale(), 1);  // made at full size, shrinking
    advance(0.15);
    EXPECT_NEAR(shownScale(), 0.5, 1e-9);
    advance(0.15);
    EXPECT_EQ(shownScale(), 0);
    EXPECT_EQ(events->changed, 0);

    VXCircularCheckBoxData checked;
    checked.checked = true;
    place(checked);
    for (int i = 0; i < 4; ++i, advance(0.1)) EXPECT_EQ(shownScale(), 1);
    EXPECT_EQ(events->changed, 0);

    // A committed dot runs the implicit transform animation beside the explicit one.
    place();
    advance(1);
    driver().tap(inWindow({50, 20}));
    EXPECT_TRUE(box->checked());
    EXPECT_EQ(events->changed, 1);
    for (int i = 0; i < 6; ++i, advance(0.05)) {
        const double shown = shownScale();
        EXPECT_TRUE(std::isfinite(shown) && shown >= 0 && shown <= 1) << shown;
    }
    EXPECT_EQ(shownScale(), 1);

    // A second flip starts from what shows at that moment.
    place();
    advance(1);
    box->toggle();
    advance(0.1);
    const double before = shownScale();
    box->toggle();
    EXPECT_NEAR(shownScale(), before, 1e-9);
    advance(0.3);
    EXPECT_EQ(shownScale(), 0);
}

TEST_F(VXCircularCheckBoxTest, EachTouchFlipsOnce) {
    struct Row {
        const char* gesture;
        int flips, upInside, upOutside, cancelled;
    };
    const Row rows[] = {
        {"tap on the box", 1, 0, 0, 1},
        {"tap on the title", 1, 1, 0, 0},
        {"lifted 200 points away", 1, 0, 1, 0},
        {"dragged off the box", 1, 1, 0, 0},
        {"cancelled", 0, 0, 0, 1},
    };
    VXCircularCheckBoxData titled;
    titled.labelText = "Remember me";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.gesture);
        events = std::make_shared<Events>();
        place(titled, {200, 40});
        const std::string gesture = row.gesture;
        if (gesture == "tap on the box") {
            driver().tap(inWindow({11, 20}));
        } else if (gesture == "tap on the title") {
            driver().tap(inWindow({40, 20}));
        } else if (gesture == "lifted 200 points away") {
            driver().up(driver().touchDown(inWindow({40, 20})), inWindow({240, 220}));
        } else if (gesture == "dragged off the box") {
            const auto finger = driver().touchDown(inWindow({11, 20}));
            driver().move(finger, inWindow({11 + ui::TapGestureRecognizer::movementAllowance + 5, 20}));
            driver().up(finger);
        } else {
            driver().cancel(driver().touchDown(inWindow({40, 20})));
        }
        advance(0.5);
        EXPECT_EQ(box->checked(), row.flips % 2 == 1);
        EXPECT_EQ(events->changed, row.flips);
        EXPECT_EQ(events->upInside, row.upInside);
        EXPECT_EQ(events->upOutside, row.upOutside);
        EXPECT_EQ(events->cancelled, row.cancelled);
        box->removeFromSuperview();
    }
}

TEST_F(VXCircularCheckBoxTest, KnownByNameButMadeOnlyInCode) {
    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.isClassRegistered("VXCircularCheckBox"));
    EXPECT_EQ(runtime.superclassName("VXCircularCheckBox"), "UIControl");
    EXPECT_EQ(runtime.create("VXCircularCheckBox"), nullptr);

    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXCircularCheckBox" frame="0 0 100 40"/>
</interface>)",
                                 "CheckBoxFile");
    EXPECT_TRUE(nib->instantiate(nullptr).empty());
    ASSERT_TRUE(nib->lastError().has_value());
    EXPECT_EQ(nib->lastError()->kind, ui::Nib::Error::Kind::unknownClass);
    EXPECT_EQ(loggedLines(), (std::vector<std::string>{
                                 "create: the class 'VXCircularCheckBox' has no plain initialiser",
                                 "create: the class 'VXCircularCheckBox' has no plain initialiser",
                                 "Could not load interface file 'CheckBoxFile': the class 'VXCircularCheckBox' "
                                 "cannot be loaded (line 2)",
                             }));

    place();
    EXPECT_TRUE(runtime.perform(box.get(), ns::Selector("toggle"), nullptr));
    EXPECT_TRUE(box->checked());
    EXPECT_EQ(events->changed, 1);
}

TEST_F(VXCircularCheckBoxTest, DroppedMidAnimationIsNeverCalled) {
    place();
    driver().tap(inWindow({50, 20}));
    advance(0.1);
    const std::weak_ptr<VXCircularCheckBox> weak = box;
    box->removeFromSuperview();
    box.reset();
    EXPECT_TRUE(weak.expired());
    advance(1);
    EXPECT_EQ(events->changed, 1);
}

TEST_F(VXCircularCheckBoxTest, GoldenStates) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 232, 248});
    board->setBackgroundColor(ui::Color::white());
    window()->addSubview(board);
    auto add = [&](double y, VXCircularCheckBoxData data) {
        auto made = VXCircularCheckBox::loadWith({16, y, 200, 40}, std::move(data));
        board->addSubview(made);
        return made;
    };
    VXCircularCheckBoxData data;
    add(8, data);
    data.checked = true;
    add(56, data);
    data.labelText = "Remember me";
    add(104, data);
    data.borderRadius = 20;
    data.circleRadius = 10;
    data.borderColor = ui::Color::blue();
    data.circleColor = ui::Color::red();
    data.labelText = "Remember me";
    data.labelFont = ui::Font::boldSystemFont(17);
    add(152, data);
    VXCircularCheckBoxData tapped;
    tapped.labelText = "Tapped once";
    add(200, tapped);
    board->layoutIfNeeded();
    driver().tap({27, 220});
    advance(1);
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_circular_check_box");
}

} // namespace
} // namespace pellavo
