// Implicit actions: what a property change on a layer animates, read through the run loop.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/LayerDelegate.hpp"
#include "platform/ca/Transaction.hpp"
#include "tests/ca/AnimationTestSupport.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using ca::Transaction;
using ca::Transform3D;

class ImplicitActionTest : public pellavo::testing::AnimationFixture {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        root = ns::make<ca::Layer>();
        layer = ns::make<ca::Layer>();
        layer->setBounds(cg::Rect(0, 0, 10, 10));
        root->addSublayer(layer);
        runUntilIdle(); // the end of the turn commits both
    }
    cg::Point shownPosition() const { return layer->presentation()->position(); }

    std::shared_ptr<ca::Layer> root, layer;
};

TEST_F(ImplicitActionTest, ACommittedSublayerAnimatesWithTheDefaults) {
    layer->setPosition(cg::Point(100, 0));
    EXPECT_EQ(layer->position(), cg::Point(100, 0)); // the model at once
    ASSERT_EQ(layer->animationKeys(), (std::vector<std::string>{"position"}));
    const auto a = std::dynamic_pointer_cast<ca::BasicAnimation>(layer->animation("position"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->duration(), 0.25);
    EXPECT_EQ(a->timingFunction(), ca::MediaTimingFunction::defaultCurve());
    EXPECT_EQ(shownPosition(), cg::Point(0, 0));
    advance(0.125);
    EXPECT_DOUBLE_EQ(shownPosition().x, 100 * ca::MediaTimingFunction::defaultCurve().evaluate(0.5));
    advance(0.125);
    EXPECT_TRUE(layer->animationKeys().empty());
    EXPECT_EQ(shownPosition(), cg::Point(100, 0));
}

TEST_F(ImplicitActionTest, NoAnimationWhereNoneIsDue) {
    // A layer made in this turn has not been committed.
    auto fresh = ns::make<ca::Layer>();
    root->addSublayer(fresh);
    fresh->setPosition(cg::Point(5, 5));
    EXPECT_TRUE(fresh->animationKeys().empty());

    // A committed layer without a superlayer.
    auto loose = ns::make<ca::Layer>();
    runUntilIdle();
    loose->setPosition(cg::Point(5, 5));
    EXPECT_TRUE(loose->animationKeys().empty());
    loose->setIsWindowRoot(true); // a window's root animates without one
    loose->setPosition(cg::Point(6, 6));
    EXPECT_EQ(loose->animationKeys(), (std::vector<std::string>{"position"}));

    // Actions disabled.
    Transaction::begin();
    Transaction::setDisableActions(true);
    layer->setPosition(cg::Point(1, 1));
    Transaction::commit();
    // Zero duration.
    Transaction::begin();
    Transaction::setAnimationDuration(0);
    layer->setCornerRadius(3);
    Transaction::commit();
    // A null action.
    layer->setActions({{"opacity", nullptr}});
    layer->setOpacity(0.5f);
    // Not an animatable key.
    layer->setAnchorPoint(cg::Point(0, 0));
    layer->setIsHidden(true);
    EXPECT_TRUE(layer->animationKeys().empty());
    EXPECT_EQ(layer->presentation()->cornerRadius(), 3);
}

TEST_F(ImplicitActionTest, AFrameChangeAnimatesPositionAndBounds) {
    Transaction::begin();
    Transaction::setAnimationDuration(0.4);
    Transaction::setAnimationTimingFunction(ca::MediaTimingFunction::linear());
    layer->setFrame(cg::Rect(20, 40, 30, 50));
    Transaction::commit();
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"bounds", "position"}));
    advance(0.2);
    const auto shown = layer->presentation();
    EXPECT_DOUBLE_EQ(shown->bounds().size.width, 20);
    EXPECT_DOUBLE_EQ(shown->bounds().size.height, 30);
    EXPECT_DOUBLE_EQ(shown->position().x, 35.0 / 2);
    EXPECT_DOUBLE_EQ(shown->position().y, 65.0 / 2);
    advance(0.2);
    EXPECT_TRUE(layer->animationKeys().empty());
    EXPECT_EQ(layer->presentation()->frame(), cg::Rect(20, 40, 30, 50));
}

TEST_F(ImplicitActionTest, RetargetingIsContinuous) {
    layer->setPosition(cg::Point(100, 0));
    advance(0.1);
    const cg::Point before = shownPosition();
    layer->setPosition(cg::Point(-50, 30));
    const cg::Point after = shownPosition();
    EXPECT_NEAR(after.x, before.x, 1e-9);
    EXPECT_NEAR(after.y, before.y, 1e-9);
    EXPECT_EQ(layer->animationKeys().size(), 1u);
    advance(0.25);
    EXPECT_EQ(shownPosition(), cg::Point(-50, 30));
}

TEST_F(ImplicitActionTest, ZeroDurationRemovesTheImplicitAnimationButNotAnExplicitOne) {
    layer->setPosition(cg::Point(100, 0));
    auto pulse = ns::make<ca::BasicAnimation>();
    pulse->setKeyPath("cornerRadius");
    pulse->setFromValue(0.0);
    pulse->setToValue(8.0);
    pulse->setDuration(1);
    layer->addAnimation(pulse, "cornerRadius");
    advance(0.1);

    Transaction::begin();
    Transaction::setAnimationDuration(0);
    layer->setPosition(cg::Point(7, 7));
    layer->setCornerRadius(2);
    Transaction::commit();
    // The new position shows at once; the explicit radius animation runs on.
    EXPECT_EQ(shownPosition(), cg::Point(7, 7));
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"cornerRadius"}));
    EXPECT_DOUBLE_EQ(layer->presentation()->cornerRadius(), 0.8);
}

TEST_F(ImplicitActionTest, TransformScaleBesideALaterImplicitChange) {
    auto shrink = ns::make<ca::BasicAnimation>();
    shrink->setKeyPath("transform.scale");
    shrink->setToValue(0.0);
    shrink->setDuration(0.5);
    shrink->setFillMode(ca::FillMode::forwards);
    shrink->setIsRemovedOnCompletion(false);
    layer->addAnimation(shrink, "shrink");
    auto scale = [&] { return layer->presentation()->transform().m11; };
    EXPECT_EQ(scale(), 1); // exact at the start

    advance(0.25);
    const auto before = layer->presentation()->transform();
    layer->setTransform(Transform3D::makeRotation(0.3, 0, 0, 1)); // an implicit action
    const auto after = layer->presentation()->transform();
    EXPECT_NEAR(after.m11, before.m11, 1e-12);
    EXPECT_NEAR(after.m12, before.m12, 1e-12);
    EXPECT_NEAR(after.m22, before.m22, 1e-12);
    EXPECT_NEAR(before.m11, 0.5, 1e-12);

    advance(0.25);
    // Exact at the end: scale 0 on the new model's rotation.
    const auto end = layer->presentation()->transform();
    EXPECT_EQ(end.m11, 0);
    EXPECT_EQ(end.m22, 0);
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"shrink"}));
}

// Answers the action query for chosen keys.
struct Owner : ns::Object, ca::LayerDelegate {
    std::map<std::string, std::shared_ptr<ca::Action>, std::less<>> answers;
    std::vector<std::string> asked;
    std::optional<std::shared_ptr<ca::Action>> action(ca::Layer&, std::string_view key) override {
        asked.emplace_back(key);
        const auto it = answers.find(key);
        if (it == answers.end()) return std::nullopt;
        return it->second;
    }
};

TEST_F(ImplicitActionTest, DelegateThenActionsThenTheDefault) {
    auto owner = ns::make<Owner>();
    layer->setDelegate(owner);
    auto fade = ns::make<ca::BasicAnimation>(); // no from-value: the value shown before the change
    fade->setKeyPath("opacity");
    fade->setDuration(1);
    fade->setTimingFunction(ca::MediaTimingFunction::linear());
    owner->answers["opacity"] = fade;
    owner->answers["cornerRadius"] = nullptr; // no action, whatever the layer says
    auto grow = ns::make<ca::BasicAnimation>();
    grow->setKeyPath("borderWidth");
    grow->setDuration(2);
    layer->setActions({{"borderWidth", grow}, {"cornerRadius", grow}});

    layer->setOpacity(0);
    layer->setCornerRadius(4);
    layer->setBorderWidth(6);
    layer->setShadowRadius(9);
    EXPECT_EQ(owner->asked, (std::vector<std::string>{"opacity", "cornerRadius", "borderWidth", "shadowRadius"}));
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"opacity", "borderWidth", "shadowRadius"}));
    EXPECT_EQ(layer->animation("borderWidth")->duration(), 2);
    advance(0.5);
    const auto shown = layer->presentation();
    EXPECT_FLOAT_EQ(shown->opacity(), 0.5f);
    EXPECT_EQ(shown->cornerRadius(), 4);
    EXPECT_DOUBLE_EQ(shown->borderWidth(), 1.5);
}

} // namespace
