#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/DisplayLink.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using Type = VXPlaceholderTextField::MinimizationAnimationType;
using Attribute = ui::LayoutConstraint::Attribute;
using Relation = ui::LayoutConstraint::Relation;

// Counts what reaches the overridable entry points. Overriding the private
// minimizePlaceholder replaces it, so the count is exactly the number of calls.
class CountingField : public VXPlaceholderTextField {
public:
    using VXPlaceholderTextField::VXPlaceholderTextField;
    void setText(std::optional<ns::String> text) override {
        ++setTextCalls;
        VXPlaceholderTextField::setText(std::move(text));
    }
    void setAttributedText(std::optional<ns::AttributedString> text) override {
        ++setTextCalls;
        VXPlaceholderTextField::setAttributedText(std::move(text));
    }
    int setTextCalls = 0;
    int minimizeCalls = 0;

private:
    void minimizePlaceholder() override { ++minimizeCalls; }
};

std::string fieldXML(const std::string& properties, const std::string& frame = "20 100 300 40") {
    return R"(<interface version="1"><object class="VXPlaceholderTextField" id="f" frame=")" + frame + "\">" +
           properties + "</object></interface>";
}

class VXPlaceholderTextFieldTest : public testing::AppTest {
protected:
    static constexpr double duration = 0.5;

    std::shared_ptr<VXPlaceholderTextField> load(const std::string& properties =
                                                     R"(<property name="tweePlaceholder" value="Email"/>)") {
        auto nib = ui::Nib::fromData(fieldXML(properties), "Field");
        auto objects = nib->instantiate(nullptr);
        EXPECT_TRUE(nib->lastWarnings().empty());
        EXPECT_EQ(objects.size(), 1u);
        auto made = objects.empty() ? nullptr : std::dynamic_pointer_cast<VXPlaceholderTextField>(objects[0]);
        if (made) {
            window()->addSubview(made);
            window()->layoutIfNeeded();
        }
        return made;
    }

    // The size of a plain label with the placeholder's text and font at `points`.
    cg::Size fitted(const VXPlaceholderTextField& f, double points) {
        auto plain = ns::make<ui::Label>();
        plain->setText(ns::String("Email"));
        plain->setFont(const_cast<VXPlaceholderTextField&>(f).placeholderLabel()->font().withSize(points));
        return plain->sizeThatFits({0, 0});
    }

    static void expectFrame(const cg::Rect& actual, const cg::Rect& expected) {
        EXPECT_NEAR(actual.origin.x, expected.origin.x, 1e-6);
        EXPECT_NEAR(actual.origin.y, expected.origin.y, 1e-6);
        EXPECT_NEAR(actual.size.width, expected.size.width, 1e-6);
        EXPECT_NEAR(actual.size.height, expected.size.height, 1e-6);
    }
    cg::Rect restingFrame(const VXPlaceholderTextField& f) { return {0, 0, fitted(f, 17).width, 40}; }
    cg::Rect floatedFrame(const VXPlaceholderTextField& f) {
        const cg::Size small = fitted(f, 12);
        return {0, -small.height, small.width, small.height};
    }

    void tapInto(const VXPlaceholderTextField& f) { driver().tap(f.convertTo(cg::Point{150, 20}, nullptr)); }
    double fontSize(VXPlaceholderTextField& f) { return f.placeholderLabel()->font().pointSize(); }

    // The size the last 30 fps tick at or before now computes for a run started at
    // `start` (ns), or `before` when no tick has come yet.
    double expectedRunSize(std::int64_t start, bool shrinking, double min, double orig, double before) {
        double last = before;
        for (std::int64_t k = ca::DisplayLink::nextFrame(start, 2); ca::DisplayLink::frameTime(k) <= now(); k += 2) {
            const double e = static_cast<double>(ca::DisplayLink::frameTime(k)) / 1e9 - static_cast<double>(start) / 1e9;
            const double p = shrinking ? 1 - e / duration : e / duration;
            last = min + p * (orig - min);
        }
        return last;
    }

    // Steps 1/60 s at a time over `seconds` from the run's start, checking the size
    // against the last tick's formula while the run lasts and the exact target after.
    void checkRun(VXPlaceholderTextField& f, std::int64_t start, bool shrinking, double min, double orig) {
        const double from = shrinking ? orig : min;
        const double target = shrinking ? min : orig;
        double previous = fontSize(f);
        const auto end = start + static_cast<std::int64_t>(duration * 1e9);
        for (int step = 0; step < 36; ++step) {
            advance(1.0 / 60);
            const double size = fontSize(f);
            if (now() < end) {
                EXPECT_NEAR(size, expectedRunSize(start, shrinking, min, orig, from), 1e-9) << "step " << step;
                if (target < from)
                    EXPECT_LE(size, previous);
                else
                    EXPECT_GE(size, previous);
            } else {
                EXPECT_EQ(size, target) << "step " << step;
            }
            previous = size;
        }
    }
};

TEST_F(VXPlaceholderTextFieldTest, LoadingPlacesTheLabelWithFourConstraints) {
    auto f = load();
    ASSERT_TRUE(f);
    auto label = f->placeholderLabel();
    EXPECT_EQ(label->superview(), f);
    EXPECT_FALSE(label->translatesAutoresizingMaskIntoConstraints());
    EXPECT_EQ(label->font().pointSize(), 17);
    EXPECT_EQ(label->font().familyName(), ns::make<ui::Label>()->font().familyName());

    const auto onLabel = [&] {
        std::vector<std::shared_ptr<ui::LayoutConstraint>> found;
        for (const auto& c : f->constraints())
            if (c->firstItem() == label) found.push_back(c);
        return found;
    };
    struct Expected {
        Attribute attribute;
        Relation relation;
        float priority;
    };
    const Expected expected[] = {{Attribute::leading, Relation::equal, 1000},
                                 {Attribute::trailing, Relation::lessThanOrEqual, 1000},
                                 {Attribute::bottom, Relation::equal, 1000},
                                 {Attribute::centerY, Relation::equal, 750}};
    auto constraints = onLabel();
    ASSERT_EQ(constraints.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(constraints[i]->firstAttribute(), expected[i].attribute) << i;
        EXPECT_EQ(constraints[i]->secondAttribute(), expected[i].attribute) << i;
        EXPECT_EQ(constraints[i]->secondItem(), f) << i;
        EXPECT_EQ(constraints[i]->relation(), expected[i].relation) << i;
        EXPECT_EQ(constraints[i]->priority(), expected[i].priority) << i;
        EXPECT_EQ(constraints[i]->constant(), 0) << i;
    }
    f->setTweePlaceholder(ns::String("Mail"));
    EXPECT_EQ(onLabel().size(), 4u);
    EXPECT_EQ(f->tweePlaceholder()->utf8(), "Mail");

    // A colour alone never places the label.
    auto coloured = load(R"(<property name="placeholderColor" value="#808080"/>)");
    ASSERT_TRUE(coloured);
    EXPECT_EQ(coloured->placeholderLabel()->superview(), nullptr);
    EXPECT_EQ(coloured->placeholderColor(), ui::Color(0x80 / 255.0, 0x80 / 255.0, 0x80 / 255.0, 1));
    EXPECT_FALSE(coloured->tweePlaceholder().has_value());

    // Decoded through the coder chain down to the view: frame and subviews arrive.
    auto nib = ui::Nib::fromData(R"(<interface version="1">
      <object class="VXPlaceholderTextField" id="f" frame="5 6 300 40">
        <subviews><object class="UIView" id="v" frame="1 2 3 4"/></subviews>
      </object></interface>)",
                                 "Decoded");
    auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    auto decoded = std::dynamic_pointer_cast<VXPlaceholderTextField>(objects[0]);
    ASSERT_TRUE(decoded);
    expectFrame(decoded->frame(), {5, 6, 300, 40});
    ASSERT_EQ(decoded->subviews().size(), 1u);
    expectFrame(decoded->subviews()[0]->frame(), {1, 2, 3, 4});

    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.hasCoderFactory("VXPlaceholderTextField"));
    for (const char* key : {"minimumPlaceholderFontSize", "originalPlaceholderFontSize", "placeholderDuration",
                            "placeholderColor", "tweePlaceholder"})
        EXPECT_TRUE(runtime.propertyType("VXPlaceholderTextField", key).has_value()) << key;
    for (const char* key : {"minimizationAnimationType", "attributedTweePlaceholder", "placeholderLabel"})
        EXPECT_FALSE(runtime.propertyType("VXPlaceholderTextField", key).has_value()) << key;
    EXPECT_EQ(runtime.superclassName("VXPlaceholderTextField"), "UITextField");
}

TEST_F(VXPlaceholderTextFieldTest, LabelRestsInsideAndFloatsAboveWithAGlide) {
    auto f = load();
    ASSERT_TRUE(f);
    auto label = f->placeholderLabel();
    expectFrame(label->frame(), restingFrame(*f));

    tapInto(*f);
    ASSERT_TRUE(f->isEditing());
    advance(duration / 2);
    // Mid-move the picture lies between the two places: the layout passes after the
    // font change did not cut the glide short.
    const double shownTop = label->layer()->presentation()->frame().minY();
    EXPECT_LT(shownTop, -0.5);
    EXPECT_GT(shownTop, floatedFrame(*f).minY() + 0.5);
    advance(duration);
    expectFrame(label->frame(), floatedFrame(*f));
    expectFrame(label->layer()->presentation()->frame(), floatedFrame(*f));
}

TEST_F(VXPlaceholderTextFieldTest, ImmediatelyJumpsAndSmoothlyFollowsTheTicks) {
    auto f = load();
    ASSERT_TRUE(f);
    tapInto(*f);
    EXPECT_EQ(fontSize(*f), 12);

    auto g = load();
    ASSERT_TRUE(g);
    g->setMinimizationAnimationType(Type::smoothly);
    tapInto(*g);
    const std::int64_t began = now();
    EXPECT_EQ(fontSize(*g), 17);
    checkRun(*g, began, true, 12, 17);

    g->resignFirstResponder();
    const std::int64_t left = now();
    checkRun(*g, left, false, 12, 17);
    expectFrame(g->placeholderLabel()->frame(), restingFrame(*g));
}

TEST_F(VXPlaceholderTextFieldTest, TextAndEditingChooseTheState) {
    auto f = load();
    ASSERT_TRUE(f);
    auto label = f->placeholderLabel();
    struct Step {
        std::optional<ns::String> text;
        bool floated;
    };
    const Step steps[] = {{ns::String("x"), true}, {ns::String(""), false}, {ns::String("y"), true}, {std::nullopt, false}};
    for (const auto& step : steps) {
        f->setText(step.text);
        advance(1);
        expectFrame(label->frame(), step.floated ? floatedFrame(*f) : restingFrame(*f));
        EXPECT_EQ(fontSize(*f), step.floated ? 12 : 17);
    }

    // Emptied while editing: nothing moves.
    tapInto(*f);
    driver().type(ns::String("ab"));
    advance(1);
    f->setText(ns::String(""));
    advance(1);
    expectFrame(label->frame(), floatedFrame(*f));
    EXPECT_EQ(fontSize(*f), 12);

    // Leaving with text: not one font change over a second, and the label stays up.
    f->setText(ns::String("kept"));
    advance(1);
    f->resignFirstResponder();
    for (int i = 0; i < 60; ++i) {
        advance(1.0 / 60);
        ASSERT_EQ(fontSize(*f), 12) << i;
    }
    expectFrame(label->frame(), floatedFrame(*f));
}

TEST_F(VXPlaceholderTextFieldTest, TypingNeverReachesTheTextSetters) {
    auto f = ns::make<CountingField>(cg::Rect{20, 100, 300, 40});
    f->awakeFromNib();
    f->setTweePlaceholder(ns::String("Email"));
    window()->addSubview(f);
    advance(0.1);
    tapInto(*f);
    driver().type(ns::String("hello"));
    driver().backspace();
    driver().paste(ns::String("!"));
    advance(1);
    EXPECT_EQ(f->text().utf8(), "hell!");
    EXPECT_EQ(f->setTextCalls, 0);
}

TEST_F(VXPlaceholderTextFieldTest, TheNewestRunWinsOverlappingOnes) {
    // Leave, and come back before the drop has ended.
    auto f = load();
    ASSERT_TRUE(f);
    tapInto(*f);
    advance(1);
    f->resignFirstResponder();
    advance(0.2);
    tapInto(*f);
    EXPECT_EQ(fontSize(*f), 12);
    for (int i = 0; i < 48; ++i) {
        advance(1.0 / 60);
        ASSERT_EQ(fontSize(*f), 12) << i;
    }

    // Leave, come back and leave again within the duration: the second drop runs to
    // its own end, whatever the first one's completion says.
    auto g = load();
    ASSERT_TRUE(g);
    tapInto(*g);
    advance(1);
    g->resignFirstResponder();
    advance(0.1);
    tapInto(*g);
    advance(0.1);
    g->resignFirstResponder();
    advance(0.35); // past the first drop's end
    const double early = fontSize(*g);
    advance(0.05);
    const double later = fontSize(*g);
    EXPECT_LT(early, later);
    EXPECT_LT(later, 17);
    advance(0.1);
    EXPECT_EQ(fontSize(*g), 17);
    expectFrame(g->placeholderLabel()->frame(), restingFrame(*g));
}

TEST_F(VXPlaceholderTextFieldTest, BadDurationsAndSizesGiveSoundResults) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double d : {0.0, -1.0}) {
        for (const Type type : {Type::immediately, Type::smoothly}) {
            auto f = load();
            ASSERT_TRUE(f);
            f->setMinimizationAnimationType(type);
            EXPECT_TRUE(ns::Runtime::shared().setValue(*f, "placeholderDuration", ns::Value::of(d)));
            EXPECT_EQ(f->placeholderDuration(), d);
            tapInto(*f);
            EXPECT_EQ(fontSize(*f), 12);
            advance(1.0 / 60);
            expectFrame(f->placeholderLabel()->frame(), floatedFrame(*f));
            f->resignFirstResponder();
            EXPECT_EQ(fontSize(*f), 17);
            for (int i = 0; i < 30; ++i) {
                advance(1.0 / 30);
                ASSERT_EQ(fontSize(*f), 17);
                ASSERT_TRUE(f->placeholderLabel()->frame().isFinite());
            }
            expectFrame(f->placeholderLabel()->frame(), restingFrame(*f));
        }
    }

    // Non-finite values set by name are refused; the old ones stay.
    auto f = load();
    ASSERT_TRUE(f);
    auto& runtime = ns::Runtime::shared();
    for (const char* key : {"placeholderDuration", "minimumPlaceholderFontSize", "originalPlaceholderFontSize"}) {
        const double before = runtime.value(*f, key)->as<double>().value_or(nan);
        runtime.setValue(*f, key, ns::Value::of(nan));
        runtime.setValue(*f, key, ns::Value::of(std::numeric_limits<double>::infinity()));
        EXPECT_EQ(runtime.value(*f, key)->as<double>(), before) << key;
    }

    // A minimum above the original grows the label while it floats.
    auto g = load(R"(<property name="tweePlaceholder" value="Email"/>
                     <property name="minimumPlaceholderFontSize" value="20"/>
                     <property name="originalPlaceholderFontSize" value="14"/>)");
    ASSERT_TRUE(g);
    EXPECT_EQ(fontSize(*g), 14);
    g->setMinimizationAnimationType(Type::smoothly);
    tapInto(*g);
    checkRun(*g, now(), true, 20, 14);
    EXPECT_GT(g->placeholderLabel()->frame().height(), fitted(*g, 14).height);
}

TEST_F(VXPlaceholderTextFieldTest, CodeMadeFieldIsWiredOnlyByAwakeFromNib) {
    auto f = ns::make<VXPlaceholderTextField>(cg::Rect{20, 100, 300, 40});
    f->setTweePlaceholder(ns::String("Email"));
    window()->addSubview(f);
    advance(0.1);
    auto label = f->placeholderLabel();
    const cg::Rect resting = label->frame();
    const double defaultSize = fontSize(*f);

    // No observers: beginning to edit moves nothing.
    tapInto(*f);
    ASSERT_TRUE(f->isEditing());
    advance(1);
    expectFrame(label->frame(), resting);
    EXPECT_EQ(fontSize(*f), defaultSize);

    // No font animations: the text still floats the label, the size in one step.
    f->setText(ns::String("x"));
    EXPECT_EQ(fontSize(*f), 12);
    advance(1);
    expectFrame(label->frame(), floatedFrame(*f));
    f->resignFirstResponder();
    f->setText(std::nullopt);
    EXPECT_EQ(fontSize(*f), 17);
    advance(1);
    expectFrame(label->frame(), restingFrame(*f));

    // Woken, it behaves like a loaded one.
    f->awakeFromNib();
    tapInto(*f);
    EXPECT_EQ(fontSize(*f), 12);
    advance(1);
    expectFrame(label->frame(), floatedFrame(*f));

    // Woken twice, one notification still gives one minimise, and only from its own field.
    auto counting = ns::make<CountingField>(cg::Rect{0, 0, 300, 40});
    counting->awakeFromNib();
    counting->awakeFromNib();
    auto& center = ns::NotificationCenter::defaultCenter();
    center.post(ns::UITextFieldTextDidBeginEditingNotification, counting);
    EXPECT_EQ(counting->minimizeCalls, 1);
    center.post(ns::UITextFieldTextDidBeginEditingNotification, f);
    EXPECT_EQ(counting->minimizeCalls, 1);
}

TEST_F(VXPlaceholderTextFieldTest, DroppedMidRunFieldGoesAtOnceAndQuietly) {
    auto f = load();
    ASSERT_TRUE(f);
    f->setMinimizationAnimationType(Type::smoothly);
    tapInto(*f);
    advance(0.1);
    ASSERT_LT(fontSize(*f), 17);
    std::weak_ptr<VXPlaceholderTextField> weak = f;
    std::weak_ptr<ui::Label> label = f->placeholderLabel();
    f->resignFirstResponder();
    f->removeFromSuperview();
    f.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(label.expired());
    advance(1);
    EXPECT_TRUE(loggedLines().empty());
    EXPECT_TRUE(printedLines().empty());
}

TEST_F(VXPlaceholderTextFieldTest, GoldenRestingAndFloatedStates) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 340, 370});
    board->setBackgroundColor(ui::Color(0.95, 1));
    window()->addSubview(board);
    const std::string common = R"(<property name="tweePlaceholder" value="Email"/>
                                  <property name="placeholderColor" value="gray"/>)";
    std::vector<std::shared_ptr<VXPlaceholderTextField>> fields;
    const std::string extra[] = {"", "", "",
                                 R"(<property name="minimumPlaceholderFontSize" value="20"/>
                                    <property name="originalPlaceholderFontSize" value="14"/>)",
                                 ""};
    for (int i = 0; i < 5; ++i) {
        auto nib = ui::Nib::fromData(fieldXML(common + extra[i], "20 " + std::to_string(30 + 70 * i) + " 300 40"),
                                     "Golden");
        auto objects = nib->instantiate(nullptr);
        ASSERT_EQ(objects.size(), 1u);
        auto field = std::dynamic_pointer_cast<VXPlaceholderTextField>(objects[0]);
        ASSERT_TRUE(field);
        field->setBackgroundColor(ui::Color::white());
        board->addSubview(field);
        fields.push_back(field);
    }
    fields[1]->setText(ns::String("ada@example.com"));
    fields[2]->setMinimizationAnimationType(Type::smoothly);
    fields[2]->setText(ns::String("ada@example.com"));
    fields[3]->setText(ns::String("ada@example.com"));
    fields[4]->becomeFirstResponder();
    advance(1);
    EXPECT_EQ(fontSize(*fields[2]), 12);
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_placeholder_text_field");
}

} // namespace
} // namespace pellavo
