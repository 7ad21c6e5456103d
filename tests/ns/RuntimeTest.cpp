#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/ns/Console.hpp"
#include "platform/ns/Runtime.hpp"

namespace {

using pellavo::ns::ConsoleCapture;
using pellavo::ns::KeyValueObservation;
using pellavo::ns::Object;
using pellavo::ns::Runtime;
using pellavo::ns::Selector;
using pellavo::ns::Value;

struct Insets {
    double top = 0, left = 0;
    bool operator==(const Insets&) const = default;
};

enum class Mode : int { plain = 0, fancy = 2 };

class RtShape : public Object {
public:
    std::string_view className() const override { return "RtShape"; }
    bool isHidden() const { return hidden_; }
    void setIsHidden(bool v) { hidden_ = v; }
    int64_t count() const { return count_; }
    void setCount(int64_t v) { count_ = v; }
    double alpha() const { return alpha_; }
    void setAlpha(double v) { alpha_ = v; }
    const Insets& insets() const { return insets_; }
    void setInsets(const Insets& v) { insets_ = v; }
    std::string title() const { return title_; }
    void setTitle(std::string v) { title_ = std::move(v); }
    Mode mode() const { return mode_; }
    void setMode(Mode m) { mode_ = m; }
    int small() const { return small_; }
    void setSmall(int v) { small_ = v; }

    void reset() { ++resets; }
    void tapped(RtShape* sender) {
        ++taps;
        lastSender = sender;
    }
    int resets = 0;
    int taps = 0;
    RtShape* lastSender = reinterpret_cast<RtShape*>(1);

private:
    bool hidden_ = false;
    int64_t count_ = 0;
    double alpha_ = 1;
    Insets insets_;
    std::string title_;
    Mode mode_ = Mode::plain;
    int small_ = 0;
};

class RtCircle : public RtShape {
public:
    std::string_view className() const override { return "RtCircle"; }
    std::shared_ptr<RtShape> partner() const { return partner_; }
    void setPartner(std::shared_ptr<RtShape> p) { partner_ = std::move(p); }

private:
    std::shared_ptr<RtShape> partner_;
};

class RtOther : public Object {
public:
    std::string_view className() const override { return "RtOther"; }
};

void registerTestClasses() {
    auto& rt = Runtime::shared();
    rt.registerClass<RtShape>("RtShape");
    rt.registerClass<RtCircle>("RtCircle", "RtShape");
    rt.registerClass<RtOther>("RtOther");
    rt.addProperty<RtShape, bool>("RtShape", "hidden", &RtShape::isHidden, &RtShape::setIsHidden);
    rt.addProperty<RtShape, int64_t>("RtShape", "count", &RtShape::count, &RtShape::setCount);
    rt.addProperty<RtShape, double>("RtShape", "alpha", &RtShape::alpha, &RtShape::setAlpha);
    rt.addProperty<RtShape, Insets>("RtShape", "insets", &RtShape::insets, &RtShape::setInsets);
    rt.addProperty<RtShape, std::string>("RtShape", "title", &RtShape::title, &RtShape::setTitle);
    rt.addProperty<RtShape, Mode>("RtShape", "mode", &RtShape::mode, &RtShape::setMode);
    rt.addProperty<RtShape, int>("RtShape", "small", &RtShape::small, &RtShape::setSmall);
    rt.addProperty<RtShape, int64_t>("RtShape", "readOnly", &RtShape::count, nullptr);
    rt.addProperty<RtCircle, std::shared_ptr<RtShape>>("RtCircle", "partner", &RtCircle::partner,
                                                       &RtCircle::setPartner);
    rt.addAction<RtShape>("RtShape", Selector("reset"), &RtShape::reset);
    rt.addAction<RtShape, RtShape>("RtShape", Selector("tapped:"), &RtShape::tapped);
}

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override { registerTestClasses(); }
    Runtime& rt = Runtime::shared();
    ConsoleCapture console;
};

TEST(Selector, IsInternedByName) {
    const Selector a("handleTimerFire:");
    const Selector b(std::string("handleTimer") + "Fire:");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.hash(), b.hash());
    EXPECT_EQ(a.name(), "handleTimerFire:");
    EXPECT_TRUE(a.takesArgument());
    EXPECT_FALSE(Selector("countDown").takesArgument());
    EXPECT_FALSE(a == Selector("handleTimerFire"));
    EXPECT_EQ(Selector(), Selector(""));
    EXPECT_TRUE(Selector().isEmpty());
}

TEST(Value, NumbersInterconvertWhenTheyFit) {
    EXPECT_TRUE(Value().isNil());
    EXPECT_FALSE(Value::of(0).isNil());

    EXPECT_EQ(Value::of(3.0).asInt64(), 3);
    EXPECT_EQ(Value::of(-3.9).asInt64(), -3);
    EXPECT_EQ(Value::of(true).asInt64(), 1);
    EXPECT_EQ(Value::of(uint8_t{200}).asInt64(), 200);
    EXPECT_EQ(Value::of(7).asDouble(), 7.0);
    EXPECT_EQ(Value::of(2.5f).asDouble(), 2.5);
    EXPECT_EQ(Value::of(0.0).asBool(), false);
    EXPECT_EQ(Value::of(-2).asBool(), true);
    EXPECT_EQ(Value::of(Mode::fancy).asInt64(), 2);
    EXPECT_EQ(Value::of(2).as<Mode>(), Mode::fancy);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf, 9.3e18, -9.3e18}) {
        EXPECT_EQ(Value::of(bad).asInt64(), std::nullopt) << bad;
    }
    EXPECT_EQ(Value::of(nan).asBool(), std::nullopt);
    EXPECT_EQ(Value::of(-inf).asBool(), std::nullopt);
    // The largest doubles below 2^63 and at -2^63 still fit.
    EXPECT_EQ(Value::of(-9223372036854775808.0).asInt64(), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(Value::of(std::nextafter(9223372036854775808.0, 0.0)).asInt64(), 9223372036854774784);
    EXPECT_EQ(Value::of(std::numeric_limits<uint64_t>::max()).asInt64(), std::nullopt);
    EXPECT_EQ(Value::of(int64_t{1} << 40).as<int>(), std::nullopt);
    EXPECT_EQ(Value::of(-1).as<unsigned>(), std::nullopt);
    EXPECT_EQ(Value::of(1e300).as<float>(), std::nullopt);
    // A floating value is its own double, NaN included.
    EXPECT_TRUE(std::isnan(*Value::of(nan).asDouble()));

    EXPECT_EQ(Value::of("abc").asInt64(), std::nullopt);
    ASSERT_NE(Value::of("abc").get<std::string>(), nullptr);
    EXPECT_EQ(*Value::of("abc").get<std::string>(), "abc");
    EXPECT_EQ(Value::of(1).get<double>(), nullptr);

    auto object = std::make_shared<RtOther>();
    EXPECT_EQ(Value::of(object).object(), object);
    EXPECT_EQ(Value::of(std::shared_ptr<const RtOther>(object)).object(), nullptr);  // held, but not as an object
    EXPECT_TRUE(Value::of(std::shared_ptr<RtOther>()).holdsObjectPointer());
    EXPECT_EQ(Value::of(42).object(), nullptr);
}

TEST_F(RuntimeTest, CreatesRegisteredClassesByName) {
    auto circle = rt.create("RtCircle");
    ASSERT_NE(circle, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<RtCircle>(circle), nullptr);
    EXPECT_EQ(rt.create("NSObject")->className(), "NSObject");
    EXPECT_TRUE(console.loggedLines().empty());

    EXPECT_EQ(rt.create("RtMissing"), nullptr);
    EXPECT_EQ(console.loggedLines(), std::vector<std::string>{"create: unknown class 'RtMissing'"});
}

// Known by name, yet made only in code: no default and no coder constructor.
class RtBuiltInCode : public Object {
public:
    explicit RtBuiltInCode(int) {}
    std::string_view className() const override { return "RtBuiltInCode"; }
};

TEST_F(RuntimeTest, CreateTellsAClassWithoutAPlainFactoryFromAnUnknownOne) {
    ASSERT_TRUE(rt.registerClass<RtBuiltInCode>("RtBuiltInCode"));
    EXPECT_TRUE(rt.isClassRegistered("RtBuiltInCode"));
    EXPECT_EQ(rt.create("RtBuiltInCode"), nullptr);
    EXPECT_EQ(rt.create("RtBuiltInCode", pellavo::ns::Coder()), nullptr);
    EXPECT_EQ(rt.create("RtNowhere"), nullptr);
    EXPECT_EQ(console.loggedLines(), (std::vector<std::string>{
                                         "create: the class 'RtBuiltInCode' has no plain initialiser",
                                         "create: the class 'RtBuiltInCode' has no plain initialiser",
                                         "create: unknown class 'RtNowhere'",
                                     }));
}

TEST_F(RuntimeTest, KindOfClassWalksTheSuperclassChain) {
    auto circle = rt.create("RtCircle");
    EXPECT_TRUE(rt.isKindOfClass(*circle, "RtCircle"));
    EXPECT_TRUE(rt.isKindOfClass(*circle, "RtShape"));
    EXPECT_TRUE(rt.isKindOfClass(*circle, "NSObject"));
    EXPECT_FALSE(rt.isKindOfClass(*circle, "RtOther"));
    EXPECT_FALSE(rt.isKindOfClass(*rt.create("RtShape"), "RtCircle"));
    EXPECT_EQ(rt.superclassName("RtCircle"), "RtShape");
    EXPECT_EQ(rt.superclassName("RtShape"), "NSObject");
    EXPECT_EQ(rt.superclassName("NSObject"), std::nullopt);
    EXPECT_TRUE(console.loggedLines().empty());

    EXPECT_FALSE(rt.isKindOfClass(*circle, "RtMissing"));
    EXPECT_EQ(rt.superclassName("RtMissing"), std::nullopt);
    EXPECT_EQ(console.loggedLines().size(), 2u);
}

TEST_F(RuntimeTest, RegistrationRejectsConflictsAndCycles) {
    EXPECT_TRUE(rt.registerClass<RtCircle>("RtCircle", "RtShape"));  // again, same shape: fine
    EXPECT_FALSE(rt.registerClass<RtCircle>("RtCircle", "RtOther"));
    EXPECT_FALSE(rt.registerClass<RtShape>("RtShape", "RtCircle"));
    EXPECT_FALSE(rt.registerClass<RtShape>("NSObject", ""));
    EXPECT_EQ(console.loggedLines().size(), 3u);
    EXPECT_EQ(rt.superclassName("RtCircle"), "RtShape");
    EXPECT_EQ(rt.superclassName("RtShape"), "NSObject");
}

TEST_F(RuntimeTest, SetsAndReadsPropertiesThroughTheChain) {
    auto circle = std::static_pointer_cast<RtCircle>(rt.create("RtCircle"));
    auto partner = std::make_shared<RtShape>();

    EXPECT_TRUE(rt.setValue(*circle, "hidden", Value::of(true)));
    EXPECT_TRUE(rt.setValue(*circle, "count", Value::of(3.0)));
    EXPECT_TRUE(rt.setValue(*circle, "alpha", Value::of(1)));
    EXPECT_TRUE(rt.setValue(*circle, "insets", Value::of(Insets{1, 2})));
    EXPECT_TRUE(rt.setValue(*circle, "title", Value::of("Done")));
    EXPECT_TRUE(rt.setValue(*circle, "mode", Value::of(2)));
    EXPECT_TRUE(rt.setValue(*circle, "small", Value::of(int64_t{-5})));
    EXPECT_TRUE(rt.setValue(*circle, "partner", Value::of(partner)));
    EXPECT_TRUE(console.loggedLines().empty());

    EXPECT_TRUE(circle->isHidden());
    EXPECT_EQ(circle->count(), 3);
    EXPECT_EQ(circle->alpha(), 1.0);
    EXPECT_EQ(circle->insets(), (Insets{1, 2}));
    EXPECT_EQ(circle->title(), "Done");
    EXPECT_EQ(circle->mode(), Mode::fancy);
    EXPECT_EQ(circle->small(), -5);
    EXPECT_EQ(circle->partner(), partner);

    EXPECT_EQ(rt.value(*circle, "count")->asInt64(), 3);
    EXPECT_EQ(*rt.value(*circle, "insets")->get<Insets>(), (Insets{1, 2}));
    EXPECT_EQ(*rt.value(*circle, "title")->get<std::string>(), "Done");
    EXPECT_EQ(rt.value(*circle, "partner")->object(), partner);
    EXPECT_EQ(rt.value(*circle, "readOnly")->asInt64(), 3);

    // nil empties an object pointer.
    EXPECT_TRUE(rt.setValue(*circle, "partner", Value()));
    EXPECT_EQ(circle->partner(), nullptr);
}

TEST_F(RuntimeTest, RejectsUnknownKeysAndWrongTypesWithOneLineEach) {
    auto circle = std::static_pointer_cast<RtCircle>(rt.create("RtCircle"));
    circle->setCount(7);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* key;
        Value value;
    };
    const std::vector<Case> cases = {
        {"count", Value::of(nan)},                      // NaN is no integer
        {"small", Value::of(int64_t{1} << 40)},         // out of the property's range
        {"insets", Value::of(3)},                       // not a number property
        {"title", Value::of(3)},                        // strings are not numbers
        {"partner", Value::of(std::make_shared<RtOther>())},  // an object of another class
        {"missing", Value::of(1)},                      // unknown key
        {"readOnly", Value::of(1)},                     // no setter
    };
    for (const auto& c : cases) {
        console.clear();
        EXPECT_FALSE(rt.setValue(*circle, c.key, c.value)) << c.key;
        EXPECT_EQ(console.loggedLines().size(), 1u) << c.key;
    }
    EXPECT_EQ(circle->count(), 7);
    EXPECT_EQ(circle->small(), 0);

    console.clear();
    EXPECT_EQ(rt.value(*circle, "missing"), std::nullopt);
    // A subclass key is not visible from its superclass.
    auto shape = rt.create("RtShape");
    EXPECT_FALSE(rt.setValue(*shape, "partner", Value()));
    EXPECT_EQ(console.loggedLines(),
              (std::vector<std::string>{"value: 'RtCircle' has no key 'missing'", "setValue: 'RtShape' has no key 'partner'"}));
}

TEST_F(RuntimeTest, ObserversHearEverySuccessfulSetAndDidChangeValue) {
    auto shape = rt.create("RtShape");
    std::vector<std::string> heard;
    auto observation = rt.observe(shape, "alpha", [&](Object& object, std::string_view key) {
        EXPECT_EQ(&object, shape.get());
        heard.emplace_back(key);
    });
    EXPECT_TRUE(rt.setValue(*shape, "alpha", Value::of(0.5)));
    EXPECT_TRUE(rt.setValue(*shape, "alpha", Value::of(0.5)));  // unchanged: still heard
    EXPECT_TRUE(rt.setValue(*shape, "count", Value::of(1)));    // another key
    EXPECT_FALSE(rt.setValue(*shape, "alpha", Value::of("x"))); // failed set
    rt.didChangeValue(*shape, "alpha");
    EXPECT_EQ(heard.size(), 3u);

    observation.invalidate();
    EXPECT_FALSE(observation.isValid());
    rt.setValue(*shape, "alpha", Value::of(0.1));
    EXPECT_EQ(heard.size(), 3u);

    {
        auto scoped = rt.observe(shape, "alpha", [&](Object&, std::string_view) { heard.emplace_back("scoped"); });
        rt.didChangeValue(*shape, "alpha");
    }
    rt.didChangeValue(*shape, "alpha");
    EXPECT_EQ(heard.size(), 4u);
}

TEST_F(RuntimeTest, ObservationIsSafeWhenObserversEndObservationsOrObjectsDie) {
    auto shape = rt.create("RtShape");
    int first = 0, second = 0;
    KeyValueObservation later;
    auto early = rt.observe(shape, "alpha", [&](Object&, std::string_view) {
        ++first;
        later.invalidate();  // removed before its turn: not called
    });
    later = rt.observe(shape, "alpha", [&](Object&, std::string_view) { ++second; });
    rt.didChangeValue(*shape, "alpha");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);

    // The observation does not keep the object; a newcomer is not heard through it.
    auto stale = rt.observe(shape, "alpha", [&](Object&, std::string_view) { ++second; });
    early.invalidate();
    shape.reset();
    auto newcomer = rt.create("RtShape");
    rt.didChangeValue(*newcomer, "alpha");
    EXPECT_EQ(second, 0);
}

TEST_F(RuntimeTest, PerformChecksTheSender) {
    auto shape = std::static_pointer_cast<RtShape>(rt.create("RtShape"));
    auto circle = std::static_pointer_cast<RtCircle>(rt.create("RtCircle"));
    auto other = rt.create("RtOther");

    EXPECT_TRUE(rt.respondsToSelector(*circle, Selector("tapped:")));  // inherited
    EXPECT_FALSE(rt.respondsToSelector(*other, Selector("tapped:")));

    EXPECT_TRUE(rt.perform(shape.get(), Selector("reset"), nullptr));
    EXPECT_TRUE(rt.perform(shape.get(), Selector("reset"), other.get()));  // no-argument actions ignore it
    EXPECT_EQ(shape->resets, 2);

    EXPECT_TRUE(rt.perform(shape.get(), Selector("tapped:"), circle.get()));
    EXPECT_EQ(shape->lastSender, circle.get());
    EXPECT_TRUE(rt.perform(shape.get(), Selector("tapped:"), nullptr));
    EXPECT_EQ(shape->lastSender, nullptr);
    EXPECT_EQ(shape->taps, 2);
    EXPECT_TRUE(console.loggedLines().empty());

    EXPECT_FALSE(rt.perform(shape.get(), Selector("tapped:"), other.get()));  // mismatched sender
    EXPECT_EQ(shape->taps, 2);
    EXPECT_FALSE(rt.perform(other.get(), Selector("tapped:"), nullptr));      // unknown selector
    EXPECT_FALSE(rt.perform(nullptr, Selector("reset"), nullptr));            // nil target: quietly nothing
    EXPECT_EQ(console.loggedLines(),
              (std::vector<std::string>{"perform: the sender does not have the type 'tapped:' of 'RtShape' takes",
                                        "perform: 'RtOther' does not respond to selector 'tapped:'"}));
}

TEST_F(RuntimeTest, ActionMayReleaseItsOwnTarget) {
    class RtSelfish : public Object {
    public:
        std::string_view className() const override { return "RtSelfish"; }
        void drop() {
            holder->reset();
            dropped = true;
        }
        std::shared_ptr<Object>* holder = nullptr;
        bool dropped = false;
    };
    rt.registerClass<RtSelfish>("RtSelfish");
    rt.addAction<RtSelfish>("RtSelfish", Selector("drop"), &RtSelfish::drop);
    std::shared_ptr<Object> owner = std::make_shared<RtSelfish>();
    auto* raw = static_cast<RtSelfish*>(owner.get());
    raw->holder = &owner;
    EXPECT_TRUE(rt.perform(raw, Selector("drop"), nullptr));  // ASan catches a use after free here
    EXPECT_EQ(owner, nullptr);
}

TEST_F(RuntimeTest, ConcurrentRegistrationAndUse) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const std::string name = "RtThreaded" + std::to_string(t) + "_" + std::to_string(i % 10);
                rt.registerClass<RtShape>(name, "RtShape");
                auto object = rt.create("RtCircle");
                if (!rt.setValue(*object, "count", Value::of(i))) ++failures;
                if (rt.value(*object, "count")->asInt64() != i) ++failures;
                auto observation = rt.observe(object, "count", [](Object&, std::string_view) {});
                if (!rt.isSubclass(name, "RtShape")) ++failures;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
}

} // namespace
