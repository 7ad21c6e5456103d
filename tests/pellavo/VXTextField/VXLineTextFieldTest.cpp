#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/Animation.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/support/Pixels.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();
const cg::RGBA8 red{255, 0, 0, 255};
const cg::RGBA8 blue{0, 0, 255, 255};

bool same(const cg::RGBA8& a, const cg::RGBA8& b) {
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2 && std::abs(a.a - b.a) <= 2;
}

class VXLineTextFieldTest : public testing::AppTest {
protected:
    // A field of class `cls` from an interface file, in the window at (20, 100), laid out.
    template <class T = VXActiveTextField>
    std::shared_ptr<T> load(const std::string& cls, const std::string& properties = "") {
        auto nib =
            ui::Nib::fromData(R"(<interface version="1"><object class=")" + cls +
                                  R"(" id="f" frame="20 100 300 40"><property name="tweePlaceholder" value="Email"/>)" +
                                  properties + "</object></interface>",
                              "Lines");
        auto objects = nib->instantiate(nullptr);
        EXPECT_TRUE(nib->lastWarnings().empty());
        auto made = objects.size() == 1 ? std::dynamic_pointer_cast<T>(objects[0]) : nullptr;
        if (made) {
            window()->addSubview(made);
            window()->layoutIfNeeded();
        }
        return made;
    }

    // The line layers in sublayer order: the bottom line, then the active line.
    static std::vector<std::shared_ptr<ca::ShapeLayer>> lines(const ui::View& field) {
        std::vector<std::shared_ptr<ca::ShapeLayer>> found;
        for (const auto& layer : field.layer()->sublayers())
            if (auto shape = std::dynamic_pointer_cast<ca::ShapeLayer>(layer)) found.push_back(shape);
        return found;
    }
    static std::size_t indexOf(const ui::View& field, const std::shared_ptr<ca::Layer>& layer) {
        const auto& all = field.layer()->sublayers();
        return static_cast<std::size_t>(std::find(all.begin(), all.end(), layer) - all.begin());
    }
    static std::shared_ptr<ca::ShapeLayer> shown(const ca::ShapeLayer& layer) {
        return std::dynamic_pointer_cast<ca::ShapeLayer>(layer.presentation());
    }
    static double shownStrokeEnd(const ca::ShapeLayer& layer) { return shown(layer)->strokeEnd(); }
    // The path's two points: (0, y) to (w, y).
    static std::vector<cg::Point> points(const std::optional<cg::Path>& path) {
        std::vector<cg::Point> found;
        if (path)
            for (const auto& e : path->elements()) found.push_back(e.endPoint());
        return found;
    }
    static double shownPathY(const ca::ShapeLayer& layer) { return points(shown(layer)->path()).at(0).y; }
    void tapInto(const ui::View& f) { driver().tap(f.convertTo(cg::Point{150, 20}, nullptr)); }
};

TEST_F(VXLineTextFieldTest, BottomLineLiesAlongTheBottomEdgeAndFollowsTheHeight) {
    auto f = load<VXBorderedTextField>("VXBorderedTextField");
    ASSERT_TRUE(f);
    auto found = lines(*f);
    ASSERT_EQ(found.size(), 1u);
    const auto line = found[0];
    // Above the placeholder label, which the interface file placed before the wake-up.
    EXPECT_EQ(indexOf(*f, line), f->layer()->sublayers().size() - 1);
    EXPECT_LT(indexOf(*f, f->placeholderLabel()->layer()), indexOf(*f, line));
    EXPECT_EQ(f->lineColor(), ui::Color::clear());
    // The first fit set the path from none: nothing to animate from.
    EXPECT_TRUE(line->animationKeys().empty());

    f->setLineWidth(4);
    f->setLineColor(ui::Color::red());
    f->setNeedsLayout();
    runUntilIdle();
    advance(0.5);
    EXPECT_EQ(points(line->path()), (std::vector<cg::Point>{{0, 38}, {300, 38}}));
    const auto picture = testing::renderShown(*window());
    for (const double x : {20.25, 319.75}) {
        for (int row = 2 * 136; row < 2 * 140; ++row)
            EXPECT_TRUE(same(picture.pixel(static_cast<int>(x * 2), row), red)) << x << " " << row;
        EXPECT_FALSE(same(picture.pixel(static_cast<int>(x * 2), 2 * 136 - 1), red)) << x;
        EXPECT_FALSE(same(picture.pixel(static_cast<int>(x * 2), 2 * 140), red)) << x;
    }
    EXPECT_FALSE(same(testing::pixelAt(picture, 19.5, 138), red));

    // A resize glides the line to its new place.
    f->setFrame({20, 100, 300, 50});
    runUntilIdle();
    EXPECT_EQ(points(line->path()), (std::vector<cg::Point>{{0, 48}, {300, 48}}));
    advance(0.125);
    EXPECT_GT(shownPathY(*line), 38.5);
    EXPECT_LT(shownPathY(*line), 47.5);
    advance(0.125);
    EXPECT_DOUBLE_EQ(shownPathY(*line), 48);
}

TEST_F(VXLineTextFieldTest, ActiveLineGrowsAndShrinksOnTheClock) {
    auto f = load("VXActiveTextField");
    ASSERT_TRUE(f);
    auto found = lines(*f);
    ASSERT_EQ(found.size(), 2u);
    const auto active = found[1];
    EXPECT_EQ(indexOf(*f, active), indexOf(*f, found[0]) + 1);
    EXPECT_FALSE(active->path().has_value());

    tapInto(*f);
    ASSERT_TRUE(f->isEditing());
    EXPECT_NE(active->animation("ActiveLineStartAnimation"), nullptr);
    EXPECT_EQ(points(active->path()), (std::vector<cg::Point>{{0, 39.5}, {300, 39.5}}));
    // The first fit shows at once: there is no path to glide from.
    EXPECT_EQ(shownPathY(*active), 39.5);
    struct Step {
        double after;
        double shown;
    };
    for (const Step step : {Step{0.5, 0.5}, {0.5, 1}, {4, 1}}) {
        advance(step.after);
        EXPECT_NEAR(shownStrokeEnd(*active), step.shown, 1e-9);
        EXPECT_EQ(active->strokeEnd(), 1);
    }

    // Ending mid-grow shrinks from what is shown then.
    auto g = load("VXActiveTextField");
    ASSERT_TRUE(g);
    const auto line = lines(*g)[1];
    tapInto(*g);
    advance(0.4);
    g->resignFirstResponder();
    for (const Step step : {Step{0.5, 0.2}, {0.5, 0}, {2, 0}}) {
        advance(step.after);
        EXPECT_NEAR(shownStrokeEnd(*line), step.shown, 1e-9);
        EXPECT_EQ(line->strokeEnd(), 1);
    }
    tapInto(*g);
    EXPECT_EQ(line->animationKeys().back(), "ActiveLineStartAnimation");
    EXPECT_NEAR(shownStrokeEnd(*line), 0, 1e-9);
    advance(0.5);
    EXPECT_NEAR(shownStrokeEnd(*line), 0.5, 1e-9);

    // Resized while editing: the bottom line follows, the active one waits for the next begin.
    g->setFrame({20, 100, 200, 40});
    runUntilIdle();
    EXPECT_EQ(points(lines(*g)[0]->path()).at(1).x, 200);
    EXPECT_EQ(points(line->path()).at(1).x, 300);
    g->resignFirstResponder();
    tapInto(*g);
    EXPECT_EQ(points(line->path()).at(1).x, 200);
}

TEST_F(VXLineTextFieldTest, AnimationDurationSetByName) {
    struct Case {
        double set;
        double runs;
    };
    for (const Case c : {Case{0.3, 0.3}, {0, 0.25}, {nan, 0.25}}) {
        auto f = load("VXActiveTextField");
        ASSERT_TRUE(f);
        ASSERT_TRUE(ns::Runtime::shared().setValue(*f, "animationDuration", ns::Value::of(c.set)));
        tapInto(*f);
        const auto active = lines(*f)[1];
        EXPECT_EQ(active->animation("ActiveLineStartAnimation")->effectiveDuration(), c.runs) << c.set;
        advance(c.runs / 2);
        EXPECT_NEAR(shownStrokeEnd(*active), 0.5, 1e-9) << c.set;
        f->resignFirstResponder();
        EXPECT_EQ(active->animation("ActiveLineEndAnimation")->effectiveDuration(), c.runs) << c.set;
    }
}

TEST_F(VXLineTextFieldTest, ActiveLinePixels) {
    // Without its colour the active line draws nothing.
    auto plain = load("VXActiveTextField", R"(<property name="lineColor" value="red"/>)");
    ASSERT_TRUE(plain);
    advance(0.5);
    const auto before = testing::renderShown(*window());
    tapInto(*plain);
    advance(1);
    const auto after = testing::renderShown(*window());
    for (int x = 80; x < 640; x += 20) EXPECT_TRUE(same(before.pixel(x, 2 * 139), after.pixel(x, 2 * 139))) << x;
    plain->removeFromSuperview();

    // A wide active line covers the bottom line where it is drawn, and only there.
    auto f = load("VXActiveTextField", R"(<property name="lineColor" value="red"/>
        <property name="lineWidth" value="2"/><property name="activeLineColor" value="blue"/>
        <property name="activeLineWidth" value="6"/>)");
    ASSERT_TRUE(f);
    tapInto(*f);
    advance(0.5);
    const auto half = testing::renderShown(*window());
    testing::expectPixelNear(testing::pixelAt(half, 95, 139), blue, 2);
    testing::expectPixelNear(testing::pixelAt(half, 95, 135), blue, 2);
    testing::expectPixelNear(testing::pixelAt(half, 245, 139), red, 2);
    EXPECT_FALSE(same(testing::pixelAt(half, 245, 135), blue));
    EXPECT_FALSE(same(testing::pixelAt(half, 95, 133), blue));
}

TEST_F(VXLineTextFieldTest, CodeMadeFieldsAndBadInput) {
    // Made in code: nothing attached and nothing animated until woken, then everything once.
    auto f = ns::make<VXAttributedTextField>(cg::Rect{20, 100, 300, 40});
    window()->addSubview(f);
    runUntilIdle();
    EXPECT_TRUE(lines(*f).empty());
    tapInto(*f);
    ASSERT_TRUE(f->isEditing());
    f->showInfo("Required", false);
    EXPECT_EQ(f->infoLabel()->text()->utf8(), "Required");
    EXPECT_EQ(f->infoLabel()->superview(), nullptr);
    f->resignFirstResponder();
    f->awakeFromNib();
    f->awakeFromNib();
    ASSERT_EQ(lines(*f).size(), 2u);
    EXPECT_TRUE(lines(*f)[1]->animationKeys().empty());
    EXPECT_EQ(f->infoLabel()->superview(), f);
    tapInto(*f);
    EXPECT_EQ(lines(*f)[1]->animationKeys().back(), "ActiveLineStartAnimation");

    // Non-finite widths by name never reach the layers; a negative one draws nothing.
    auto g = load("VXActiveTextField", R"(<property name="lineColor" value="red"/>)");
    ASSERT_TRUE(g);
    auto& runtime = ns::Runtime::shared();
    for (const char* key : {"lineWidth", "activeLineWidth"})
        for (const double bad : {nan, std::numeric_limits<double>::infinity()}) {
            runtime.setValue(*g, key, ns::Value::of(bad));
            EXPECT_EQ(runtime.value(*g, key)->as<double>(), 1) << key;
        }
    g->setLineWidth(-2);
    g->setNeedsLayout();
    runUntilIdle();
    advance(0.5);
    EXPECT_EQ(points(lines(*g)[0]->path()).at(0).y, 41);
    const auto picture = testing::renderShown(*window());
    EXPECT_FALSE(same(testing::pixelAt(picture, 170, 139.5), red));
    EXPECT_TRUE(loggedLines().empty());

    // Scaled by 2, the line stays in the field's own coordinates.
    auto scaled = load<VXBorderedTextField>("VXBorderedTextField", R"(<property name="lineWidth" value="3"/>)");
    ASSERT_TRUE(scaled);
    scaled->setTransform(cg::AffineTransform::makeScale(2, 2));
    scaled->setNeedsLayout();
    runUntilIdle();
    EXPECT_EQ(points(lines(*scaled)[0]->path()), (std::vector<cg::Point>{{0, 38.5}, {300, 38.5}}));
}

TEST_F(VXLineTextFieldTest, DroppedMidGrowFieldGoesQuietly) {
    auto f = load("VXActiveTextField", R"(<property name="activeLineColor" value="blue"/>)");
    ASSERT_TRUE(f);
    tapInto(*f);
    advance(0.3);
    const std::weak_ptr<VXActiveTextField> weak = f;
    f->removeFromSuperview();
    f.reset();
    EXPECT_TRUE(weak.expired());
    ns::NotificationCenter::defaultCenter().post(ns::UITextFieldTextDidEndEditingNotification);
    advance(1);
    EXPECT_TRUE(loggedLines().empty());
    EXPECT_TRUE(printedLines().empty());
}

TEST_F(VXLineTextFieldTest, RegisteredByNameWithTheirProperties) {
    struct Entry {
        const char* cls;
        const char* superclass;
        std::vector<const char*> properties;
    };
    const Entry entries[] = {
        {"VXBorderedTextField", "VXPlaceholderTextField", {"lineColor", "lineWidth"}},
        {"VXActiveTextField", "VXBorderedTextField", {"activeLineColor", "activeLineWidth", "animationDuration"}},
        {"VXAttributedTextField", "VXActiveTextField", {"infoAnimationDuration", "infoFontSize", "infoTextColor"}},
    };
    auto& runtime = ns::Runtime::shared();
    for (const auto& e : entries) {
        EXPECT_EQ(runtime.superclassName(e.cls), e.superclass);
        EXPECT_TRUE(runtime.hasCoderFactory(e.cls));
        const auto made = runtime.create(e.cls);
        ASSERT_TRUE(made) << e.cls;
        EXPECT_EQ(made->className(), e.cls);
        for (const char* key : e.properties) EXPECT_TRUE(runtime.propertyType(e.cls, key).has_value()) << key;
    }
    for (const char* action : {"textFieldDidBeginEditing", "textFieldDidEndEditing"})
        EXPECT_TRUE(runtime.instancesRespondToSelector("VXActiveTextField", ns::Selector(action))) << action;
    for (const char* key : {"infoLabel", "line", "activeLine"})
        EXPECT_FALSE(runtime.propertyType("VXAttributedTextField", key).has_value()) << key;
}

} // namespace
} // namespace pellavo
