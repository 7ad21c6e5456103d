#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/Animation.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

class VXAttributedTextFieldTest : public testing::AppTest {
protected:
    std::vector<std::shared_ptr<VXBorderedTextField>> load(const std::string& objects, ui::View& into) {
        auto nib = ui::Nib::fromData(R"(<interface version="1">)" + objects + "</interface>", "Info");
        std::vector<std::shared_ptr<VXBorderedTextField>> fields;
        for (const auto& object : nib->instantiate(nullptr))
            if (auto field = std::dynamic_pointer_cast<VXBorderedTextField>(object)) {
                into.addSubview(field);
                fields.push_back(field);
            }
        EXPECT_TRUE(nib->lastWarnings().empty());
        into.layoutIfNeeded();
        return fields;
    }
    std::shared_ptr<VXAttributedTextField> load() {
        auto fields = load(R"(<object class="VXAttributedTextField" id="f" frame="20 100 300 40"/>)", *window());
        return fields.size() == 1 ? std::dynamic_pointer_cast<VXAttributedTextField>(fields[0]) : nullptr;
    }
    static double shownOpacity(const ui::View& view) { return view.layer()->presentation()->opacity(); }
};

TEST_F(VXAttributedTextFieldTest, InfoLabelIsPinnedBelowTheField) {
    auto f = load();
    ASSERT_TRUE(f);
    const auto label = f->infoLabel();
    f->showInfo("Required", false);
    window()->layoutIfNeeded();
    EXPECT_EQ(label->superview(), f);
    const cg::Rect frame = label->frame();
    EXPECT_EQ(frame.origin, (cg::Point{0, 42}));
    EXPECT_EQ(frame.width(), 300);
    EXPECT_GT(frame.height(), 0);

    const auto onLabel = [&] {
        std::size_t count = 0;
        for (const auto& c : f->constraints()) count += c->firstItem() == label;
        return count;
    };
    EXPECT_EQ(onLabel(), 3u);
    f->awakeFromNib();
    EXPECT_EQ(onLabel(), 3u);
}

TEST_F(VXAttributedTextFieldTest, ShowCrossDissolvesAndHideFades) {
    auto f = load();
    ASSERT_TRUE(f);
    const auto label = f->infoLabel();
    f->showInfo("Required", true);
    EXPECT_EQ(label->alpha(), 1);
    EXPECT_EQ(label->text()->utf8(), "Required");
    const auto transition = label->layer()->animation("transition");
    ASSERT_NE(transition, nullptr);
    EXPECT_EQ(transition->duration(), 1);
    advance(1);

    f->hideInfo(true);
    EXPECT_EQ(label->alpha(), 0);
    advance(0.5);
    EXPECT_GT(shownOpacity(*label), 0.05);
    EXPECT_LT(shownOpacity(*label), 0.95);
    EXPECT_EQ(label->text()->utf8(), "Required");

    // A show during the fade stops it: opaque from that moment.
    f->showInfo("Again", true);
    EXPECT_EQ(label->layer()->animation("opacity"), nullptr);
    EXPECT_EQ(shownOpacity(*label), 1);
    advance(1);
    EXPECT_EQ(shownOpacity(*label), 1);

    f->hideInfo(false);
    EXPECT_EQ(label->alpha(), 0);
    f->showInfo("New", false);
    EXPECT_EQ(label->alpha(), 1);
    EXPECT_EQ(label->text()->utf8(), "New");
    EXPECT_TRUE(label->layer()->animationKeys().empty());

    // Durations that are not positive apply at once.
    for (const double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        f->setInfoAnimationDuration(bad);
        f->hideInfo(true);
        EXPECT_EQ(shownOpacity(*label), 0) << bad;
        f->showInfo("Now", true);
        EXPECT_EQ(shownOpacity(*label), 1) << bad;
    }
}

TEST_F(VXAttributedTextFieldTest, LabelPropertiesAndTheAttributedOverload) {
    auto f = ns::make<VXAttributedTextField>();
    const auto family = f->infoLabel()->font().familyName();
    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.setValue(*f, "infoFontSize", ns::Value::of(11.0)));
    EXPECT_EQ(f->infoFontSize(), 11);
    EXPECT_EQ(f->infoLabel()->font().familyName(), family);
    runtime.setValue(*f, "infoFontSize", ns::Value::of(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(f->infoFontSize(), 11);
    f->setInfoTextColor(ui::Color::red());
    EXPECT_EQ(f->infoLabel()->textColor(), ui::Color::red());

    const ns::AttributedString message(ns::String("Too short"),
                                       {{ns::AttributedStringKey::foregroundColor, ns::Value::of(ui::Color::blue())}});
    f->showInfo(message, false);
    EXPECT_EQ(f->infoLabel()->attributedText(), message);
}

TEST_F(VXAttributedTextFieldTest, GoldenLineFieldStates) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 340, 420});
    board->setBackgroundColor(ui::Color(0.95, 1));
    window()->addSubview(board);
    const std::string common = R"(<property name="backgroundColor" value="white"/>
        <property name="tweePlaceholder" value="Email"/><property name="placeholderColor" value="gray"/>)";
    const char* const classes[] = {"VXBorderedTextField", "VXBorderedTextField", "VXActiveTextField",
                                   "VXAttributedTextField", "VXAttributedTextField"};
    const std::string extra[] = {
        R"(<property name="lineColor" value="gray"/>)",
        R"(<property name="lineColor" value="#333333"/><property name="lineWidth" value="4"/>)",
        R"(<property name="lineColor" value="gray"/><property name="activeLineColor" value="blue"/>
           <property name="activeLineWidth" value="2"/><property name="animationDuration" value="2"/>)",
        R"(<property name="lineColor" value="gray"/><property name="infoTextColor" value="red"/>
           <property name="infoFontSize" value="11"/>)",
        R"(<property name="lineColor" value="gray"/><property name="infoFontSize" value="11"/>
           <property name="infoAnimationDuration" value="2"/>)"};
    std::string objects;
    for (int i = 0; i < 5; ++i)
        objects += std::string(R"(<object class=")") + classes[i] + R"(" id="f)" + std::to_string(i) +
                   R"(" frame="20 )" + std::to_string(30 + 80 * i) + R"( 300 40">)" + common + extra[i] + "</object>";
    auto fields = load(objects, *board);
    ASSERT_EQ(fields.size(), 5u);
    fields[1]->setText(ns::String("ada@example.com"));
    fields[2]->becomeFirstResponder();
    auto info = std::dynamic_pointer_cast<VXAttributedTextField>(fields[3]);
    auto dissolving = std::dynamic_pointer_cast<VXAttributedTextField>(fields[4]);
    info->setText(ns::String("ada@example"));
    info->showInfo("Enter a valid email", false);
    dissolving->setText(ns::String("correct horse"));
    ns::MutableAttributedString message(
        ns::String("Strong: 12 characters, a digit"),
        {{ns::AttributedStringKey::foregroundColor, ns::Value::of(ui::Color(0.1, 0.6, 0.2, 1))}});
    message.addAttribute(ns::AttributedStringKey::foregroundColor, ns::Value::of(ui::Color(0.45, 1)), {6, 24});
    dissolving->showInfo(message, true);
    advance(1);
    testing::expectMatchesGolden(testing::renderShown(*board), "pellavo_line_text_fields");
}

} // namespace
} // namespace pellavo
