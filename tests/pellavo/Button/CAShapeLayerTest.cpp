#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pellavo/Button/CAShapeLayer.hpp"
#include "pellavo/Button/RenderLayerImage.hpp"
#include "pellavo/Button/UIBezierPath.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/view/Screen.hpp"
#include "tests/support/Pixels.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using cg::PathElement;
using cg::PathElementType;
using cg::Rect;
namespace shapes = pellavo::cashapelayer;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

std::vector<PathElement> elementsOf(const ca::ShapeLayer& layer) {
    return layer.path() ? layer.path()->elements() : std::vector<PathElement>{};
}

std::shared_ptr<ca::ShapeLayer> asShape(const std::shared_ptr<ca::Layer>& layer) {
    return std::dynamic_pointer_cast<ca::ShapeLayer>(layer);
}

using pellavo::testing::expectPixel;

void expectNoAnimations(const ca::Layer& layer) {
    EXPECT_TRUE(layer.animationKeys().empty());
    for (const auto& sub : layer.sublayers()) expectNoAnimations(*sub);
}

constexpr cg::RGBA8 kWhite{255, 255, 255, 255};
constexpr cg::RGBA8 kClear{0, 0, 0, 0};

class CAShapeLayerTest : public pellavo::testing::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        previousScale_ = ui::Screen::main().scale();
        ui::Screen::main().setScale(2);
    }
    void TearDown() override {
        ui::Screen::main().setScale(previousScale_);
        PlatformTest::TearDown();
    }

private:
    double previousScale_ = 2;
};

TEST_F(CAShapeLayerTest, FilledShapesHaveTheirFramesPathsAndFill) {
    const auto white = ui::Color::white();

    auto circlePlay = shapes::circlePlayShape(white, 10);
    EXPECT_EQ(circlePlay->frame(), Rect(0, 0, 10, 10));
    EXPECT_EQ(circlePlay->fillColor(), white.cgColor());
    EXPECT_EQ(circlePlay->strokeColor(), std::nullopt);
    const auto elements = elementsOf(*circlePlay);
    ASSERT_EQ(elements.size(), 10u);  // oval: move, four curves, close; then the triangle
    EXPECT_EQ(elements[0], PathElement::moveTo({10, 5}));
    EXPECT_EQ(elements[5].type, PathElementType::closeSubpath);
    const std::vector<PathElement> triangle(elements.begin() + 6, elements.end());
    EXPECT_EQ(triangle, uibezierpath::equilateralTriangle(5, {10.0 / 3, 2.5}).cgPath().elements());

    auto play = shapes::playShape(white, 20);
    auto replay = shapes::replayShape(white, 20);
    for (const auto& layer : {play, replay}) {
        EXPECT_EQ(layer->frame(), Rect(0, 0, 17.32050807568877, 20));
        EXPECT_EQ(elementsOf(*layer), uibezierpath::equilateralTriangle(20, {0, 0}).cgPath().elements());
        EXPECT_EQ(layer->fillColor(), white.cgColor());
    }
    EXPECT_NE(play, replay);  // a new layer each time

    auto circle = shapes::circle(ui::Color::red(), 10);
    EXPECT_EQ(circle->frame(), Rect(0, 0, 20, 20));  // the value is a radius
    EXPECT_EQ(elementsOf(*circle), ui::BezierPath::ovalIn({0, 0, 20, 20}).cgPath().elements());
    EXPECT_EQ(circle->fillColor(), ui::Color::red().cgColor());
}

TEST_F(CAShapeLayerTest, PauseIsAContainerOfTwoPlainBars) {
    const ui::Color color(0.2, 0.4, 0.6, 1);
    auto pause = shapes::pauseShape(color, {6, 20}, 4);
    EXPECT_EQ(pause->frame(), Rect(0, 0, 16, 20));
    EXPECT_FALSE(pause->path().has_value());
    ASSERT_EQ(pause->sublayers().size(), 2u);
    EXPECT_EQ(pause->sublayers()[0]->frame(), Rect(0, 0, 6, 20));
    EXPECT_EQ(pause->sublayers()[1]->frame(), Rect(10, 0, 6, 20));
    for (const auto& bar : pause->sublayers()) {
        EXPECT_EQ(asShape(bar), nullptr);
        EXPECT_EQ(bar->backgroundColor(), color.cgColor());
    }
}

struct GlyphCase {
    const char* name;
    std::function<std::shared_ptr<ca::ShapeLayer>(double, ui::Color)> make;
    std::vector<PathElement> path;  // for edge 18
    ui::Color under;
};

TEST_F(CAShapeLayerTest, StrokedGlyphsStackAnUnderStrokeBelowTheColour) {
    const double e = 18;
    const double x = e / 3 * 1.62;
    const std::vector<GlyphCase> cases = {
        {"close", shapes::closeShape,
         {PathElement::moveTo({0, 0}), PathElement::lineTo({e, e}), PathElement::moveTo({0, e}),
          PathElement::lineTo({e, 0})},
         ui::Color::darkGray()},
        {"back", shapes::backShape,
         {PathElement::moveTo({x, 0}), PathElement::lineTo({0, e * 0.5}), PathElement::moveTo({0, e * 0.5}),
          PathElement::lineTo({x, e})},
         ui::Color::clear()},
        {"plus", shapes::plusShape,
         {PathElement::moveTo({e * 0.5, 0}), PathElement::lineTo({e * 0.5, e}), PathElement::moveTo({0, e * 0.5}),
          PathElement::lineTo({e, e * 0.5})},
         ui::Color::clear()},
        {"confirm", shapes::confirmShape,
         {PathElement::moveTo({0, e * 0.47}), PathElement::lineTo({e * 0.32, e * 0.88}),
          PathElement::moveTo({e * 0.32, e * 0.88}), PathElement::lineTo({e * 0.96, e * 0.18})},
         ui::Color::darkGray()},
    };
    const ui::Color color(0.9, 0.8, 0.1, 1);
    for (const GlyphCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto glyph = c.make(e, color);
        EXPECT_EQ(glyph->frame(), Rect(0, 0, 22, 22));
        EXPECT_FALSE(glyph->path().has_value());
        EXPECT_FALSE(glyph->masksToBounds());
        ASSERT_EQ(glyph->sublayers().size(), 2u);
        auto lower = asShape(glyph->sublayers()[0]);
        auto upper = asShape(glyph->sublayers()[1]);
        ASSERT_TRUE(lower && upper);
        EXPECT_EQ(lower->strokeColor(), c.under.cgColor());
        EXPECT_EQ(lower->lineWidth(), 2.5);
        EXPECT_EQ(upper->strokeColor(), color.cgColor());
        EXPECT_EQ(upper->lineWidth(), 2.0);
        for (const auto& stroke : {lower, upper}) {
            EXPECT_EQ(stroke->frame(), Rect(2, 2, e, e));
            EXPECT_EQ(stroke->lineCap(), cg::LineCap::round);
            EXPECT_EQ(stroke->fillColor(), cg::Color(0, 0, 0, 1));  // left at the default
            EXPECT_EQ(elementsOf(*stroke), c.path);
        }
    }
    // The close icon of the close button: 19 × 19, strokes over (2, 2, 15, 15).
    auto close = shapes::closeShape(15, ui::Color::white());
    EXPECT_EQ(close->frame(), Rect(0, 0, 19, 19));
    for (const auto& stroke : close->sublayers()) EXPECT_EQ(stroke->frame(), Rect(2, 2, 15, 15));

    // The back chevron's vertex and ends.
    const auto back = elementsOf(*asShape(shapes::backShape(18, color)->sublayers()[1]));
    EXPECT_EQ(back[1].points[0], cg::Point(0, 9));
    EXPECT_NEAR(back[0].points[0].x, 9.72, 1e-12);
    EXPECT_NEAR(back[3].points[0].x, 9.72, 1e-12);
}

TEST_F(CAShapeLayerTest, NonFiniteSizesGiveZeroFramesAndEmptyPaths) {
    const auto white = ui::Color::white();
    using Factory = std::function<std::shared_ptr<ca::ShapeLayer>(double)>;
    const std::vector<std::pair<const char*, Factory>> factories = {
        {"circlePlay", [&](double v) { return shapes::circlePlayShape(white, v); }},
        {"play", [&](double v) { return shapes::playShape(white, v); }},
        {"replay", [&](double v) { return shapes::replayShape(white, v); }},
        {"pause width", [&](double v) { return shapes::pauseShape(white, {v, 10}, 2); }},
        {"pause gap", [&](double v) { return shapes::pauseShape(white, {3, 10}, v); }},
        {"close", [&](double v) { return shapes::closeShape(v, white); }},
        {"back", [&](double v) { return shapes::backShape(v, white); }},
        {"plus", [&](double v) { return shapes::plusShape(v, white); }},
        {"confirm", [&](double v) { return shapes::confirmShape(v, white); }},
        {"circle", [&](double v) { return shapes::circle(white, v); }},
    };
    for (const auto& [name, make] : factories) {
        for (double v : {kNaN, kInf, -kInf}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(v));
            auto layer = make(v);
            EXPECT_EQ(layer->frame(), Rect::zero());
            EXPECT_TRUE(elementsOf(*layer).empty());
            for (const auto& sub : layer->sublayers()) {
                EXPECT_EQ(sub->frame(), Rect::zero());
                if (auto shape = asShape(sub)) {
                    EXPECT_TRUE(elementsOf(*shape).empty());
                }
            }
            EXPECT_FALSE(detail::renderLayerImage(*layer).has_value());
        }
    }
    EXPECT_TRUE(loggedLines().empty());  // nothing non-finite ever reached a setter
    // Finite but far too large: the geometry stays finite and no bitmap is made.
    for (const auto& [name, make] : factories) {
        SCOPED_TRACE(name);
        auto layer = make(std::numeric_limits<double>::max());
        EXPECT_TRUE(layer->frame().isFinite());
        EXPECT_FALSE(detail::renderLayerImage(*layer).has_value());
    }
}

// The clockwise disc and the counter-clockwise triangle under the non-zero rule.
TEST_F(CAShapeLayerTest, CirclePlayLeavesATriangularHole) {
    auto layer = shapes::circlePlayShape(ui::Color::white(), 40);
    const auto image = detail::renderLayerImage(*layer);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->scale(), 2);
    const cg::Image& pixels = *image->cgImage();
    ASSERT_EQ(pixels.width(), 80);
    expectPixel(pixels, 6, 20, 2, kWhite, "disc left of the hole");
    // Centroid: x = 40/3 + 20 × √3/6, y = 20.
    expectPixel(pixels, 40.0 / 3 + 20 * uibezierpath::kTriangleCentroidFactor, 20, 2, kClear, "hole");
    expectPixel(pixels, 1, 1, 2, kClear, "corner outside the disc");
    expectPixel(pixels, 34, 20, 2, kWhite, "disc right of the apex");
}

TEST_F(CAShapeLayerTest, GlyphStrokesOverhangTheirBoundsWithARim) {
    auto close = shapes::closeShape(15, ui::Color::white());
    const auto image = detail::renderLayerImage(*close);
    ASSERT_TRUE(image.has_value());
    const cg::Image& pixels = *image->cgImage();
    EXPECT_EQ(pixels.width(), 38);
    expectPixel(pixels, 9.5, 9.5, 2, kWhite, "crossing");
    // The round cap at (2, 2) reaches about 1.25 points further out.
    EXPECT_GT(pixels.pixel(2, 2).a, 0);
    // Across the stroke near its middle, the edge is the dark grey rim.
    const double off = 1.125 / std::sqrt(2.0);  // perpendicular distance 1.125 from the centre line
    const cg::RGBA8 rim = pixels.pixel(static_cast<int>((6 + off) * 2), static_cast<int>((6 - off) * 2));
    EXPECT_GT(rim.a, 100);
    EXPECT_LT(rim.r, 160);
}

// Factories set geometry directly; nothing may slide into place afterwards.
TEST_F(CAShapeLayerTest, FactoriesLeaveNoAnimations) {
    const ui::Color white = ui::Color::white();
    for (const auto& layer : {shapes::circlePlayShape(white, 40), shapes::playShape(white, 20),
                              shapes::replayShape(white, 20), shapes::pauseShape(white, {6, 20}, 4),
                              shapes::closeShape(15, white), shapes::backShape(18, white),
                              shapes::plusShape(18, white), shapes::confirmShape(18, white),
                              shapes::circle(white, 10)}) {
        expectNoAnimations(*layer);
    }
}

} // namespace
