#include "platform/ui/control/Label.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/text/TextLayout.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using testing::renderView;

class LabelTest : public testing::AppTest {};

double upToPixels(double v) { return std::ceil(v * 2 - 1e-6) / 2; }

TEST_F(LabelTest, Defaults) {
    auto label = ns::make<Label>();
    EXPECT_EQ(label->font(), Font::systemFont(17));
    EXPECT_EQ(label->textColor(), Color::black());
    EXPECT_EQ(label->textAlignment(), ns::TextAlignment::natural);
    EXPECT_EQ(label->numberOfLines(), 1);
    EXPECT_EQ(label->lineBreakMode(), ns::LineBreakMode::byTruncatingTail);
    EXPECT_FALSE(label->isUserInteractionEnabled());
    EXPECT_FALSE(label->backgroundColor() && label->backgroundColor()->cgColor().alpha > 0);
}

TEST_F(LabelTest, BadValuesBecomeTheDefaults) {
    auto label = ns::make<Label>();
    label->setFont(Font::systemFont(30));
    label->setFont(std::nullopt);
    EXPECT_EQ(label->font(), Font::systemFont(17));
    label->setFont(Font());
    EXPECT_EQ(label->font(), Font::systemFont(17));
    // A named font shrunk to nothing stays: it has no size and no ink.
    label->setText("Hidden");
    label->setFont(Font::systemFont(0));
    EXPECT_EQ(label->font().fontName(), Font::systemFont(17).fontName());
    EXPECT_EQ(label->font().pointSize(), 0);
    EXPECT_EQ(label->intrinsicContentSize().height, 0);
    label->setNumberOfLines(-3);
    EXPECT_EQ(label->numberOfLines(), 0);
    label->setTextColor(std::nullopt);
    EXPECT_EQ(label->textColor(), Color::black());
}

TEST_F(LabelTest, AttributedTextSetsTextFontColourAndAlignment) {
    auto label = ns::make<Label>();
    ns::ParagraphStyle paragraph;
    paragraph.alignment = ns::TextAlignment::right;
    ns::MutableAttributedString text(ns::String("Hello there"),
                                     {{ns::AttributedStringKey::font, ns::Value::of(Font::boldSystemFont(21))},
                                      {ns::AttributedStringKey::foregroundColor, ns::Value::of(Color::red())},
                                      {ns::AttributedStringKey::paragraphStyle, ns::Value::of(paragraph)}});
    text.addAttribute(ns::AttributedStringKey::foregroundColor, ns::Value::of(Color::blue()), {6, 5});
    label->setAttributedText(text);
    EXPECT_EQ(label->text(), ns::String("Hello there"));
    EXPECT_EQ(label->font(), Font::boldSystemFont(21));
    EXPECT_EQ(label->textColor(), Color::red());
    EXPECT_EQ(label->textAlignment(), ns::TextAlignment::right);
    EXPECT_EQ(label->attributedText(), text);

    // Plain text afterwards takes the label's attributes.
    label->setText(ns::String("Plain"));
    const auto plain = label->attributedText();
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->string(), ns::String("Plain"));
    const ns::Value fontValue = plain->attribute(ns::AttributedStringKey::font, 0);
    const auto* font = fontValue.get<Font>();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(*font, Font::boldSystemFont(21));
}

TEST_F(LabelTest, NaturalSizeIsRoundedUpToPixels) {
    auto label = ns::make<Label>();
    label->setText(ns::String("Natural size"));
    const cg::Size layout =
        TextLayout(ns::AttributedString(ns::String("Natural size"),
                                        {{ns::AttributedStringKey::font, ns::Value::of(Font::systemFont(17))}}))
            .size();
    const cg::Size expected{upToPixels(layout.width), upToPixels(layout.height)};
    EXPECT_EQ(label->sizeThatFits({0, 0}), expected);
    EXPECT_EQ(label->sizeThatFits({1e9, 1e9}), expected);
    EXPECT_EQ(label->intrinsicContentSize(), expected);
    EXPECT_EQ(std::fmod(expected.width * 2, 1.0), 0.0);

    // A narrow width neither truncates nor wraps a one-line label.
    EXPECT_EQ(label->sizeThatFits({40, 0}), label->sizeThatFits({0, 0}));

    label->sizeToFit();
    EXPECT_EQ(label->bounds().size, expected);
}

TEST_F(LabelTest, MultiLineLabelsWrapAtThePreferredWidth) {
    auto label = ns::make<Label>();
    label->setText(ns::String("one two three four five six seven eight nine ten"));
    label->setNumberOfLines(0);
    const cg::Size oneLine = label->sizeThatFits({0, 0});
    label->setPreferredMaxLayoutWidth(80);
    const cg::Size wrapped = label->intrinsicContentSize();
    EXPECT_LE(wrapped.width, 80);
    EXPECT_GT(wrapped.height, oneLine.height * 2);
    label->setNumberOfLines(2);
    EXPECT_DOUBLE_EQ(label->intrinsicContentSize().height, upToPixels(oneLine.height * 2));
}

TEST_F(LabelTest, EmptyTextMeasuresZero) {
    auto label = ns::make<Label>();
    EXPECT_EQ(label->intrinsicContentSize(), (cg::Size{0, 0}));
    label->setText(ns::String(""));
    EXPECT_EQ(label->sizeThatFits({100, 100}), (cg::Size{0, 0}));
}

// Pads the text by 10 on every side, through textRect alone.
class PaddedLabel : public Label {
public:
    cg::Rect textRect(const cg::Rect& bounds, int lines) const override {
        const cg::Rect inner = Label::textRect(bounds.inset({10, 10, 10, 10}), lines);
        return {bounds.origin, {inner.size.width + 20, inner.size.height + 20}};
    }
};

TEST_F(LabelTest, ATextRectOverrideDrivesSizing) {
    auto plain = ns::make<Label>();
    auto padded = ns::make<PaddedLabel>();
    plain->setText(ns::String("Padding"));
    padded->setText(ns::String("Padding"));
    const cg::Size a = plain->intrinsicContentSize();
    const cg::Size b = padded->intrinsicContentSize();
    EXPECT_DOUBLE_EQ(b.width, a.width + 20);
    EXPECT_DOUBLE_EQ(b.height, a.height + 20);
}

TEST_F(LabelTest, TextIsCentredVerticallyInPixels) {
    auto label = ns::make<Label>(cg::Rect{0, 0, 120, 80});
    label->setBackgroundColor(Color::white());
    label->setText(ns::String("Ag"));
    label->setFont(Font::systemFont(20));
    const auto picture = renderView(*label);
    int top = -1, bottom = -1, left = -1;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y).r < 128) {
                if (top < 0) top = y;
                bottom = y;
                if (left < 0 || x < left) left = x;
            }
        }
    }
    ASSERT_GE(top, 0) << "the text was drawn";
    // The line box, not the ink, is centred: its top sits (80 − line height) / 2 down.
    const double lineHeight = label->sizeThatFits({0, 0}).height;
    const double lineTop = (80 - lineHeight) / 2;
    EXPECT_GE(top / 2.0, lineTop - 0.5);
    EXPECT_LE(bottom / 2.0, lineTop + lineHeight + 0.5);
    // Ink is in the middle third, roughly symmetric about the centre.
    EXPECT_NEAR((top + bottom) / 4.0, 40, 6);
    EXPECT_LT(left / 2.0, 5) << "natural alignment is left";

    label->setTextAlignment(ns::TextAlignment::right);
    const auto right = renderView(*label);
    int rightmost = -1;
    for (int y = 0; y < right.height(); ++y)
        for (int x = 0; x < right.width(); ++x)
            if (right.pixel(x, y).r < 128) rightmost = std::max(rightmost, x);
    EXPECT_GT(rightmost / 2.0, 114);
}

TEST_F(LabelTest, ATextChangeMarksDisplayButNotTheSuperviewsLayout) {
    auto parent = ns::make<View>(cg::Rect{0, 0, 200, 100});
    auto label = ns::make<Label>(cg::Rect{0, 0, 100, 30});
    parent->addSubview(label);
    window()->addSubview(parent);
    runUntilIdle();
    EXPECT_FALSE(label->layer()->needsDisplay());
    EXPECT_FALSE(parent->layer()->needsLayout());
    label->setText(ns::String("changed"));
    EXPECT_TRUE(label->layer()->needsDisplay());
    EXPECT_FALSE(parent->layer()->needsLayout());
    label->setFont(Font::systemFont(30));
    EXPECT_FALSE(parent->layer()->needsLayout());
}

} // namespace
} // namespace pellavo::ui

namespace pellavo::ui {
namespace {

TEST_F(LabelTest, MeasuringAtBadWidthsIsUnconstrained) {
    auto label = ns::make<Label>();
    label->setNumberOfLines(0);
    label->setText(ns::String("several words to measure"));
    const cg::Size natural = label->sizeThatFits({0, 0});
    EXPECT_EQ(label->sizeThatFits({-5, -5}), natural);
    EXPECT_EQ(label->sizeThatFits({std::nan(""), 10}), natural);
    EXPECT_EQ(label->sizeThatFits({std::numeric_limits<double>::infinity(), 10}), natural);
    const cg::Rect r = label->textRect({std::nan(""), 3, -10, 0}, 0);
    EXPECT_EQ(r.origin, (cg::Point{0, 0}));
    EXPECT_EQ(r.size.height, TextLayout(ns::AttributedString(ns::String("x"), {{ns::AttributedStringKey::font,
                                                                             ns::Value::of(Font::systemFont(17))}}))
                                 .size()
                                 .height);
}

} // namespace
} // namespace pellavo::ui

namespace pellavo::ui {
namespace {

// The horizontal extent of the dark ink, in points of a scale-2 picture.
std::pair<double, double> inkColumns(const cg::Image& picture) {
    int left = -1, right = -1;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y).r >= 128) continue;
            if (left < 0 || x < left) left = x;
            right = std::max(right, x);
        }
    }
    return {left / 2.0, (right + 1) / 2.0};
}

TEST_F(LabelTest, AttributedRunsWithoutAParagraphStyleFollowTheLabel) {
    using Key = ns::AttributedStringKey;
    const ns::AttributedString plain(ns::String("Hi"), {{Key::font, ns::Value::of(Font::systemFont(20))}});
    ns::ParagraphStyle ownStyle;
    ownStyle.alignment = ns::TextAlignment::right;
    ownStyle.lineBreakMode = ns::LineBreakMode::byTruncatingMiddle;
    ns::MutableAttributedString styled(plain);
    styled.addAttribute(Key::paragraphStyle, ns::Value::of(ownStyle), {0, 2});

    struct Case {
        const char* name;
        std::function<void(Label&)> setUp;
        double expectedCentre; // of the ink, in a 200-point-wide label
    };
    const Case cases[] = {
        {"alignment set before the text",
         [&](Label& l) {
             l.setTextAlignment(ns::TextAlignment::center);
             l.setAttributedText(plain);
         },
         100},
        {"alignment set after the text",
         [&](Label& l) {
             l.setAttributedText(plain);
             l.setTextAlignment(ns::TextAlignment::right);
         },
         190},
        {"a run's own style wins",
         [&](Label& l) {
             l.setTextAlignment(ns::TextAlignment::center);
             l.setAttributedText(styled);
         },
         190},
    };
    for (const Case& c : cases) {
        auto label = ns::make<Label>(cg::Rect{0, 0, 200, 30});
        label->setBackgroundColor(Color::white());
        c.setUp(*label);
        const auto [left, right] = inkColumns(renderView(*label));
        EXPECT_NEAR((left + right) / 2, c.expectedCentre, 12) << c.name;
        if (c.expectedCentre > 100) {
            EXPECT_GT(right, 196) << c.name;
        }
    }

    // The label takes the break mode with the alignment; changing either later
    // keeps the rest of each run's own style.
    auto label = ns::make<Label>();
    ns::ParagraphStyle clipping;
    clipping.lineBreakMode = ns::LineBreakMode::byClipping;
    styled.append(ns::AttributedString(ns::String(" there"), {{Key::paragraphStyle, ns::Value::of(clipping)}}));
    label->setAttributedText(styled);
    EXPECT_EQ(label->lineBreakMode(), ns::LineBreakMode::byTruncatingMiddle);
    auto styleAt = [&](int64_t at) {
        const ns::Value value = label->attributedText()->attribute(Key::paragraphStyle, at);
        const auto* style = value.get<ns::ParagraphStyle>();
        return style != nullptr ? *style : ns::ParagraphStyle{ns::TextAlignment::justified, ns::LineBreakMode::byCharWrapping};
    };
    label->setTextAlignment(ns::TextAlignment::center);
    EXPECT_EQ(styleAt(0), (ns::ParagraphStyle{ns::TextAlignment::center, ns::LineBreakMode::byTruncatingMiddle}));
    EXPECT_EQ(styleAt(4), (ns::ParagraphStyle{ns::TextAlignment::center, ns::LineBreakMode::byClipping}));
    label->setLineBreakMode(ns::LineBreakMode::byTruncatingHead);
    EXPECT_EQ(styleAt(4), (ns::ParagraphStyle{ns::TextAlignment::center, ns::LineBreakMode::byTruncatingHead}));
}

// A label subclass that interface files alone can make.
class CodedOnlyLabel : public Label {
public:
    explicit CodedOnlyLabel(const ns::Coder& coder) : Label(coder) {}
    std::string_view className() const override { return "TestCodedOnlyLabel"; }
};
[[maybe_unused]] const auto codedOnlyRegistration = ns::ClassRegistration<CodedOnlyLabel>("TestCodedOnlyLabel", "UILabel");

TEST_F(LabelTest, ACoderOnlySubclassLoadsFromAnInterfaceFile) {
    auto nib = Nib::fromData(R"(<interface version="1">
  <object class="TestCodedOnlyLabel" frame="4 6 120 30"><property name="text" value="Coded"/></object>
</interface>)",
                             "Coded");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    const auto label = std::dynamic_pointer_cast<CodedOnlyLabel>(objects[0]);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->frame(), (cg::Rect{4, 6, 120, 30}));
    EXPECT_EQ(label->text(), ns::String("Coded"));
    EXPECT_FALSE(label->isUserInteractionEnabled());
    EXPECT_EQ(label->font(), Font::systemFont(17));
}

// Grows its fitting size only; the intrinsic size must not follow it.
class FittingGrownLabel : public Label {
public:
    cg::Size sizeThatFits(cg::Size size) const override {
        const cg::Size base = Label::sizeThatFits(size);
        return {base.width + 10, base.height + 10};
    }
};

TEST_F(LabelTest, IntrinsicSizeIsTheLabelsOwnMeasure) {
    auto plain = ns::make<Label>();
    auto grown = ns::make<FittingGrownLabel>();
    plain->setText(ns::String("Measure"));
    grown->setText(ns::String("Measure"));
    EXPECT_EQ(grown->intrinsicContentSize(), plain->intrinsicContentSize());
}

} // namespace
} // namespace pellavo::ui
