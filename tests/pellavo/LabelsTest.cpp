#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "pellavo/PaddingLabel.hpp"
#include "pellavo/VXAlignLabel.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

class LabelsTest : public testing::AppTest {
protected:
    template <class T>
    std::shared_ptr<T> fromFile(const char* xml) {
        auto nib = ui::Nib::fromData(xml, "Labels");
        const auto objects = nib->instantiate(nullptr);
        return objects.size() == 1 ? std::dynamic_pointer_cast<T>(objects[0]) : nullptr;
    }
};

using Align = VXAlignLabel::VerticalAlignment;

// The dark pixels' extent at scale 2, in pixels: {left, top, right, bottom}, or all -1.
std::array<int, 4> inkOf(ui::View& view) {
    const auto picture = testing::renderView(view);
    std::array<int, 4> ink{-1, -1, -1, -1};
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y).r < 128) {
                if (ink[0] < 0 || x < ink[0]) ink[0] = x;
                if (ink[1] < 0) ink[1] = y;
                ink[2] = std::max(ink[2], x);
                ink[3] = y;
            }
    return ink;
}

TEST_F(LabelsTest, AlignLabelPlacesTheTextInItsBounds) {
    static_assert(!std::is_constructible_v<VXAlignLabel, cg::Rect>);
    EXPECT_EQ(ns::Runtime::shared().create("VXAlignLabel"), nullptr);
    auto label = fromFile<VXAlignLabel>(R"(<interface version="1">
  <object class="VXAlignLabel" frame="0 0 200 100"><property name="text" value="Hello"/></object>
</interface>)");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->verticalAlignment(), Align::top);
    auto plain = ns::make<ui::Label>(cg::Rect{0, 0, 200, 100});
    plain->setText(ns::String("Hello"));
    const cg::Size size = plain->textRect(plain->bounds(), 1).size;
    const std::vector<std::pair<Align, double>> rows{
        {Align::top, 0}, {Align::middle, (100 - size.height) / 2}, {Align::bottom, 100 - size.height}};
    for (const auto& [alignment, y] : rows) {
        label->setVerticalAlignment(alignment);
        EXPECT_EQ(label->textRect(label->bounds(), 1), (cg::Rect{0, y, size.width, size.height}));
        EXPECT_EQ(label->textRect({10, 10, 50, 50}, 1), (cg::Rect{0, y, size.width, size.height}));
    }
    EXPECT_EQ(VXAlignLabel::verticalAlignmentFromRawValue(0), Align::top);
    EXPECT_EQ(VXAlignLabel::verticalAlignmentFromRawValue(1), Align::middle);
    EXPECT_EQ(VXAlignLabel::verticalAlignmentFromRawValue(2), Align::bottom);
    for (int raw : {3, -1, INT_MIN}) EXPECT_EQ(VXAlignLabel::verticalAlignmentFromRawValue(raw), std::nullopt);
}

TEST_F(LabelsTest, PaddingGrowsBothSizesOnce) {
    auto plain = ns::make<ui::Label>();
    plain->setText(ns::String("Padded"));
    auto padded = std::dynamic_pointer_cast<PaddingLabel>(ns::Runtime::shared().create("PaddingLabel"));
    ASSERT_NE(padded, nullptr);
    padded->setText(ns::String("Padded"));
    padded->setTopInset(5);
    padded->setLeftInset(10);
    padded->setBottomInset(5);
    padded->setRightInset(10);
    const cg::Size base = plain->intrinsicContentSize();
    EXPECT_EQ(padded->intrinsicContentSize(), (cg::Size{base.width + 20, base.height + 10}));
    const cg::Size fit = plain->sizeThatFits({200, std::numeric_limits<double>::infinity()});
    EXPECT_EQ(padded->sizeThatFits({200, std::numeric_limits<double>::infinity()}),
              (cg::Size{fit.width + 20, fit.height + 10}));

    const double nan = std::nan("");
    for (auto set : {&PaddingLabel::setTopInset, &PaddingLabel::setLeftInset, &PaddingLabel::setBottomInset,
                     &PaddingLabel::setRightInset})
        (padded.get()->*set)(nan);
    EXPECT_EQ(padded->intrinsicContentSize(), base);
}

TEST_F(LabelsTest, PaddingInsetsComeFromAFile) {
    auto label = fromFile<PaddingLabel>(R"(<interface version="1">
  <object class="PaddingLabel" frame="0 0 100 40"><property name="text" value="Hi"/>
    <property name="topInset" value="1"/><property name="leftInset" value="2"/>
    <property name="bottomInset" value="3"/><property name="rightInset" value="4"/></object>
</interface>)");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->topInset(), 1);
    EXPECT_EQ(label->leftInset(), 2);
    EXPECT_EQ(label->bottomInset(), 3);
    EXPECT_EQ(label->rightInset(), 4);
}

TEST_F(LabelsTest, DrawingKeepsAlignmentAndSkipsOverfullInsets) {
    auto label = fromFile<VXAlignLabel>(R"(<interface version="1">
  <object class="VXAlignLabel" frame="0 0 200 100"><property name="text" value="Hello"/></object>
</interface>)");
    ASSERT_NE(label, nullptr);
    label->setBackgroundColor(ui::Color::white());
    const double h = label->textRect(label->bounds(), 1).size.height;
    label->setVerticalAlignment(Align::bottom);
    label->setTextAlignment(ns::TextAlignment::center);
    const auto ink = inkOf(*label);
    ASSERT_GE(ink[0], 0);
    EXPECT_GE(ink[1] / 2.0, 100 - h - 0.5);
    EXPECT_NEAR((ink[0] + ink[2] + 1) / 4.0, 100, 1);
    label->setNumberOfLines(12);
    label->setText(ns::String("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12"));
    label->setFrame({0, 0, 200, 40});
    EXPECT_LT(label->textRect(label->bounds(), 12).origin.y, 0);
    inkOf(*label); // draws without a crash

    auto padded = ns::make<PaddingLabel>(cg::Rect{0, 0, 100, 40});
    padded->setBackgroundColor(ui::Color::white());
    padded->setText(ns::String("Hi"));
    ASSERT_GE(inkOf(*padded)[0], 0);
    padded->setLeftInset(300);
    padded->setRightInset(300);
    EXPECT_EQ(inkOf(*padded)[0], -1);
}

TEST_F(LabelsTest, Golden) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 380, 260});
    board->setBackgroundColor(ui::Color::white());
    auto aligned = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXAlignLabel" frame="10 10 110 100"><property name="text" value="Hello"/></object>
  <object class="VXAlignLabel" frame="130 10 110 100"><property name="text" value="Hello"/></object>
  <object class="VXAlignLabel" frame="250 10 110 100"><property name="text" value="Hello"/></object>
  <object class="VXAlignLabel" frame="10 120 300 60"><property name="text" value="Hello"/></object>
</interface>)", "Board")->instantiate(nullptr);
    ASSERT_EQ(aligned.size(), 4u);
    const Align alignments[] = {Align::top, Align::middle, Align::bottom, Align::bottom};
    for (std::size_t i = 0; i < 4; ++i) {
        auto label = std::dynamic_pointer_cast<VXAlignLabel>(aligned[i]);
        label->setBackgroundColor(ui::Color(0.9, 0.9, 0.9, 1));
        label->setVerticalAlignment(alignments[i]);
        if (i == 3) label->setTextAlignment(ns::TextAlignment::center);
        board->addSubview(label);
    }
    double x = 10;
    for (double inset : {5.0, 20.0}) {
        auto padded = ns::make<PaddingLabel>();
        padded->setTopInset(inset);
        padded->setBottomInset(inset);
        padded->setLeftInset(inset * 2);
        padded->setRightInset(inset * 2);
        padded->setText(ns::String("Padded"));
        padded->setBackgroundColor(ui::Color(0.75, 0.87, 1, 1));
        padded->setFrame({{x, 190}, padded->intrinsicContentSize()});
        x += padded->frame().size.width + 20;
        board->addSubview(padded);
    }
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_labels");
}

} // namespace
} // namespace pellavo
