#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "platform/ca/Layer.hpp"
#include "tests/pellavo/VXWalkthrough/VXWalkthroughTestSupport.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::testing {
namespace {

using Type = WalkthroughAnimationType;

class VXWalkthroughPageTest : public AppTest {
protected:
    static const ca::Transform3D& transformOf(VXWalkthroughPageViewController& page, std::size_t i) {
        return page.view()->subviews()[i]->layer()->transform();
    }
};

TEST_F(VXWalkthroughPageTest, LoadingRecordsOneGrowingSpeedPerSubview) {
    const auto page = pageWithSubviews(3);
    page->setSpeedVariance({10, 0});
    EXPECT_EQ(page->speed(), (cg::Point{0, 0}));
    EXPECT_EQ(page->animationType().utf8(), "Linear");
    EXPECT_FALSE(page->animateAlpha());
    EXPECT_TRUE(page->view()->layer()->masksToBounds());
    EXPECT_EQ(page->speed(), (cg::Point{30, 0}));
    page->walkthroughDidScroll(0, 0.5);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(transformOf(*page, i).m41, 500.0 * static_cast<double>(i + 1));
        EXPECT_DOUBLE_EQ(transformOf(*page, i).m42, 0);
    }
    // Recorded once: later changes and later subviews do not count.
    page->setSpeedVariance({1, 1});
    page->view()->addSubview(ns::make<ui::View>());
    page->walkthroughDidScroll(0, 0);
    EXPECT_DOUBLE_EQ(transformOf(*page, 0).m41, 1000);
    EXPECT_TRUE(transformOf(*page, 3).isIdentity());
}

TEST_F(VXWalkthroughPageTest, EachStyleMovesBySpeedAndOffset) {
    // For the speed (2, 2): Linear, Curve and InOut translations, the Zoom scale and the faded alpha.
    const struct {
        double offset;
        cg::Point linear, curve, inOut;
        double zoom, alpha;
    } cases[] = {
        {0, {200, 200}, {1500, 1600}, {200, 200}, 0, 0},
        {0.5, {100, 100}, {0, 50}, {100, 100}, 0.5, 0.5},
        {1, {0, 0}, {0, 0}, {0, 0}, 1, 1},
        {1.5, {-100, -100}, {0, -50}, {100, 100}, 0.5, 0.5},
        {1.999, {-199.8, -199.8}, {-1494.505998, -1594.405998}, {199.8, 199.8}, 0.001, 0.001},
        {-0.5, {300, 300}, {6000, 6150}, {300, 300}, -0.5, 0},
    };
    const auto page = pageWithSubviews(1);
    page->setSpeedVariance({2, 2});
    page->setAnimateAlpha(true);
    (void)page->view();
    for (const auto& c : cases) {
        for (const auto& [type, moved] : {std::pair{Type::Linear, c.linear}, std::pair{Type::Curve, c.curve},
                                          std::pair{Type::InOut, c.inOut}}) {
            page->setAnimationType(ns::String(rawValue(type)));
            page->walkthroughDidScroll(0, c.offset);
            const auto& t = transformOf(*page, 0);
            EXPECT_NEAR(t.m41, moved.x, 1e-6) << rawValue(type) << " at " << c.offset;
            EXPECT_NEAR(t.m42, moved.y, 1e-6) << rawValue(type) << " at " << c.offset;
            EXPECT_EQ(t.m11, 1);
        }
        page->setAnimationType("Zoom");
        page->walkthroughDidScroll(0, c.offset);
        const auto& t = transformOf(*page, 0);
        EXPECT_NEAR(t.m11, c.zoom, 1e-9) << c.offset;
        EXPECT_NEAR(t.m22, c.zoom, 1e-9) << c.offset;
        EXPECT_EQ(t.m41, 0);
        EXPECT_NEAR(page->view()->subviews()[0]->alpha(), c.alpha, 1e-9) << c.offset;
    }
}

TEST_F(VXWalkthroughPageTest, AStaticSubviewKeepsItsTransformButFades) {
    const auto page = pageWithSubviews(3);
    page->setSpeedVariance({1, 0});
    page->setAnimateAlpha(true);
    page->setStaticTags("2");
    const auto preset = ca::Transform3D::makeScale(2, 2, 1);
    page->view()->subviews()[1]->layer()->setTransform(preset);
    for (const char* type : {"Linear", "Curve", "Zoom", "InOut"}) {
        page->setAnimationType(type);
        page->walkthroughDidScroll(0, 0.5);
        EXPECT_EQ(transformOf(*page, 1), preset) << type;
        EXPECT_DOUBLE_EQ(page->view()->subviews()[1]->alpha(), 0.5) << type;
    }
    page->setAnimationType("Linear");
    page->walkthroughDidScroll(0, 0.5);
    EXPECT_DOUBLE_EQ(transformOf(*page, 2).m41, 150);  // the third subview's own speed
}

TEST_F(VXWalkthroughPageTest, StringPropertiesTakeOnlyTheirExactForms) {
    const auto page = ns::make<VXWalkthroughPageViewController>();
    const struct {
        const char* written;
        const char* read;
    } tags[] = {
        {"3,7", "3,7"}, {"+5", "5"}, {"-2", "-2"}, {"", ""}, {"4", "4"},
        {" 3", "4"}, {"3,", "4"}, {",", "4"}, {"a", "4"}, {"3,,4", "4"}, {"99999999999999999999", "4"}, {"+", "4"},
        {"-9223372036854775808,9223372036854775807", "-9223372036854775808,9223372036854775807"},
        {"9223372036854775808", "-9223372036854775808,9223372036854775807"},
    };
    for (const auto& c : tags) {
        page->setStaticTags(c.written);
        EXPECT_EQ(page->staticTags().utf8(), c.read) << '"' << c.written << '"';
    }
    const struct {
        const char* written;
        const char* read;
    } types[] = {{"Zoom", "Zoom"}, {"zoom", "Zoom"}, {"", "Zoom"}, {"Fade", "Zoom"}, {"InOut", "InOut"}};
    for (const auto& c : types) {
        page->setAnimationType(c.written);
        EXPECT_EQ(page->animationType().utf8(), c.read) << '"' << c.written << '"';
    }
    EXPECT_EQ(walkthroughAnimationTypeFromRawValue("Curve"), Type::Curve);
    EXPECT_EQ(walkthroughAnimationTypeFromRawValue("curve"), std::nullopt);
}

TEST_F(VXWalkthroughPageTest, ARemovedSubviewOrANonFiniteOffsetIsHarmless) {
    const auto page = pageWithSubviews(3);
    page->setSpeedVariance({1, 0});
    (void)page->view();
    page->view()->subviews()[2]->removeFromSuperview();
    page->walkthroughDidScroll(0, 0);
    EXPECT_DOUBLE_EQ(transformOf(*page, 1).m41, 200);
    for (const double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        page->walkthroughDidScroll(0, bad);
        EXPECT_DOUBLE_EQ(transformOf(*page, 1).m41, 200);
    }
    EXPECT_TRUE(loggedLines().empty());
}

} // namespace
} // namespace pellavo::testing
