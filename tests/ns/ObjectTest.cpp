#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ns/Object.hpp"
#include "platform/ns/Runtime.hpp"

namespace {

using pellavo::ns::Object;

// Records what init() saw, from the base up to the most derived override.
class ObBase : public Object {
public:
    std::string_view className() const override { return "ObBase"; }
    std::vector<std::string> steps;
    bool weakWasValid = false;
    int inits = 0;

protected:
    void init() override {
        Object::init();
        ++inits;
        weakWasValid = weakFromThis<ObBase>().lock().get() == this;
        steps.push_back("base:" + std::string(className()));
    }
};

class ObDerived : public ObBase {
public:
    std::string_view className() const override { return "ObDerived"; }

protected:
    void init() override {
        ObBase::init();
        steps.push_back("derived");
    }
};

TEST(Object, InitRunsOnceAfterConstructionReachingTheMostDerived) {
    auto object = pellavo::ns::make<ObDerived>();
    EXPECT_EQ(object->inits, 1);
    EXPECT_TRUE(object->weakWasValid);
    // Virtual calls in init() reach the most-derived class, unlike in a constructor.
    EXPECT_EQ(object->steps, (std::vector<std::string>{"base:ObDerived", "derived"}));
}

TEST(Object, RuntimeCreateRunsInitToo) {
    auto& runtime = pellavo::ns::Runtime::shared();
    runtime.registerClass<ObBase>("ObBase");
    runtime.registerClass<ObDerived>("ObDerived", "ObBase");
    auto created = std::dynamic_pointer_cast<ObDerived>(runtime.create("ObDerived"));
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->inits, 1);
    EXPECT_TRUE(created->weakWasValid);
    EXPECT_EQ(created->steps, (std::vector<std::string>{"base:ObDerived", "derived"}));
}

TEST(Object, SharedFromThisCastsToTheRequestedType) {
    auto object = pellavo::ns::make<ObDerived>();
    Object& plain = *object;
    EXPECT_EQ(plain.sharedFromThis<ObDerived>(), object);
    EXPECT_EQ(plain.sharedFromThis<ObBase>(), object);
    auto plainObject = pellavo::ns::make<Object>();
    EXPECT_EQ(plainObject->sharedFromThis<ObDerived>(), nullptr);
    EXPECT_EQ(plainObject->className(), "NSObject");
}

} // namespace
