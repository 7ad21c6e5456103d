// Animations evaluated on their own, at times relative to their begin, against a
// stand-in layer model.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

#include "platform/ca/AnimationGroup.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/PresentationState.hpp"
#include "platform/ca/Transition.hpp"
#include "tests/ca/AnimationTestSupport.hpp"

namespace {

using namespace pellavo;
using pellavo::testing::basicAnimation;
using ca::AnimatableKey;
using ca::FillMode;
using ca::Transform3D;
using ca::Value;
constexpr double pi = std::numbers::pi;
const double nan = std::nan("");

// A model with a few keys of each kind.
class Model : public ca::PresentationState {
public:
    std::map<AnimatableKey, Value> values = {
        {AnimatableKey::opacity, 1.0},
        {AnimatableKey::position, cg::Point(10, 20)},
        {AnimatableKey::transform, Transform3D::identity()},
        {AnimatableKey::backgroundColor, std::optional<cg::Color>()},
        {AnimatableKey::strokeStart, 0.0},
        {AnimatableKey::strokeEnd, 1.0},
    };
    std::optional<Value> modelValue(AnimatableKey key) const override {
        auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

// The value of a key path after applying the animation at time t.
std::optional<Value> evaluate(const ca::Animation& a, double t, const std::string& path) {
    Model m;
    a.apply(t, m);
    return m.current(*ca::KeyPath::parse(path));
}

double number(const ca::Animation& a, double t, const std::string& path) {
    auto v = evaluate(a, t, path);
    EXPECT_TRUE(v && std::holds_alternative<double>(*v));
    return v && std::holds_alternative<double>(*v) ? std::get<double>(*v) : nan;
}

TEST(AnimationEvaluation, DurationsThatAreNotPositiveRunAQuarterSecond) {
    for (double d : {0.0, -1.0, nan, double(INFINITY)}) {
        auto a = basicAnimation("opacity", 0.0, 1.0, d);
        EXPECT_DOUBLE_EQ(number(*a, 0.125, "opacity"), 0.5) << d;
        EXPECT_DOUBLE_EQ(a->activeSpan(), 0.25) << d;
    }
}

TEST(AnimationEvaluation, FillModesBeforeAndAfterTheSpan) {
    struct Case {
        FillMode fill;
        double before, after; // model opacity is 1; the animation runs 0.2 → 0.6
    } cases[] = {
        {FillMode::removed, 1, 1},
        {FillMode::forwards, 1, 0.6},
        {FillMode::backwards, 0.2, 1},
        {FillMode::both, 0.2, 0.6},
    };
    for (const auto& c : cases) {
        auto a = basicAnimation("opacity", 0.2, 0.6, 1);
        a->setFillMode(c.fill);
        EXPECT_EQ(number(*a, -0.5, "opacity"), c.before);
        EXPECT_EQ(number(*a, 1.0, "opacity"), c.after);
        EXPECT_EQ(number(*a, 5.0, "opacity"), c.after);
        EXPECT_DOUBLE_EQ(number(*a, 0.5, "opacity"), 0.4);
    }
}

TEST(AnimationEvaluation, MissingEndsComeFromTheModelOrTheIdentity) {
    // No to-value: the model value at evaluation.
    auto a = basicAnimation("position", cg::Point(0, 0), std::nullopt, 1);
    EXPECT_EQ(std::get<cg::Point>(*evaluate(*a, 0.5, "position")), cg::Point(5, 10));
    // Additive without ends: runs from the identity to the identity.
    auto b = basicAnimation("position", std::nullopt, cg::Point(4, 4), 1);
    b->setIsAdditive(true);
    EXPECT_EQ(std::get<cg::Point>(*evaluate(*b, 0.5, "position")), cg::Point(12, 22));
}

TEST(AnimationEvaluation, FractionalAndEndlessRepeats) {
    auto a = basicAnimation("opacity", 0.0, 1.0, 1);
    a->setRepeatCount(1.5);
    a->setFillMode(FillMode::forwards);
    EXPECT_DOUBLE_EQ(a->activeSpan(), 1.5);
    EXPECT_DOUBLE_EQ(number(*a, 1.25, "opacity"), 0.25);
    EXPECT_DOUBLE_EQ(number(*a, 9, "opacity"), 0.5); // held where the half cycle ended

    auto endless = basicAnimation("opacity", 0.0, 1.0, 0.5);
    endless->setRepeatCount(INFINITY);
    EXPECT_TRUE(std::isinf(endless->activeSpan()));
    EXPECT_NEAR(number(*endless, 1e6 + 0.125, "opacity"), 0.25, 1e-6);
}

TEST(AnimationEvaluation, CumulativeAdditiveRotationKeepsTurning) {
    auto spin = basicAnimation("transform.rotation.z", 0.0, 2 * pi, 2.2);
    spin->setIsAdditive(true);
    spin->setIsCumulative(true);
    spin->setRepeatCount(INFINITY);

    auto transformAt = [&](double t) {
        Model m;
        spin->apply(t, m);
        return std::get<Transform3D>(*m.current({AnimatableKey::transform}));
    };
    const auto quarter = transformAt(0.55);
    EXPECT_NEAR(quarter.m11, 0, 1e-12);
    EXPECT_NEAR(quarter.m12, 1, 1e-12); // (1, 0) turns clockwise onto (0, 1)
    EXPECT_NEAR(number(*spin, 0.55, "transform.rotation"), pi / 2, 1e-12);
    // Across the cycle boundary the picture moves on smoothly.
    const double eps = 1e-7;
    const auto before = transformAt(2.2 - eps), after = transformAt(2.2 + eps);
    EXPECT_NEAR(before.m11, after.m11, 1e-5);
    EXPECT_NEAR(before.m12, after.m12, 1e-5);
    // Two and a half turns in: a half turn.
    EXPECT_NEAR(std::fabs(number(*spin, 5.5, "transform.rotation")), pi, 1e-9);
}

TEST(AnimationEvaluation, SpringTimingOvershootsAndSettlesAtTheEnd) {
    auto a = basicAnimation("opacity", 0.0, 1.0, 0.6);
    a->setSpringTiming(0.7, 3);
    EXPECT_EQ(number(*a, 0, "opacity"), 0);
    double peak = 0;
    for (double t = 0.01; t < 0.6; t += 0.01) peak = std::max(peak, number(*a, t, "opacity"));
    EXPECT_GT(peak, 1);
    EXPECT_EQ(a->progress(1, 0.6), 1);
    // The start velocity is the given one, in whole distances per second.
    EXPECT_NEAR(a->progress(1e-7 / 0.6, 0.6) / 1e-7, 3, 1e-3);
    // Critical damping never overshoots; a damping ratio of 0 or NaN is clamped.
    auto critical = basicAnimation("opacity", 0.0, 1.0, 0.5);
    critical->setSpringTiming(5, 0);
    for (double f = 0; f <= 1; f += 0.05) EXPECT_LE(critical->progress(f, 0.5), 1);
    for (double damping : {0.0, -2.0, nan}) {
        auto s = basicAnimation("opacity", 0.0, 1.0, 0.5);
        s->setSpringTiming(damping, nan);
        for (double f = 0; f <= 1; f += 0.1) EXPECT_TRUE(std::isfinite(s->progress(f, 0.5)));
    }
}

TEST(AnimationEvaluation, KeyframesAreExactAtTheirTimes) {
    auto k = ns::make<ca::KeyframeAnimation>();
    k->setKeyPath("opacity");
    k->setDuration(2);
    k->setValues({0.1, 0.7, 0.3, 0.9});
    k->setKeyTimes({0, 0.25, 0.5, 1});
    EXPECT_EQ(number(*k, 0, "opacity"), 0.1);
    EXPECT_EQ(number(*k, 0.5, "opacity"), 0.7);
    EXPECT_EQ(number(*k, 1.0, "opacity"), 0.3);
    EXPECT_DOUBLE_EQ(number(*k, 1.5, "opacity"), 0.6);

    // Unusable key times (wrong count, not starting at 0, decreasing, NaN) space evenly.
    for (auto times : std::vector<std::vector<double>>{
             {0, 1}, {0.1, 0.2, 0.3, 1}, {0, 0.6, 0.4, 1}, {0, nan, 0.5, 1}}) {
        k = ns::make<ca::KeyframeAnimation>();
        k->setKeyPath("opacity");
        k->setDuration(3);
        k->setValues({0.1, 0.7, 0.3, 0.9});
        k->setKeyTimes(times);
        EXPECT_EQ(number(*k, 1, "opacity"), 0.7);
        EXPECT_EQ(number(*k, 2, "opacity"), 0.3);
    }
}

TEST(AnimationEvaluation, PacedKeyframesSpaceByDistance) {
    auto k = ns::make<ca::KeyframeAnimation>();
    k->setKeyPath("strokeEnd");
    k->setDuration(0.3);
    k->setCalculationMode(ca::CalculationMode::paced);
    k->setValues({0.0, 0.95, 0.85});
    k->setKeyTimes({0, 0.9, 1}); // ignored when paced
    EXPECT_NEAR(number(*k, 0.3 * 0.95 / 1.05, "strokeEnd"), 0.95, 1e-12);
    EXPECT_NEAR(number(*k, 0.3 * 0.5 / 1.05, "strokeEnd"), 0.5, 1e-12);

    // Colours by RGBA distance: black → white is 2 × red → black.
    auto c = ns::make<ca::KeyframeAnimation>();
    c->setKeyPath("backgroundColor");
    c->setDuration(3);
    c->setCalculationMode(ca::CalculationMode::paced);
    c->setValues({cg::Color(1, 0, 0, 1), cg::Color(0, 0, 0, 1), cg::Color(1, 1, 0, 1)});
    // Distances 1 and √2: black is reached at 3 / (1 + √2) s.
    const auto black = std::get<std::optional<cg::Color>>(*evaluate(*c, 3 / (1 + std::sqrt(2.0)), "backgroundColor"));
    EXPECT_NEAR(black->red, 0, 1e-12);
    EXPECT_NEAR(black->green, 0, 1e-12);

    // Nothing to pace: the first value is held.
    auto still = ns::make<ca::KeyframeAnimation>();
    still->setKeyPath("opacity");
    still->setCalculationMode(ca::CalculationMode::paced);
    still->setDuration(1);
    still->setValues({0.4, 0.4, 0.4});
    EXPECT_EQ(number(*still, 0.5, "opacity"), 0.4);

    // One value shows throughout; none shows nothing.
    still->setValues({0.3});
    EXPECT_EQ(number(*still, 0.9, "opacity"), 0.3);
    still->setValues({});
    EXPECT_EQ(number(*still, 0.9, "opacity"), 1);
}

TEST(AnimationEvaluation, BadValuesContributeNothing) {
    // Wrong kinds, non-finite values and unknown key paths leave the model alone.
    EXPECT_EQ(number(*basicAnimation("opacity", cg::Point(1, 1), 0.5, 1), 0.5, "opacity"), 1);
    EXPECT_EQ(number(*basicAnimation("opacity", nan, 0.5, 1), 0.5, "opacity"), 1);
    EXPECT_EQ(number(*basicAnimation("opacity", 0.0, INFINITY, 1), 0.5, "opacity"), 1);
    EXPECT_EQ(number(*basicAnimation("opacityy", 0.0, 0.5, 1), 0.5, "opacity"), 1);
    EXPECT_EQ(number(*basicAnimation("transform.scale", cg::Point(), 0.5, 1), 0.5, "transform.scale"), 1);
    // A key the layer does not have.
    EXPECT_FALSE(evaluate(*basicAnimation("lineWidth", 0.0, 2.0, 1), 0.5, "lineWidth"));
    auto k = ns::make<ca::KeyframeAnimation>();
    k->setKeyPath("opacity");
    k->setValues({0.0, nan, 1.0});
    EXPECT_EQ(number(*k, 0.1, "opacity"), 1);
}

TEST(AnimationEvaluation, TransformScaleKeepsRotationAndTranslation) {
    Model m;
    m.values[AnimatableKey::transform] = Transform3D::makeTranslation(5, 6, 0).rotated(0.3, 0, 0, 1).scaled(2, 2, 1);
    auto a = basicAnimation("transform.scale", std::nullopt, 0.0, 1);
    a->apply(0.5, m);
    // No from-value and nothing captured: the model's scale, 2.
    EXPECT_NEAR(std::get<double>(*m.current(*ca::KeyPath::parse("transform.scale"))), 1, 1e-12);
    EXPECT_NEAR(std::get<double>(*m.current(*ca::KeyPath::parse("transform.rotation"))), 0.3, 1e-12);
    const auto t = std::get<Transform3D>(*m.current({AnimatableKey::transform}));
    EXPECT_NEAR(t.m41, 5, 1e-12);
    EXPECT_NEAR(t.m42, 6, 1e-12);

    // A transform scaled by (1, 1, 0) reads as scale 1.
    Model flat;
    flat.values[AnimatableKey::transform] = Transform3D::makeScale(1, 1, 0);
    EXPECT_EQ(std::get<double>(*flat.model(*ca::KeyPath::parse("transform.scale"))), 1);

    // Additive scales multiply.
    Model twice;
    twice.values[AnimatableKey::transform] = Transform3D::makeScale(2, 2, 1);
    auto grow = basicAnimation("transform.scale", 1.0, 3.0, 1);
    grow->setIsAdditive(true);
    grow->apply(1.0 - 1e-12, twice);
    EXPECT_NEAR(std::get<Transform3D>(*twice.current({AnimatableKey::transform})).m11, 6, 1e-9);
}

// Two children forward-filled in a 0.3 s linear group, itself forward-filled.
std::shared_ptr<ca::AnimationGroup> strokeGroup() {
    auto end = ns::make<ca::KeyframeAnimation>();
    end->setKeyPath("strokeEnd");
    end->setValues({0.0, 0.95, 0.85});
    end->setDuration(0.3);
    end->setFillMode(FillMode::forwards);
    auto start = basicAnimation("strokeStart", 0.0, 0.5, 0.15);
    start->setBeginTime(0.15);
    start->setFillMode(FillMode::forwards);
    auto g = ns::make<ca::AnimationGroup>();
    g->setDuration(0.3);
    g->setAnimations({end, start});
    g->setFillMode(FillMode::forwards);
    return g;
}

TEST(AnimationEvaluation, GroupsRunTheirChildrenOnTheGroupClock) {
    auto g = strokeGroup();
    // Before its begin the strokeStart child shows the model.
    EXPECT_EQ(number(*g, 0.075, "strokeStart"), 0);
    EXPECT_DOUBLE_EQ(number(*g, 0.075, "strokeEnd"), 0.475);
    EXPECT_EQ(number(*g, 0.15, "strokeStart"), 0);
    EXPECT_EQ(number(*g, 0.15, "strokeEnd"), 0.95);
    // Final values are held after the end.
    for (double t : {0.3, 1.0}) {
        EXPECT_EQ(number(*g, t, "strokeStart"), 0.5);
        EXPECT_EQ(number(*g, t, "strokeEnd"), 0.85);
    }
}

TEST(AnimationEvaluation, GroupTimingRemapsAndClipsChildren) {
    auto child = basicAnimation("opacity", 0.0, 1.0, 0); // no duration: the group's
    auto g = ns::make<ca::AnimationGroup>();
    g->setDuration(2);
    g->setTimingFunction(ca::MediaTimingFunction::easeIn());
    g->setAnimations({child});
    const double expected = ca::MediaTimingFunction::easeIn().evaluate(0.25);
    EXPECT_NEAR(number(*g, 0.5, "opacity"), expected, 1e-12);

    // A child longer than its group is cut off at the group's end.
    auto longChild = basicAnimation("opacity", 0.0, 1.0, 10);
    longChild->setFillMode(FillMode::forwards);
    auto clip = ns::make<ca::AnimationGroup>();
    clip->setDuration(1);
    clip->setFillMode(FillMode::forwards);
    clip->setAnimations({longChild});
    EXPECT_DOUBLE_EQ(number(*clip, 0.5, "opacity"), 0.05);
    EXPECT_DOUBLE_EQ(number(*clip, 5, "opacity"), 0.1);
    // Without a fill the group shows nothing after its span.
    clip->setFillMode(FillMode::removed);
    EXPECT_EQ(number(*clip, 5, "opacity"), 1);
    // An empty group is harmless.
    auto empty = ns::make<ca::AnimationGroup>();
    empty->setAnimations({nullptr});
    EXPECT_EQ(number(*empty, 0.1, "opacity"), 1);
}

TEST(AnimationEvaluation, FrozenCopiesIgnoreSettersAndCopiesAreDeep) {
    auto g = strokeGroup();
    auto copy = std::dynamic_pointer_cast<ca::AnimationGroup>(g->copy());
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->animations().size(), 2u);
    EXPECT_NE(copy->animations()[0], g->animations()[0]);
    copy->freeze();
    copy->setDuration(9);
    copy->animations()[1]->setBeginTime(0);
    std::static_pointer_cast<ca::BasicAnimation>(copy->animations()[1])->setToValue(0.9);
    EXPECT_EQ(copy->duration(), 0.3);
    EXPECT_EQ(copy->animations()[1]->beginTime(), 0.15);
    EXPECT_EQ(number(*copy, 1.0, "strokeStart"), 0.5);
    // The original stays mutable and the copy unchanged by it.
    g->setDuration(1);
    EXPECT_EQ(g->duration(), 1);
    EXPECT_EQ(copy->duration(), 0.3);
    EXPECT_TRUE(copy->copy()->isFrozen() == false);
}

TEST(AnimationEvaluation, TransitionReportsItsProgress) {
    auto t = ns::make<ca::Transition>();
    t->setDuration(1);
    t->setTimingFunction(ca::MediaTimingFunction::easeInEaseOut());
    Model m;
    t->apply(0.5, m);
    ASSERT_TRUE(m.transitionProgress);
    EXPECT_NEAR(*m.transitionProgress, 0.5, 1e-9);
    Model after;
    t->apply(1.5, after);
    EXPECT_FALSE(after.transitionProgress);
}

} // namespace
