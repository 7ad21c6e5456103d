#include "platform/ca/Layer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "platform/ca/GradientLayer.hpp"
#include "platform/ns/Console.hpp"
#include "tests/support/ExpectNear.hpp"

namespace pellavo::ca {
namespace {

using cg::Point;
using cg::Rect;
using cg::Size;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectRectNear(const Rect& actual, const Rect& expected, double eps = 1e-9) {
    pellavo::testing::expectNear(actual, expected, eps);
}

void expectPointNear(Point actual, Point expected, double eps = 1e-9) {
    pellavo::testing::expectNear(actual, expected, eps);
}

TEST(LayerGeometry, Defaults) {
    auto layer = ns::make<Layer>();
    EXPECT_EQ(layer->className(), "CALayer");
    EXPECT_EQ(layer->anchorPoint(), Point(0.5, 0.5));
    EXPECT_EQ(layer->opacity(), 1.0f);
    EXPECT_FALSE(layer->backgroundColor());
    EXPECT_EQ(layer->borderColor(), cg::Color(0, 0, 0, 1));
    EXPECT_EQ(layer->shadowColor(), cg::Color(0, 0, 0, 1));
    EXPECT_EQ(layer->shadowOpacity(), 0.0f);
    EXPECT_EQ(layer->shadowOffset(), Size(0, -3));
    EXPECT_EQ(layer->shadowRadius(), 3);
    EXPECT_EQ(layer->contentsGravity(), ContentsGravity::resize);
    EXPECT_EQ(layer->contentsScale(), 1);
    EXPECT_TRUE(layer->transform().isIdentity());
}

TEST(LayerGeometry, FrameSetsPositionAndBoundsForEachAnchor) {
    struct Case {
        Point anchor;
        Point position;
    };
    for (const Case& c : {Case{{0, 0}, {10, 20}}, Case{{0.5, 0.5}, {25, 40}}, Case{{1, 0.25}, {40, 30}}}) {
        auto layer = ns::make<Layer>();
        layer->setBounds({5, 7, 1, 1}); // the origin survives a frame change
        layer->setAnchorPoint(c.anchor);
        layer->setFrame({10, 20, 30, 40});
        EXPECT_EQ(layer->position(), c.position);
        EXPECT_EQ(layer->bounds(), Rect(5, 7, 30, 40));
        EXPECT_EQ(layer->frame(), Rect(10, 20, 30, 40));
    }
}

TEST(LayerGeometry, FrameWithNegativeSizeIsStandardised) {
    auto layer = ns::make<Layer>();
    layer->setFrame({40, 60, -30, -40});
    EXPECT_EQ(layer->frame(), Rect(10, 20, 30, 40));
    EXPECT_EQ(layer->bounds().size, Size(30, 40));
}

TEST(LayerGeometry, FrameUnderScaleDividesTheBoundsSize) {
    auto layer = ns::make<Layer>();
    layer->setTransform(Transform3D::makeScale(0.5, 0.5, 1));
    layer->setFrame({0, 0, 100, 50});
    EXPECT_EQ(layer->bounds().size, Size(200, 100));
    EXPECT_EQ(layer->position(), Point(50, 25));
    expectRectNear(layer->frame(), {0, 0, 100, 50});

    // A mirrored scale divides by its magnitude; the frame comes back the same.
    layer->setTransform(Transform3D::makeScale(-2, 4, 1));
    layer->setFrame({10, 10, 100, 40});
    EXPECT_EQ(layer->bounds().size, Size(50, 10));
    expectRectNear(layer->frame(), {10, 10, 100, 40});
}

TEST(LayerGeometry, FrameUnderRotationOrSingularTransformTakesTheSize) {
    auto layer = ns::make<Layer>();
    layer->setTransform(Transform3D::makeRotation(0.3, 0, 0, 1));
    layer->setFrame({0, 0, 100, 50});
    EXPECT_EQ(layer->bounds().size, Size(100, 50));

    layer->setTransform(Transform3D::makeScale(0, 1, 1));
    layer->setFrame({0, 0, 30, 40});
    EXPECT_EQ(layer->bounds().size, Size(30, 40));
    EXPECT_EQ(layer->position(), Point(15, 20));
}

TEST(LayerGeometry, RotatedFrameIsTheBoundingBox) {
    auto layer = ns::make<Layer>();
    layer->setBounds({0, 0, 100, 50});
    layer->setPosition({200, 100});
    layer->setTransform(Transform3D::makeRotation(std::numbers::pi / 2, 0, 0, 1));
    expectRectNear(layer->frame(), {175, 50, 50, 100});

    layer->setTransform(Transform3D::makeRotation(std::numbers::pi / 4, 0, 0, 1));
    const double side = 150 / std::numbers::sqrt2;
    expectRectNear(layer->frame(), {200 - side / 2, 100 - side / 2, side, side});
}

TEST(LayerGeometry, TransformTranslationMovesTheFrame) {
    auto layer = ns::make<Layer>();
    layer->setFrame({0, 0, 10, 10});
    layer->setTransform(Transform3D::makeTranslation(3, 4, 0));
    EXPECT_EQ(layer->frame(), Rect(3, 4, 10, 10));
}

TEST(LayerGeometry, BoundsAndAnchorChangesKeepPosition) {
    auto layer = ns::make<Layer>();
    layer->setFrame({10, 10, 20, 20});
    layer->setBounds({0, 0, 40, 10});
    EXPECT_EQ(layer->position(), Point(20, 20));
    EXPECT_EQ(layer->frame(), Rect(0, 15, 40, 10));
    layer->setAnchorPoint({0, 0});
    EXPECT_EQ(layer->position(), Point(20, 20));
    EXPECT_EQ(layer->frame(), Rect(20, 20, 40, 10));
}

TEST(LayerGeometry, NonFiniteSettersKeepTheOldValueAndLogOnce) {
    auto layer = ns::make<Layer>();
    layer->setFrame({1, 2, 3, 4});
    layer->setCornerRadius(5);
    layer->setOpacity(0.5f);
    const Rect bounds = layer->bounds();
    const Point position = layer->position();

    Transform3D badTransform;
    badTransform.m42 = kNaN;
    const std::vector<std::function<void()>> setters = {
        [&] { layer->setFrame({kNaN, 0, 1, 1}); },
        [&] { layer->setFrame({0, 0, kInf, 1}); },
        [&] { layer->setBounds({0, 0, 1, -kInf}); },
        [&] { layer->setPosition({kNaN, 0}); },
        [&] { layer->setAnchorPoint({0, kInf}); },
        [&] { layer->setTransform(badTransform); },
        [&] { layer->setOpacity(std::numeric_limits<float>::quiet_NaN()); },
        [&] { layer->setCornerRadius(kNaN); },
        [&] { layer->setBorderWidth(-kInf); },
        [&] { layer->setShadowRadius(kNaN); },
        [&] { layer->setShadowOffset({kNaN, 1}); },
        [&] { layer->setShadowOpacity(std::numeric_limits<float>::infinity()); },
        [&] { layer->setContentsScale(kNaN); },
    };
    for (std::size_t i = 0; i < setters.size(); ++i) {
        ns::ConsoleCapture capture;
        setters[i]();
        EXPECT_EQ(capture.loggedLines().size(), 1u) << "setter " << i;
        EXPECT_TRUE(capture.printedLines().empty());
    }
    EXPECT_EQ(layer->bounds(), bounds);
    EXPECT_EQ(layer->position(), position);
    EXPECT_EQ(layer->anchorPoint(), Point(0.5, 0.5));
    EXPECT_TRUE(layer->transform().isIdentity());
    EXPECT_EQ(layer->opacity(), 0.5f);
    EXPECT_EQ(layer->cornerRadius(), 5);
    EXPECT_EQ(layer->borderWidth(), 0);
    EXPECT_EQ(layer->shadowRadius(), 3);
    EXPECT_EQ(layer->shadowOffset(), Size(0, -3));
    EXPECT_EQ(layer->contentsScale(), 1);
}

TEST(LayerGeometry, OpacitiesAreClampedAndScaleMustBePositive) {
    auto layer = ns::make<Layer>();
    layer->setOpacity(1.5f);
    EXPECT_EQ(layer->opacity(), 1.0f);
    layer->setOpacity(-0.5f);
    EXPECT_EQ(layer->opacity(), 0.0f);
    layer->setShadowOpacity(2);
    EXPECT_EQ(layer->shadowOpacity(), 1.0f);
    ns::ConsoleCapture capture;
    layer->setContentsScale(0);
    EXPECT_EQ(layer->contentsScale(), 1);
    EXPECT_EQ(capture.loggedLines().size(), 1u);
}

TEST(LayerGeometry, SingularTransformIsStored) {
    auto layer = ns::make<Layer>();
    layer->setTransform(Transform3D::makeScale(0, 0, 1));
    EXPECT_EQ(layer->transform().m11, 0);
}

// ---------------------------------------------------------------- tree

std::vector<Layer*> order(const Layer& parent) {
    std::vector<Layer*> out;
    for (const auto& l : parent.sublayers()) out.push_back(l.get());
    return out;
}

TEST(LayerTree, AddInsertAndRemoveKeepOrder) {
    auto root = ns::make<Layer>();
    auto a = ns::make<Layer>(), b = ns::make<Layer>(), c = ns::make<Layer>(), d = ns::make<Layer>();
    root->addSublayer(a);
    root->addSublayer(b);
    EXPECT_EQ(order(*root), (std::vector<Layer*>{a.get(), b.get()}));
    EXPECT_EQ(a->superlayer(), root);

    root->addSublayer(a); // re-adding moves it on top
    EXPECT_EQ(order(*root), (std::vector<Layer*>{b.get(), a.get()}));

    root->insertSublayer(c, -5); // clamped to 0
    root->insertSublayer(d, 99); // clamped to count
    EXPECT_EQ(order(*root), (std::vector<Layer*>{c.get(), b.get(), a.get(), d.get()}));

    root->insertSublayer(d, 1); // moving within the same parent
    EXPECT_EQ(order(*root), (std::vector<Layer*>{c.get(), d.get(), b.get(), a.get()}));

    root->insertSublayerBelow(a, c);
    EXPECT_EQ(order(*root), (std::vector<Layer*>{a.get(), c.get(), d.get(), b.get()}));
    root->insertSublayerAbove(a, d);
    EXPECT_EQ(order(*root), (std::vector<Layer*>{c.get(), d.get(), a.get(), b.get()}));

    b->removeFromSuperlayer();
    EXPECT_EQ(order(*root), (std::vector<Layer*>{c.get(), d.get(), a.get()}));
    EXPECT_EQ(b->superlayer(), nullptr);
    b->removeFromSuperlayer(); // twice is harmless
}

TEST(LayerTree, SiblingOutsideTheTreeMeansBottomOrTop) {
    auto root = ns::make<Layer>();
    auto a = ns::make<Layer>(), b = ns::make<Layer>(), stranger = ns::make<Layer>();
    root->addSublayer(a);
    root->insertSublayerBelow(b, stranger);
    EXPECT_EQ(order(*root), (std::vector<Layer*>{b.get(), a.get()}));
    root->insertSublayerAbove(b, nullptr);
    EXPECT_EQ(order(*root), (std::vector<Layer*>{a.get(), b.get()}));
}

TEST(LayerTree, AddingToAnotherTreeLeavesTheFirst) {
    auto first = ns::make<Layer>(), second = ns::make<Layer>();
    auto child = ns::make<Layer>();
    first->addSublayer(child);
    second->insertSublayer(child, 0);
    EXPECT_TRUE(first->sublayers().empty());
    EXPECT_EQ(child->superlayer(), second);
}

TEST(LayerTree, CyclesAreRefusedWithOneLine) {
    auto root = ns::make<Layer>(), child = ns::make<Layer>(), grandchild = ns::make<Layer>();
    root->addSublayer(child);
    child->addSublayer(grandchild);
    {
        ns::ConsoleCapture capture;
        grandchild->addSublayer(root);
        EXPECT_EQ(capture.loggedLines().size(), 1u);
    }
    {
        ns::ConsoleCapture capture;
        child->insertSublayer(child, 0);
        grandchild->insertSublayerAbove(child, nullptr);
        EXPECT_EQ(capture.loggedLines().size(), 2u);
    }
    EXPECT_EQ(root->superlayer(), nullptr);
    EXPECT_EQ(child->superlayer(), root);
    EXPECT_EQ(order(*child), (std::vector<Layer*>{grandchild.get()}));
    EXPECT_TRUE(grandchild->sublayers().empty());
}

TEST(LayerTree, SublayerOutlivingItsParentHasNoSuperlayer) {
    auto child = ns::make<Layer>();
    {
        auto parent = ns::make<Layer>();
        parent->addSublayer(child);
    }
    EXPECT_EQ(child->superlayer(), nullptr);
    child->removeFromSuperlayer();
}

// ---------------------------------------------------------------- conversion

TEST(LayerConvert, AcrossBoundsOriginAndTransform) {
    auto root = ns::make<Layer>();
    root->setFrame({0, 0, 400, 400});
    auto scroller = ns::make<Layer>();
    scroller->setFrame({10, 20, 200, 200});
    scroller->setBounds({0, 50, 200, 200}); // scrolled by 50
    root->addSublayer(scroller);
    auto item = ns::make<Layer>();
    item->setFrame({0, 100, 40, 20});
    item->setTransform(Transform3D::makeScale(2, 2, 1)); // about its centre (20, 110)
    scroller->addSublayer(item);

    // item's (0, 0) → scroller (20 + 2·(0 − 20), 110 + 2·(0 − 10)) = (−20, 90) → root (−10, 60)
    expectPointNear(item->convertTo(Point{0, 0}, root.get()), {-10, 60});
    expectPointNear(root->convertFrom(Point{0, 0}, item.get()), {-10, 60});
    expectPointNear(item->convertFrom(Point{-10, 60}, root.get()), {0, 0});
    expectPointNear(item->convertTo(Point{0, 0}, nullptr), {-10, 60});
    expectPointNear(item->convertFrom(Point{-10, 60}, nullptr), {0, 0});
    expectPointNear(scroller->convertFrom(Point{40, 20}, item.get()), {60, 130});

    // Siblings meet at their common parent.
    auto sibling = ns::make<Layer>();
    sibling->setFrame({100, 100, 10, 10});
    scroller->addSublayer(sibling);
    expectPointNear(sibling->convertFrom(Point{0, 0}, item.get()), {-120, -10});

    expectRectNear(root->convertFrom(Rect{0, 0, 40, 20}, item.get()), {-10, 60, 80, 40});
    expectRectNear(item->convertFrom(Rect{-10, 60, 80, 40}, root.get()), {0, 0, 40, 20});
}

TEST(LayerConvert, RotationRoundTrips) {
    auto root = ns::make<Layer>();
    auto layer = ns::make<Layer>();
    layer->setFrame({50, 50, 100, 60});
    layer->setTransform(Transform3D::makeRotation(0.7, 0, 0, 1));
    root->addSublayer(layer);
    for (Point p : {Point{0, 0}, Point{100, 60}, Point{-3.5, 17}}) {
        const Point there = layer->convertTo(p, root.get());
        expectPointNear(layer->convertFrom(there, root.get()), p);
    }
}

TEST(LayerConvert, IntoASingularTransformGivesTheAnchorPoint) {
    auto root = ns::make<Layer>();
    auto flat = ns::make<Layer>();
    flat->setBounds({10, 20, 100, 40});
    flat->setPosition({50, 50});
    flat->setAnchorPoint({0.25, 0.5});
    flat->setTransform(Transform3D::makeScale(0, 1, 1));
    root->addSublayer(flat);
    const Point p = flat->convertFrom(Point{123, 456}, root.get());
    EXPECT_EQ(p, Point(35, 40));
    const Rect r = flat->convertFrom(Rect{0, 0, 300, 300}, root.get());
    EXPECT_TRUE(r.isFinite());
    EXPECT_EQ(r, Rect(35, 40, 0, 0));
}

TEST(LayerConvert, DifferentTreesMeetWhereTheirRootsSit) {
    auto a = ns::make<Layer>(), b = ns::make<Layer>();
    a->setFrame({100, 0, 50, 50});
    b->setFrame({0, 200, 50, 50});
    expectPointNear(b->convertFrom(Point{0, 0}, a.get()), {100, -200});
    expectPointNear(a->convertTo(Point{0, 0}, b.get()), {100, -200});
}

// ---------------------------------------------------------------- layout

class RecordingDelegate : public LayerDelegate {
public:
    std::vector<const Layer*> laidOut;
    std::function<void(Layer&)> onLayout;
    void layoutSublayers(Layer& layer) override {
        laidOut.push_back(&layer);
        if (onLayout) onLayout(layer);
    }
};

TEST(LayerLayout, BoundsSizeChangeMarksAndLayoutRunsTopDown) {
    auto delegate = std::make_shared<RecordingDelegate>();
    auto root = ns::make<Layer>(), child = ns::make<Layer>(), grandchild = ns::make<Layer>();
    for (auto* l : {root.get(), child.get(), grandchild.get()}) l->setDelegate(delegate);
    root->addSublayer(child);
    child->addSublayer(grandchild);

    grandchild->setBounds({0, 0, 10, 10});
    root->setBounds({0, 0, 20, 20});
    EXPECT_TRUE(root->needsLayout());
    EXPECT_FALSE(child->needsLayout());
    root->setBounds({5, 5, 20, 20}); // origin only: no new mark needed
    child->setPosition({3, 3});
    EXPECT_FALSE(child->needsLayout());

    root->layoutIfNeeded();
    EXPECT_EQ(delegate->laidOut, (std::vector<const Layer*>{root.get(), grandchild.get()}));
    EXPECT_FALSE(root->needsLayout());
    EXPECT_FALSE(grandchild->needsLayout());

    delegate->laidOut.clear();
    root->layoutIfNeeded();
    EXPECT_TRUE(delegate->laidOut.empty());
}

TEST(LayerLayout, LayoutMayChangeTheTree) {
    auto delegate = std::make_shared<RecordingDelegate>();
    auto root = ns::make<Layer>(), child = ns::make<Layer>();
    root->addSublayer(child);
    root->setDelegate(delegate);
    child->setDelegate(delegate);
    delegate->onLayout = [&](Layer& l) {
        if (&l == root.get()) {
            child->removeFromSuperlayer();
            child->setNeedsLayout();
            root->addSublayer(ns::make<Layer>());
        }
    };
    root->setNeedsLayout();
    child->setNeedsLayout();
    root->layoutIfNeeded();
    // The pass walks the sublayers as they are after the parent's own layout.
    EXPECT_EQ(root->sublayers().size(), 1u);
    EXPECT_TRUE(child->needsLayout());
}

TEST(LayerLayout, DeadDelegateIsNotCalled) {
    auto root = ns::make<Layer>();
    {
        auto delegate = std::make_shared<RecordingDelegate>();
        root->setDelegate(delegate);
    }
    root->setNeedsLayout();
    root->layoutIfNeeded();
    EXPECT_FALSE(root->needsLayout());
}

// ---------------------------------------------------------------- clones and presentation

class ChangeRecorder : public Layer {
public:
    std::vector<std::string> keys;

protected:
    void willChangeValue(std::string_view key) override { keys.emplace_back(key); }
};

TEST(LayerHooks, ChangeHooksSeeRealChangesOnly) {
    auto layer = ns::make<ChangeRecorder>();
    layer->setPosition({1, 1});
    layer->setPosition({1, 1});
    layer->setFrame({0, 0, 10, 10});
    layer->setOpacity(2); // clamps to 1: no change
    layer->setBackgroundColor(cg::Color(1, 0, 0, 1));
    layer->setPosition({kNaN, 1});
    EXPECT_EQ(layer->keys, (std::vector<std::string>{"position", "bounds", "position", "backgroundColor"}));
}

class Drifting : public Layer {
public:
    void applyPresentation(double mediaTime, LayerSnapshot& s) const override {
        s.position.x += mediaTime;
        s.opacity = 0.5f;
    }
};

TEST(LayerPresentation, CloneCopiesOwnPropertiesNotSublayers) {
    auto layer = ns::make<GradientLayer>();
    layer->setFrame({1, 2, 3, 4});
    layer->setBackgroundColor(cg::Color(0, 1, 0, 1));
    layer->setColors({cg::Color(1, 0, 0, 1), cg::Color(0, 0, 1, 1)});
    layer->setLocations(std::vector<double>{0.2, 0.8});
    layer->setStartPoint({0, 0});
    layer->setCornerRadius(2);
    layer->addSublayer(ns::make<Layer>());
    auto parent = ns::make<Layer>();
    parent->addSublayer(layer);

    auto clone = std::dynamic_pointer_cast<GradientLayer>(layer->cloneLayer());
    ASSERT_TRUE(clone);
    EXPECT_NE(clone, layer);
    EXPECT_EQ(clone->className(), "CAGradientLayer");
    EXPECT_EQ(clone->frame(), layer->frame());
    EXPECT_EQ(clone->backgroundColor(), layer->backgroundColor());
    EXPECT_EQ(clone->colors(), layer->colors());
    EXPECT_EQ(clone->locations(), layer->locations());
    EXPECT_EQ(clone->startPoint(), Point(0, 0));
    EXPECT_EQ(clone->cornerRadius(), 2);
    EXPECT_TRUE(clone->sublayers().empty());
    EXPECT_EQ(clone->superlayer(), nullptr);
}

TEST(LayerPresentation, PresentationAtAppliesTheHookToACopy) {
    auto layer = ns::make<Drifting>();
    layer->setFrame({10, 0, 20, 20});
    auto shown = layer->presentationAt(5);
    EXPECT_EQ(shown->position(), Point(25, 10));
    EXPECT_EQ(shown->opacity(), 0.5f);
    EXPECT_EQ(layer->position(), Point(20, 10));
    EXPECT_EQ(layer->opacity(), 1.0f);
}

} // namespace
} // namespace pellavo::ca
