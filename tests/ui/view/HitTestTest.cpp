#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/ExpectNear.hpp"

namespace pellavo::ui {
namespace {

using HitTest = pellavo::testing::AppTest;

std::shared_ptr<View> add(const std::shared_ptr<View>& parent, cg::Rect frame) {
    auto view = ns::make<View>(frame);
    parent->addSubview(view);
    return view;
}

TEST_F(HitTest, AlphaBelowOneHundredthIsSkipped) {
    auto view = add(window(), {0, 0, 100, 100});
    view->setAlpha(0.009);
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), window());
    view->setAlpha(0.01);
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), view);
}

class BlockedView : public View {
public:
    using View::View;
    bool blocked = true;
    bool isInteractionBlockedByAnimation() const override { return blocked; }
};

TEST_F(HitTest, EveryExclusionSkipsTheViewAndItsSubtree) {
    auto parent = add(window(), {0, 0, 100, 100});
    auto child = add(parent, {0, 0, 200, 200}); // sticks out of its parent
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), child);
    // A point outside the parent never reaches the child.
    EXPECT_EQ(window()->hitTest({150, 150}, nullptr), window());

    parent->setIsHidden(true);
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), window());
    parent->setIsHidden(false);

    parent->setIsUserInteractionEnabled(false);
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), window());
    parent->setIsUserInteractionEnabled(true);

    parent->setTransform(cg::AffineTransform::makeScale(0, 1));
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), window());
    parent->setTransform(cg::AffineTransform::makeScale(1e-7, 1e-7));
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), window());
    parent->setTransform(cg::AffineTransform::identity());

    // Interaction off on the child leaves the parent as the hit.
    child->setIsUserInteractionEnabled(false);
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), parent);

    auto blocked = ns::make<BlockedView>(cg::Rect{0, 0, 10, 10});
    parent->addSubview(blocked);
    EXPECT_EQ(window()->hitTest({5, 5}, nullptr), parent);
    blocked->blocked = false;
    EXPECT_EQ(window()->hitTest({5, 5}, nullptr), blocked);

    // A hidden window finds nothing.
    window()->setIsHidden(true);
    EXPECT_EQ(window()->hitTest({5, 5}, nullptr), nullptr);
}

TEST_F(HitTest, TheFrontSiblingWinsAndBoundsAreHalfOpen) {
    auto back = add(window(), {0, 0, 100, 100});
    auto front = add(window(), {50, 50, 100, 100});
    EXPECT_EQ(window()->hitTest({60, 60}, nullptr), front);
    EXPECT_EQ(window()->hitTest({49.9, 60}, nullptr), back);
    EXPECT_EQ(window()->hitTest({100, 10}, nullptr), window());
    EXPECT_EQ(window()->hitTest({99.999, 10}, nullptr), back);
    window()->bringSubviewToFront(back);
    EXPECT_EQ(window()->hitTest({60, 60}, nullptr), back);
}

TEST_F(HitTest, TransformsAndBoundsOriginsAreFollowed) {
    auto scroller = add(window(), {0, 100, 100, 100});
    scroller->setBounds({0, 300, 100, 100}); // scrolled down by 300
    auto item = add(scroller, {0, 320, 50, 20});
    EXPECT_EQ(window()->hitTest({10, 125}, nullptr), item);
    EXPECT_EQ(window()->hitTest({10, 145}, nullptr), scroller);

    auto zoomed = add(window(), {200, 0, 50, 50});
    zoomed->setTransform(cg::AffineTransform::makeScale(2, 2)); // covers 175…275
    EXPECT_EQ(window()->hitTest({180, 80}, nullptr), window()); // below it: y −25…75
    EXPECT_EQ(window()->hitTest({180, 30}, nullptr), zoomed);
    EXPECT_EQ(window()->hitTest({170, 30}, nullptr), window());
}

// ---------------------------------------------------------------- conversion

using Conversion = pellavo::testing::AppTest;

void expectPointNear(cg::Point actual, cg::Point expected) { pellavo::testing::expectNear(actual, expected, 1e-9); }

TEST_F(Conversion, AcrossBranchesAndToTheWindow) {
    auto left = add(window(), {10, 20, 100, 100});
    auto leftChild = add(left, {5, 5, 50, 50});
    auto right = add(window(), {200, 0, 100, 100});
    right->setBounds({-10, 0, 100, 100});
    right->setTransform(cg::AffineTransform::makeScale(2, 2));
    auto rightChild = add(right, {0, 10, 10, 10});

    // leftChild's (1, 1) is at (16, 26) in the window.
    expectPointNear(leftChild->convertTo(cg::Point{1, 1}, nullptr), {16, 26});
    expectPointNear(leftChild->convertTo(cg::Point{1, 1}, window()), {16, 26});
    expectPointNear(window()->convertTo(cg::Point{16, 26}, leftChild), {1, 1});
    expectPointNear(leftChild->convertFrom(cg::Point{16, 26}, nullptr), {1, 1});

    // right's centre (250, 50) maps to bounds (40, 50); scaled by 2 about it.
    expectPointNear(right->convertFrom(cg::Point{250, 50}, window()), {40, 50});
    expectPointNear(right->convertFrom(cg::Point{252, 54}, window()), {41, 52});
    // rightChild's origin is right's (0, 10): window (250 + 2·(0 − 40), 50 + 2·(10 − 50)).
    expectPointNear(rightChild->convertTo(cg::Point{0, 0}, window()), {170, -30});
    // Across branches, both ways.
    const cg::Point p = leftChild->convertTo(cg::Point{3, 4}, rightChild);
    expectPointNear(rightChild->convertTo(p, leftChild), {3, 4});
    expectPointNear(rightChild->convertFrom(cg::Point{3, 4}, leftChild), p);

    // A rect becomes the bounding box of its corners.
    const cg::Rect r = rightChild->convertTo(cg::Rect{0, 0, 10, 10}, window());
    EXPECT_NEAR(r.origin.x, 170, 1e-9);
    EXPECT_NEAR(r.size.width, 20, 1e-9);
    EXPECT_NEAR(r.size.height, 20, 1e-9);
    EXPECT_TRUE(leftChild->convertTo(cg::Rect::null(), nullptr).isNull());
}

TEST_F(Conversion, LooseTreesUseTheirRootAndWindowsMeetInScreenSpace) {
    auto root = ns::make<View>(cg::Rect{100, 100, 50, 50});
    auto child = add(root, {10, 10, 5, 5});
    expectPointNear(child->convertTo(cg::Point{0, 0}, nullptr), {10, 10});
    expectPointNear(child->convertFrom(cg::Point{10, 10}, nullptr), {0, 0});

    auto other = ns::make<Window>(cg::Rect{0, 300, 375, 367});
    other->makeKeyAndVisible();
    auto inOther = add(other, {0, 0, 10, 10});
    auto inMain = add(window(), {0, 0, 10, 10});
    expectPointNear(inOther->convertTo(cg::Point{1, 1}, inMain), {1, 301});
    expectPointNear(inMain->convertTo(cg::Point{1, 301}, inOther), {1, 1});
    expectPointNear(inOther->convertToScreen({1, 1}), {1, 301});
    expectPointNear(inOther->convertFromScreen({1, 301}), {1, 1});
}

TEST_F(Conversion, ASingularTransformInvertsAsTheIdentity) {
    auto flat = add(window(), {0, 0, 100, 100});
    flat->setTransform(cg::AffineTransform::makeScale(0, 0));
    const cg::Point p = flat->convertFrom(cg::Point{70, 20}, window());
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    expectPointNear(p, {70, 20});
    const cg::Rect r = window()->convertTo(cg::Rect{0, 0, 10, 10}, flat);
    EXPECT_TRUE(r.isFinite());
}

} // namespace
} // namespace pellavo::ui
