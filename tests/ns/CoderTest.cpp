#include <gtest/gtest.h>

#include "platform/cg/Geometry.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/Runtime.hpp"

namespace pellavo {
namespace {

struct CoderPart : ns::Object {
    std::string_view className() const override { return "CoderTestPart"; }
};
struct OtherPart : ns::Object {};

// Made only from a coder: the runtime must use the coder factory.
struct CoderOnly : ns::Object {
    explicit CoderOnly(const ns::Coder& coder)
        : width(coder.decode<double>("width").value_or(-1)), part(coder.decode<std::shared_ptr<CoderPart>>("part")) {}
    std::string_view className() const override { return "CoderTestOnly"; }
    double width;
    std::optional<std::shared_ptr<CoderPart>> part;
};

TEST(CoderTest, DecodesExactTypesNumbersAndObjectsOfTheRightClass) {
    ns::Coder coder;
    EXPECT_FALSE(coder.containsValue("frame"));
    coder.encode(ns::Coder::frameKey, cg::Rect{{1, 2}, {3, 4}});
    coder.encode("count", 3);
    coder.encode("ratio", 2.5);
    const auto part = ns::make<CoderPart>();
    coder.encode("part", part);
    coder.encodeObjects(ns::Coder::subviewsKey, {part, ns::make<OtherPart>(), part});

    EXPECT_TRUE(coder.containsValue("frame"));
    EXPECT_EQ(coder.decode<cg::Rect>("frame"), (cg::Rect{{1, 2}, {3, 4}}));
    EXPECT_EQ(coder.decode<double>("count"), 3.0);
    EXPECT_EQ(coder.decode<int>("ratio"), 2);  // numbers convert when they fit
    EXPECT_FALSE(coder.decode<uint8_t>("missing").has_value());
    EXPECT_FALSE(coder.decode<cg::Size>("frame").has_value());
    EXPECT_EQ(coder.decode<std::shared_ptr<CoderPart>>("part"), part);
    EXPECT_FALSE(coder.decode<std::shared_ptr<OtherPart>>("part").has_value());
    // A list keeps only the objects of the asked class, in order.
    auto parts = coder.decode<std::vector<std::shared_ptr<CoderPart>>>(ns::Coder::subviewsKey);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->size(), 2u);
}

TEST(CoderTest, RuntimeMakesCoderOnlyClassesFromACoder) {
    auto& runtime = ns::Runtime::shared();
    ASSERT_TRUE(runtime.registerClass<CoderOnly>("CoderTestOnly"));
    ASSERT_TRUE(runtime.registerClass<CoderPart>("CoderTestPart"));
    EXPECT_TRUE(runtime.hasCoderFactory("CoderTestOnly"));
    EXPECT_FALSE(runtime.hasCoderFactory("CoderTestPart"));

    ns::Coder coder;
    coder.encode("width", 12.0);
    coder.encode("part", ns::make<CoderPart>());
    auto made = std::dynamic_pointer_cast<CoderOnly>(runtime.create("CoderTestOnly", coder));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->width, 12.0);
    EXPECT_TRUE(made->part.has_value());
    // Without a coder there is no way to make it; a class without a coder
    // constructor is made plainly.
    EXPECT_EQ(runtime.create("CoderTestOnly"), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<CoderPart>(runtime.create("CoderTestPart", coder)), nullptr);
}

} // namespace
} // namespace pellavo
