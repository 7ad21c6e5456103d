// Animated layers through the renderer: frames show presentation values, render(in:)
// the model.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/ca/AnimationGroup.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ca/Transaction.hpp"
#include "tests/ca/AnimationTestSupport.hpp"
#include "tests/support/Golden.hpp"
#include "tests/support/Pixels.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using pellavo::testing::basicAnimation;
using cg::Color;
using cg::RGBA8;

class AnimationRenderTest : public pellavo::testing::AnimationFixture {
protected:
    static RGBA8 at(const cg::Image& image, double x, double y) { return pellavo::testing::pixelAt(image, x, y); }
    const cg::Image& frame(ca::Renderer& renderer, const ca::Layer& root) {
        return renderer.render(root, ca::RenderMode::presentation(ca::currentMediaTime()));
    }
};

TEST_F(AnimationRenderTest, AFrameShowsThePresentationAndRenderInTheModel) {
    auto root = ns::make<ca::Layer>();
    root->setFrame(cg::Rect(0, 0, 60, 20));
    auto box = ns::make<ca::Layer>();
    box->setFrame(cg::Rect(0, 0, 20, 20));
    box->setBackgroundColor(Color(1, 0, 0, 1));
    root->addSublayer(box);
    box->addAnimation(basicAnimation("position", cg::Point(10, 10), cg::Point(50, 10), 1), "slide");
    box->addAnimation(basicAnimation("opacity", 1.0, 0.0, 1), "fade");
    advance(0.5);

    ca::Renderer renderer({60, 20}, 2);
    const cg::Image& shown = frame(renderer, *root);
    EXPECT_EQ(at(shown, 5, 10).a, 0); // the model place is empty
    const RGBA8 moved = at(shown, 30, 10);
    EXPECT_EQ(moved.r, 255);
    EXPECT_NEAR(moved.a, 128, 1);

    const cg::Image& model = renderer.render(*root, ca::RenderMode::model());
    EXPECT_EQ(at(model, 5, 10), (RGBA8{255, 0, 0, 255}));
    EXPECT_EQ(at(model, 30, 10).a, 0);
}

// Trimmed stroke, fade, turn and gradient colours, all half-way.
std::shared_ptr<ca::Layer> scene() {
    auto root = ns::make<ca::Layer>();
    root->setFrame(cg::Rect(0, 0, 200, 60));
    root->setBackgroundColor(Color(1, 1, 1, 1));

    auto ring = ns::make<ca::ShapeLayer>();
    ring->setFrame(cg::Rect(10, 10, 40, 40));
    ring->setPath(cg::Path::ellipse(cg::Rect(4, 4, 32, 32)));
    ring->setFillColor(std::nullopt);
    ring->setStrokeColor(Color(0.1, 0.4, 0.9, 1));
    ring->setLineWidth(6);
    ring->setLineCap(cg::LineCap::round);
    root->addSublayer(ring);

    auto faded = ns::make<ca::Layer>();
    faded->setFrame(cg::Rect(60, 10, 40, 40));
    faded->setBackgroundColor(Color(0.9, 0.2, 0.2, 1));
    faded->setCornerRadius(8);
    root->addSublayer(faded);

    auto turned = ns::make<ca::Layer>();
    turned->setFrame(cg::Rect(115, 15, 30, 30));
    turned->setBackgroundColor(Color(0.2, 0.7, 0.3, 1));
    root->addSublayer(turned);

    auto gradient = ns::make<ca::GradientLayer>();
    gradient->setFrame(cg::Rect(155, 10, 40, 40));
    gradient->setColors({Color(1, 0, 0, 1), Color(0, 0, 1, 1)});
    root->addSublayer(gradient);

    auto end = ns::make<ca::KeyframeAnimation>();
    end->setKeyPath("strokeEnd");
    end->setValues({0.0, 1.0});
    auto group = ns::make<ca::AnimationGroup>();
    group->setAnimations({end});
    group->setDuration(1);
    ring->addAnimation(group, "stroke");
    faded->addAnimation(basicAnimation("opacity", 1.0, 0.0, 1), "fade");
    turned->addAnimation(basicAnimation("transform.rotation.z", 0.0, std::numbers::pi / 2, 1), "turn");
    gradient->addAnimation(basicAnimation("colors", std::vector<Color>{Color(1, 0, 0, 1), Color(0, 0, 1, 1)},
                                                      std::vector<Color>{Color(0, 1, 0, 1), Color(1, 1, 0, 1)}, 1),
                           "colors");
    return root;
}

TEST_F(AnimationRenderTest, MidAnimationGolden) {
    auto root = scene();
    advance(0.5);
    ca::Renderer renderer({200, 60}, 2);
    const cg::Image& image = frame(renderer, *root);
    // Spot checks beside the picture: the gradient's top is half red, half green.
    const RGBA8 top = at(image, 175, 10.5);
    EXPECT_NEAR(top.r, 128, 3);
    EXPECT_NEAR(top.g, 128, 3);
    EXPECT_NEAR(top.b, 0, 3);
    // The square stands at 45°: its corner reaches out to the left of the model square.
    const RGBA8 corner = at(image, 112, 30);
    EXPECT_EQ(corner.a, 255);
    EXPECT_NEAR(corner.g, 179, 1);
    pellavo::testing::expectMatchesGolden(image, "ca_animation");
}

TEST_F(AnimationRenderTest, FramesDrawnOnTheWayChangeNothing) {
    // Two identical scenes started together; only one is drawn at every step.
    auto quiet = scene();
    auto busy = scene();
    ca::Renderer renderer({200, 60}, 2);
    for (int i = 0; i < 73; ++i) {
        advance(0.01);
        (void)frame(renderer, *busy);
    }
    auto bytes = [](const cg::Image& image) {
        return std::vector<std::uint8_t>(image.data(), image.data() + image.stride() * image.height());
    };
    const auto drawnAlong = bytes(frame(renderer, *busy));
    const auto drawnOnce = bytes(frame(renderer, *quiet));
    EXPECT_EQ(drawnAlong, drawnOnce);
}

} // namespace
