#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <typeindex>
#include <vector>

#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/view/EdgeInsets.hpp"
#include "platform/ui/view/View.hpp"
#include "tests/support/PlatformTest.hpp"

// What interface files may name: the platform's classes, their superclasses, whether
// they are made from a coder, and the type each property is parsed by.
namespace pellavo {
namespace {

using namespace ui;

struct ClassRow {
    const char* name;
    const char* superclass;
    bool coderFactory;
};

struct PropertyRow {
    const char* className;
    const char* key;
    std::type_index type;
};

using PlatformClassesTest = testing::PlatformTest;

TEST_F(PlatformClassesTest, ClassesAreKnownByNameWithTheirSuperclassAndFactories) {
    const ClassRow rows[] = {
        {"UIResponder", "NSObject", false},         {"UIView", "UIResponder", true},
        {"UIControl", "UIView", true},              {"UILabel", "UIView", true},
        {"UIButton", "UIControl", true},             {"UIScrollView", "UIView", true},
        {"UIImageView", "UIView", false},            {"UIPageControl", "UIControl", false},
        {"UITableViewCell", "UIView", true},        {"UITextField", "UIControl", true},
        {"UITextView", "UIScrollView", true},       {"UIViewController", "UIResponder", true},
        {"UIInputView", "UIView", true},            {"UIInputViewController", "UIViewController", true},
        {"UIBarButtonItem", "NSObject", false},
    };
    auto& runtime = ns::Runtime::shared();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(runtime.isClassRegistered(row.name));
        EXPECT_EQ(runtime.superclassName(row.name), std::optional<std::string>(row.superclass));
        EXPECT_EQ(runtime.hasCoderFactory(row.name), row.coderFactory);
        const auto object = runtime.create(row.name);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->className(), row.name);
    }
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(PlatformClassesTest, PropertiesHaveTheTypesTheirTextIsParsedBy) {
    using OptionalColor = std::optional<Color>;
    using OptionalText = std::optional<ns::String>;
    using OptionalFont = std::optional<Font>;
    const PropertyRow rows[] = {
        {"UIView", "backgroundColor", typeid(OptionalColor)},
        {"UIView", "alpha", typeid(double)},
        {"UIView", "hidden", typeid(bool)},
        {"UIView", "tag", typeid(int)},
        {"UIView", "clipsToBounds", typeid(bool)},
        {"UIView", "userInteractionEnabled", typeid(bool)},
        {"UIView", "contentMode", typeid(View::ContentMode)},
        {"UIView", "autoresizingMask", typeid(View::AutoresizingMask)},
        {"UIView", "translatesAutoresizingMaskIntoConstraints", typeid(bool)},
        {"UIView", "tintColor", typeid(OptionalColor)},
        {"UIView", "frame", typeid(cg::Rect)},
        {"UIView", "layoutMargins", typeid(EdgeInsets)},
        {"UIControl", "enabled", typeid(bool)},
        {"UIControl", "selected", typeid(bool)},
        {"UILabel", "text", typeid(OptionalText)},
        {"UILabel", "font", typeid(OptionalFont)},
        {"UILabel", "textColor", typeid(OptionalColor)},
        {"UILabel", "textAlignment", typeid(ns::TextAlignment)},
        {"UILabel", "numberOfLines", typeid(int)},
        {"UIScrollView", "pagingEnabled", typeid(bool)},
        {"UIScrollView", "scrollEnabled", typeid(bool)},
        {"UIScrollView", "bounces", typeid(bool)},
        {"UIScrollView", "showsHorizontalScrollIndicator", typeid(bool)},
        {"UIScrollView", "showsVerticalScrollIndicator", typeid(bool)},
        {"UITextField", "text", typeid(OptionalText)},
        {"UITextField", "placeholder", typeid(OptionalText)},
        {"UITextField", "font", typeid(Font)},
        {"UITextField", "textColor", typeid(Color)},
        {"UITextField", "textAlignment", typeid(ns::TextAlignment)},
        {"UITextView", "text", typeid(OptionalText)},
        {"UITextView", "font", typeid(OptionalFont)},
        {"UITextView", "textColor", typeid(Color)},
        {"UITextView", "textAlignment", typeid(ns::TextAlignment)},
        {"UITextView", "editable", typeid(bool)},
        {"UITextView", "textContainerInset", typeid(EdgeInsets)},
        {"UIImageView", "image", typeid(std::optional<Image>)},
        {"UIPageControl", "numberOfPages", typeid(int)},
        {"UIPageControl", "currentPage", typeid(int)},
        {"UIViewController", "view", typeid(std::shared_ptr<View>)},
    };
    auto& runtime = ns::Runtime::shared();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.className) + "." + row.key);
        EXPECT_EQ(runtime.propertyType(row.className, row.key), std::optional<std::type_index>(row.type));
    }
}

TEST_F(PlatformClassesTest, TextInputsAnswerTheEditActions) {
    auto& runtime = ns::Runtime::shared();
    for (const char* className : {"UITextField", "UITextView"}) {
        for (const char* selector : {"cut:", "copy:", "paste:", "select:", "selectAll:", "delete:"}) {
            SCOPED_TRACE(std::string(className) + " " + selector);
            EXPECT_TRUE(runtime.instancesRespondToSelector(className, ns::Selector(selector)));
        }
    }
    EXPECT_FALSE(runtime.instancesRespondToSelector("UILabel", ns::Selector("copy:")));
}

} // namespace
} // namespace pellavo
