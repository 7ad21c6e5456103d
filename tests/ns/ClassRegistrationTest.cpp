#include <gtest/gtest.h>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Console.hpp"

namespace {

using namespace pellavo::ns;

class RgBase : public Object {
public:
    std::string_view className() const override { return "RgBase"; }
    void reset() { ++resets; }
    void poke(Object* sender) { lastSender = sender; }
    int resets = 0;
    Object* lastSender = nullptr;
};

class RgDerived : public RgBase {
public:
    std::string_view className() const override { return "RgDerived"; }
    int level() const { return level_; }
    void setLevel(int level) { level_ = level; }

private:
    int level_ = 0;
};

// What several classes share, applied through with().
template <class T>
void addPoke(ClassRegistration<T>& registration) {
    registration.action(Selector("poke:"), &T::poke);
}

// One chain declares the class, its properties and its actions, inherited methods included.
TEST(ClassRegistrationTest, OneChainDeclaresClassPropertiesAndActions) {
    ConsoleCapture console;
    const auto registration = ClassRegistration<RgDerived>("RgDerived", "RgBase")
                                  .property<int>("level", &RgDerived::level, &RgDerived::setLevel)
                                  .action(Selector("reset"), &RgDerived::reset)
                                  .with(addPoke<RgDerived>);
    EXPECT_EQ(registration.name(), "RgDerived");

    auto& runtime = Runtime::shared();
    EXPECT_EQ(runtime.superclassName("RgDerived"), std::optional<std::string>("RgBase"));
    auto object = runtime.create("RgDerived");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(runtime.setValue(*object, "level", Value::of(int64_t{3})));
    auto& derived = dynamic_cast<RgDerived&>(*object);
    EXPECT_EQ(derived.level(), 3);
    EXPECT_TRUE(runtime.perform(object.get(), Selector("reset"), nullptr));
    EXPECT_TRUE(runtime.perform(object.get(), Selector("poke:"), object.get()));
    EXPECT_EQ(derived.resets, 1);
    EXPECT_EQ(derived.lastSender, object.get());
    EXPECT_TRUE(console.loggedLines().empty());
}

} // namespace
