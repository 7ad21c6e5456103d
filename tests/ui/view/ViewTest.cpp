#include "platform/ui/view/View.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/ca/Renderer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/ExpectNear.hpp"

namespace pellavo::ui {
namespace {

using pellavo::testing::AppTest;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectRectNear(const cg::Rect& actual, const cg::Rect& expected, double tolerance = 1e-9) {
    pellavo::testing::expectNear(actual, expected, tolerance);
}

using ViewGeometry = AppTest;

TEST_F(ViewGeometry, FrameBoundsAndCenterStayCoupledWithAnAnchor) {
    auto view = ns::make<View>(cg::Rect{10, 20, 100, 50});
    EXPECT_EQ(view->center(), (cg::Point{60, 45}));
    view->layer()->setAnchorPoint({0, 0});
    // The anchor moves the frame, not the centre (the layer's position).
    EXPECT_EQ(view->frame(), (cg::Rect{60, 45, 100, 50}));
    view->setFrame({10, 20, 100, 50});
    EXPECT_EQ(view->center(), (cg::Point{10, 20}));
    view->setBounds({5, 5, 200, 50});
    EXPECT_EQ(view->center(), (cg::Point{10, 20}));
    EXPECT_EQ(view->frame(), (cg::Rect{10, 20, 200, 50}));
    // The frame setter keeps the bounds origin.
    view->setFrame({0, 0, 10, 10});
    EXPECT_EQ(view->bounds(), (cg::Rect{5, 5, 10, 10}));
    EXPECT_EQ(view->center(), (cg::Point{0, 0}));
}

TEST_F(ViewGeometry, FramesUnderScaleDivideTheSizeAndAreStable) {
    auto view = ns::make<View>(cg::Rect{0, 0, 10, 10});
    view->setTransform(cg::AffineTransform::makeScale(2, 2));
    view->setFrame({0, 0, 100, 60});
    EXPECT_EQ(view->bounds().size, (cg::Size{50, 30}));
    const cg::Point center = view->center();
    view->setFrame({0, 0, 100, 60});
    EXPECT_EQ(view->bounds().size, (cg::Size{50, 30}));
    EXPECT_EQ(view->center(), center);
    EXPECT_EQ(view->frame(), (cg::Rect{0, 0, 100, 60}));

    // A negative scale divides by its magnitude.
    view->setTransform(cg::AffineTransform::makeScale(-0.5, 0.5));
    view->setFrame({0, 0, 100, 60});
    EXPECT_EQ(view->bounds().size, (cg::Size{200, 120}));

    // Under a rotation the frame sizes the bounds as under the identity.
    view->setTransform(cg::AffineTransform::makeRotation(0.3));
    view->setFrame({0, 0, 40, 20});
    EXPECT_EQ(view->bounds().size, (cg::Size{40, 20}));
}

TEST_F(ViewGeometry, ScaledDownBoundsGiveTheScaledFrame) {
    auto view = ns::make<View>();
    view->setBounds({0, 0, 38, 15.2});
    view->setCenter({81, 7.6});
    view->setTransform(cg::AffineTransform::makeScale(0.1, 0.1));
    expectRectNear(view->frame(), {79.1, 6.84, 3.8, 1.52});
}

TEST_F(ViewGeometry, TransformIsTheAffinePartOfTheLayerTransform) {
    auto view = ns::make<View>(cg::Rect{0, 0, 10, 10});
    const auto rotation = cg::AffineTransform::makeRotation(0.7).translatedBy(3, 4);
    view->setTransform(rotation);
    EXPECT_EQ(view->layer()->transform().affineTransform(), rotation);
    EXPECT_EQ(view->transform(), rotation);

    auto t3 = ca::Transform3D::makeScale(2, 3, 4);
    t3.m34 = -0.002;
    view->layer()->setTransform(t3);
    EXPECT_EQ(view->transform(), cg::AffineTransform::makeScale(2, 3));
}

TEST_F(ViewGeometry, NonFiniteValuesAreIgnored) {
    auto view = ns::make<View>(cg::Rect{1, 2, 3, 4});
    view->setAlpha(0.5);
    view->setFrame({kNaN, 0, 1, 1});
    view->setFrame({0, 0, kInf, 1});
    view->setBounds({0, 0, 1, kNaN});
    view->setCenter({kInf, 0});
    view->setTransform({kNaN, 0, 0, 1, 0, 0});
    view->setAlpha(kNaN);
    EXPECT_EQ(view->frame(), (cg::Rect{1, 2, 3, 4}));
    EXPECT_TRUE(view->transform().isIdentity());
    EXPECT_EQ(view->alpha(), 0.5);
}

TEST_F(ViewGeometry, NegativeFrameSizesAreStandardisedAndAlphaIsClamped) {
    auto view = ns::make<View>(cg::Rect{10, 10, -4, -6});
    EXPECT_EQ(view->frame(), (cg::Rect{6, 4, 4, 6}));
    EXPECT_EQ(view->bounds().size, (cg::Size{4, 6}));
    view->setAlpha(0.3);
    EXPECT_EQ(view->alpha(), 0.3);
    view->setAlpha(7);
    EXPECT_EQ(view->alpha(), 1);
    view->setAlpha(-1);
    EXPECT_EQ(view->alpha(), 0);
    // A direct layer change shows through.
    view->layer()->setOpacity(0.25f);
    EXPECT_EQ(view->alpha(), 0.25);
}

TEST_F(ViewGeometry, PropertiesLiveOnTheLayer) {
    auto view = ns::make<View>();
    view->setIsHidden(true);
    view->setBackgroundColor(Color::red());
    view->setClipsToBounds(true);
    view->setContentMode(View::ContentMode::bottomRight);
    EXPECT_TRUE(view->layer()->isHidden());
    EXPECT_EQ(view->layer()->backgroundColor(), Color::red().cgColor());
    EXPECT_EQ(view->backgroundColor(), Color::red());
    EXPECT_TRUE(view->layer()->masksToBounds());
    EXPECT_EQ(view->layer()->contentsGravity(), ca::ContentsGravity::bottomRight);
    view->setContentMode(View::ContentMode::redraw);
    EXPECT_EQ(view->layer()->contentsGravity(), ca::ContentsGravity::resize);
    EXPECT_EQ(view->contentMode(), View::ContentMode::redraw);
    view->setBackgroundColor(std::nullopt);
    EXPECT_FALSE(view->layer()->backgroundColor().has_value());
    // Views draw at the screen scale and answer for their layer.
    EXPECT_EQ(view->layer()->contentsScale(), 2);
    EXPECT_EQ(view->layer()->delegate().lock().get(), static_cast<ca::LayerDelegate*>(view.get()));
    EXPECT_EQ(view->layoutMargins(), (EdgeInsets{8, 8, 8, 8}));
}

TEST_F(ViewGeometry, ViewLayersHaveNoImplicitAnimations) {
    auto view = ns::make<View>(cg::Rect{0, 0, 10, 10});
    window()->addSubview(view);
    auto loose = ns::make<ca::Layer>();
    view->layer()->addSublayer(loose);
    runUntilIdle(); // committed
    view->setFrame({50, 50, 20, 20});
    view->setAlpha(0.5);
    loose->setOpacity(0.5f);
    EXPECT_TRUE(view->layer()->animationKeys().empty());
    // A plain sublayer keeps its implicit actions.
    EXPECT_FALSE(loose->animationKeys().empty());
}

// A view whose layer is of its own kind keeps what its constructor set.
class TaggedLayer : public ca::Layer {};
class CustomLayerView : public View {
public:
    CustomLayerView() : View(cg::Rect{1, 2, 30, 40}) {
        setBackgroundColor(Color::blue());
        layer()->setCornerRadius(7.5);
        layer()->setBorderWidth(2);
        layer()->setShadowOpacity(0.4f);
    }

protected:
    std::shared_ptr<ca::Layer> makeLayer() override { return ns::make<TaggedLayer>(); }
};

TEST_F(ViewGeometry, MakeLayerReplacesTheLayerAndKeepsConstructorValues) {
    auto view = ns::make<CustomLayerView>();
    EXPECT_NE(dynamic_cast<TaggedLayer*>(view->layer().get()), nullptr);
    EXPECT_EQ(view->frame(), (cg::Rect{1, 2, 30, 40}));
    EXPECT_EQ(view->backgroundColor(), Color::blue());
    EXPECT_EQ(view->layer()->cornerRadius(), 7.5);
    EXPECT_EQ(view->layer()->borderWidth(), 2);
    EXPECT_EQ(view->layer()->shadowOpacity(), 0.4f);
}

// ---------------------------------------------------------------- hierarchy

class HookView : public View {
public:
    explicit HookView(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
    void willMoveToSuperview(const std::shared_ptr<View>& s) override {
        log_->push_back(name_ + ".willMoveToSuperview(" + (s ? "view" : "null") + ")");
    }
    void didMoveToSuperview() override { log_->push_back(name_ + ".didMoveToSuperview"); }
    void willMoveToWindow(const std::shared_ptr<Window>& w) override {
        log_->push_back(name_ + ".willMoveToWindow(" + (w ? "window" : "null") + ")");
    }
    void didMoveToWindow() override { log_->push_back(name_ + ".didMoveToWindow"); }
    void tintColorDidChange() override { log_->push_back(name_ + ".tint"); }

private:
    std::vector<std::string>* log_;
    std::string name_;
};

using ViewHierarchy = AppTest;

TEST_F(ViewHierarchy, HooksRunInOrderOverTheMovedTree) {
    std::vector<std::string> log;
    auto parent = ns::make<HookView>(&log, "p");
    auto child = ns::make<HookView>(&log, "c");
    parent->addSubview(child);
    EXPECT_EQ(log, (std::vector<std::string>{"c.willMoveToSuperview(view)", "c.didMoveToSuperview"}));
    EXPECT_EQ(child->superview(), parent);
    EXPECT_EQ(child->window(), nullptr);

    log.clear();
    window()->addSubview(parent);
    EXPECT_EQ(log, (std::vector<std::string>{"p.willMoveToSuperview(view)", "p.willMoveToWindow(window)",
                                             "c.willMoveToWindow(window)", "p.didMoveToWindow",
                                             "c.didMoveToWindow", "p.didMoveToSuperview"}));
    EXPECT_EQ(child->window(), window());

    // Re-adding brings to the front and runs no hooks.
    auto other = ns::make<View>();
    parent->addSubview(other);
    log.clear();
    parent->addSubview(child);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(parent->subviews().back(), child);
    EXPECT_EQ(parent->layer()->sublayers().back(), child->layer());

    log.clear();
    parent->removeFromSuperview();
    EXPECT_EQ(log, (std::vector<std::string>{"p.willMoveToSuperview(null)", "p.willMoveToWindow(null)",
                                             "c.willMoveToWindow(null)", "p.didMoveToWindow",
                                             "c.didMoveToWindow", "p.didMoveToSuperview"}));
    EXPECT_EQ(parent->superview(), nullptr);
    EXPECT_EQ(parent->layer()->superlayer(), nullptr);
    EXPECT_TRUE(window()->subviews().empty());

    // Without a superview removal does nothing.
    log.clear();
    parent->removeFromSuperview();
    EXPECT_TRUE(log.empty());
}

TEST_F(ViewHierarchy, CyclesAndNullAreRefused) {
    auto a = ns::make<View>();
    auto b = ns::make<View>();
    auto c = ns::make<View>();
    a->addSubview(b);
    b->addSubview(c);
    c->addSubview(a);
    b->addSubview(b);
    c->addSubview(nullptr);
    c->insertSubview(a, 0);
    EXPECT_EQ(a->superview(), nullptr);
    EXPECT_TRUE(c->subviews().empty());
    EXPECT_EQ(b->superview(), a);
    EXPECT_EQ(c->superview(), b);
}

TEST_F(ViewHierarchy, InsertionClampsAndTheLayerTreeMirrorsTheOrder) {
    auto parent = ns::make<View>();
    auto loose = ns::make<ca::Layer>();
    parent->layer()->addSublayer(loose);
    std::vector<std::shared_ptr<View>> v;
    for (int i = 0; i < 4; ++i) v.push_back(ns::make<View>());
    parent->insertSubview(v[0], 99);
    parent->insertSubview(v[1], -5);
    parent->insertSubview(v[2], 1);
    parent->insertSubviewAbove(v[3], v[1]);
    EXPECT_EQ(parent->subviews(), (std::vector<std::shared_ptr<View>>{v[1], v[3], v[2], v[0]}));
    parent->sendSubviewToBack(v[0]);
    parent->bringSubviewToFront(v[1]);
    parent->insertSubviewBelow(v[3], v[0]);
    EXPECT_EQ(parent->subviews(), (std::vector<std::shared_ptr<View>>{v[3], v[0], v[2], v[1]}));

    // The subview layers keep the subview order among the other sublayers.
    std::vector<std::shared_ptr<ca::Layer>> order;
    for (const auto& layer : parent->layer()->sublayers())
        if (layer != loose) order.push_back(layer);
    ASSERT_EQ(order.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(order[i], parent->subviews()[i]->layer());

    // Moving to another parent leaves the first.
    auto other = ns::make<View>();
    other->addSubview(v[2]);
    EXPECT_EQ(parent->subviews().size(), 3u);
    EXPECT_EQ(v[2]->layer()->superlayer(), other->layer());
    EXPECT_EQ(parent->viewWithTag(0), parent);
    v[1]->setTag(7);
    EXPECT_EQ(parent->viewWithTag(7), v[1]);
    EXPECT_EQ(parent->viewWithTag(8), nullptr);
}

TEST_F(ViewHierarchy, ADestroyedSuperviewLeavesItsSubviewsOrphaned) {
    auto child = ns::make<View>();
    {
        auto parent = ns::make<View>();
        parent->addSubview(child);
    }
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_EQ(child->nextResponder(), nullptr);
    auto adopter = ns::make<View>();
    adopter->addSubview(child);
    EXPECT_EQ(child->superview(), adopter);
}

TEST_F(ViewHierarchy, GestureRecognizerStorageIgnoresNullAndDuplicates) {
    auto view = ns::make<View>();
    view->addGestureRecognizer(nullptr);
    EXPECT_TRUE(view->gestureRecognizers().empty());
    view->removeGestureRecognizer(nullptr);
}

// ---------------------------------------------------------------- tint

// The tint lines of a hook log.
std::vector<std::string> tints(const std::vector<std::string>& log) {
    std::vector<std::string> result;
    for (const auto& line : log)
        if (line.ends_with(".tint")) result.push_back(line);
    return result;
}

TEST_F(ViewHierarchy, TintChangesReachEveryViewThatShowsThemParentsFirst) {
    std::vector<std::string> log;
    auto a = ns::make<HookView>(&log, "a");
    auto b = ns::make<HookView>(&log, "b");
    auto c = ns::make<HookView>(&log, "c");
    a->addSubview(b);
    b->addSubview(c);
    log.clear();
    EXPECT_EQ(c->tintColor(), View::defaultTintColor());

    a->setTintColor(Color::red());
    EXPECT_EQ(tints(log), (std::vector<std::string>{"a.tint", "b.tint", "c.tint"}));
    EXPECT_EQ(c->tintColor(), Color::red());

    // The same effective tint again: nothing.
    log.clear();
    a->setTintColor(Color::red());
    b->setTintColor(Color::red());
    EXPECT_TRUE(tints(log).empty());

    // b now owns its tint, so a's change stops at b.
    a->setTintColor(Color::blue());
    EXPECT_EQ(tints(log), (std::vector<std::string>{"a.tint"}));

    // Re-parenting under a different tint.
    log.clear();
    auto d = ns::make<View>();
    d->setTintColor(Color::black());
    d->addSubview(c);
    EXPECT_EQ(tints(log), (std::vector<std::string>{"c.tint"}));
    EXPECT_EQ(c->tintColor(), Color::black());

    // Re-parenting under the same tint: nothing.
    log.clear();
    auto e = ns::make<View>();
    e->setTintColor(Color::black());
    e->addSubview(c);
    EXPECT_TRUE(tints(log).empty());

    // Back to inheriting.
    b->setTintColor(std::nullopt);
    EXPECT_EQ(tints(log), (std::vector<std::string>{"b.tint"}));
    EXPECT_EQ(b->tintColor(), Color::blue());
}

// ---------------------------------------------------------------- autoresizing

TEST_F(ViewHierarchy, AFlexibleChildOfAnEmptyParentFollowsAtOnce) {
    auto parent = ns::make<View>();
    auto child = ns::make<View>();
    child->setAutoresizingMask(View::AutoresizingMask::flexibleWidth | View::AutoresizingMask::flexibleHeight);
    parent->addSubview(child);
    auto split = ns::make<View>();
    split->setAutoresizingMask(View::AutoresizingMask::flexibleLeftMargin | View::AutoresizingMask::flexibleWidth);
    parent->addSubview(split);
    parent->setFrame({0, 0, 100, 50});
    EXPECT_EQ(child->frame(), (cg::Rect{0, 0, 100, 50}));
    // Parts that are all empty share equally.
    EXPECT_EQ(split->frame(), (cg::Rect{50, 0, 50, 0}));
}

TEST_F(ViewHierarchy, FlexiblePartsShareAChangeInProportion) {
    using M = View::AutoresizingMask;
    auto parent = ns::make<View>(cg::Rect{0, 0, 100, 100});
    auto child = ns::make<View>(cg::Rect{10, 20, 30, 40});
    child->setAutoresizingMask(M::flexibleLeftMargin | M::flexibleWidth | M::flexibleBottomMargin);
    parent->addSubview(child);
    auto fixed = ns::make<View>(cg::Rect{10, 20, 30, 40});
    parent->addSubview(fixed);
    auto opted = ns::make<View>(cg::Rect{10, 20, 30, 40});
    opted->setAutoresizingMask(M::flexibleWidth);
    opted->setTranslatesAutoresizingMaskIntoConstraints(false);
    parent->addSubview(opted);
    auto empty = ns::make<View>(cg::Rect{0, 0, 0, 0});
    empty->setAutoresizingMask(M::flexibleRightMargin | M::flexibleWidth | M::flexibleTopMargin);
    parent->addSubview(empty);

    parent->setBounds({0, 0, 140, 80});
    // Width +40 over left 10 and width 30; height −20 goes to the bottom margin alone.
    EXPECT_EQ(child->frame(), (cg::Rect{20, 20, 60, 40}));
    EXPECT_EQ(fixed->frame(), (cg::Rect{10, 20, 30, 40}));
    EXPECT_EQ(opted->frame(), (cg::Rect{10, 20, 30, 40}));
    // Right margin 100 and width 0 share +40 by size; top margin 0 alone takes −20.
    EXPECT_EQ(empty->frame(), (cg::Rect{0, -20, 0, 0}));

    // A shrinking parent never gives a negative size.
    auto squeezed = ns::make<View>(cg::Rect{10, 10, 20, 20});
    squeezed->setAutoresizingMask(M::flexibleWidth);
    parent->addSubview(squeezed);
    parent->setBounds({0, 0, 10, 80});
    EXPECT_EQ(squeezed->frame().size.width, 0);
}

// ---------------------------------------------------------------- passes

class CountingView : public View {
public:
    using View::View;
    int layouts = 0;
    std::function<void(CountingView&)> onLayout;
    void layoutSubviews() override {
        ++layouts;
        if (onLayout) onLayout(*this);
    }
};

using ViewPasses = AppTest;

TEST_F(ViewPasses, ANewViewIsLaidOutAtTheEndOfTheTurn) {
    auto view = ns::make<CountingView>(cg::Rect{0, 0, 10, 10});
    EXPECT_TRUE(view->layer()->needsLayout());
    window()->addSubview(view);
    EXPECT_EQ(view->layouts, 0);
    runUntilIdle();
    EXPECT_EQ(view->layouts, 1);
    runUntilIdle();
    EXPECT_EQ(view->layouts, 1);
}

TEST_F(ViewPasses, SizeChangesAndSubviewsMarkMovesAndTransformsDoNot) {
    auto view = ns::make<CountingView>(cg::Rect{0, 0, 10, 10});
    window()->addSubview(view);
    runUntilIdle();

    view->setCenter({50, 50});
    view->setTransform(cg::AffineTransform::makeRotation(1));
    view->setFrame({0, 0, 10, 10}); // same size under the rotation
    runUntilIdle();
    EXPECT_EQ(view->layouts, 1);

    view->setBounds({0, 0, 20, 10});
    runUntilIdle();
    EXPECT_EQ(view->layouts, 2);

    view->addSubview(ns::make<View>());
    runUntilIdle();
    EXPECT_EQ(view->layouts, 3);

    view->subviews().front()->removeFromSuperview();
    runUntilIdle();
    EXPECT_EQ(view->layouts, 4);

    view->setNeedsLayout();
    runUntilIdle();
    EXPECT_EQ(view->layouts, 5);
}

TEST_F(ViewPasses, HiddenWindowsAndLooseViewsWaitForLayoutIfNeeded) {
    auto loose = ns::make<CountingView>();
    auto child = ns::make<CountingView>();
    loose->addSubview(child);
    runUntilIdle();
    EXPECT_EQ(loose->layouts, 0);
    loose->layoutIfNeeded();
    EXPECT_EQ(loose->layouts, 1);
    EXPECT_EQ(child->layouts, 1);
    loose->layoutIfNeeded();
    EXPECT_EQ(loose->layouts, 1);

    window()->setIsHidden(true);
    auto inHidden = ns::make<CountingView>();
    window()->addSubview(inHidden);
    runUntilIdle();
    EXPECT_EQ(inHidden->layouts, 0);
}

TEST_F(ViewPasses, AViewThatGrowsItselfSettlesInOneTurn) {
    auto view = ns::make<CountingView>(cg::Rect{0, 0, 10, 10});
    view->onLayout = [](CountingView& v) {
        if (v.bounds().size.width < 40) v.setBounds({0, 0, v.bounds().size.width * 2, 10});
    };
    window()->addSubview(view);
    runUntilIdle();
    EXPECT_EQ(view->bounds().size.width, 40);
    EXPECT_EQ(view->layouts, 3);
    EXPECT_FALSE(view->layer()->needsLayout());
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(ViewPasses, SixteenRoundsIsTheCap) {
    auto view = ns::make<CountingView>(cg::Rect{0, 0, 10, 10});
    view->onLayout = [](CountingView& v) { v.setNeedsLayout(); };
    window()->addSubview(view);
    ns::RunLoop::main().runOnce();
    EXPECT_EQ(view->layouts, 16);
    ASSERT_EQ(loggedLines().size(), 1u);
    view->onLayout = nullptr;
    ns::RunLoop::main().runOnce();
    EXPECT_EQ(view->layouts, 17);
}

class DrawingView : public View {
public:
    using View::View;
    int draws = 0;
    cg::Rect drawnRect;
    int contextWidth = 0;
    void draw(cg::Rect rect) override {
        ++draws;
        drawnRect = rect;
        auto* context = graphicsGetCurrentContext();
        ASSERT_NE(context, nullptr);
        contextWidth = context->pixelWidth();
        context->setFillColor({1, 0, 0, 1});
        context->fill(rect);
    }
};

// Overrides in a protected section still count.
class ProtectedDrawingView : public View {
protected:
    void draw(cg::Rect rect) override { (void)rect; }
};
class InheritsDrawing : public DrawingView {};
class PlainSubclass : public CountingView {};

TEST_F(ViewPasses, OnlyClassesThatOverrideDrawGetABackingStore) {
    EXPECT_TRUE(ns::make<DrawingView>()->drawsContent());
    EXPECT_TRUE(ns::make<ProtectedDrawingView>()->drawsContent());
    EXPECT_TRUE(ns::make<InheritsDrawing>()->drawsContent());
    EXPECT_FALSE(ns::make<PlainSubclass>()->drawsContent());
    EXPECT_FALSE(ns::make<Window>()->drawsContent());

    auto drawing = ns::make<DrawingView>(cg::Rect{0, 0, 30, 20});
    drawing->setBounds({5, 5, 30, 20});
    auto plain = ns::make<View>(cg::Rect{0, 0, 30, 20});
    window()->addSubview(drawing);
    window()->addSubview(plain);
    runUntilIdle();
    EXPECT_EQ(drawing->draws, 1);
    EXPECT_EQ(drawing->drawnRect, (cg::Rect{5, 5, 30, 20}));
    EXPECT_EQ(drawing->contextWidth, 60);
    ASSERT_NE(drawing->layer()->contents(), nullptr);
    EXPECT_EQ(drawing->layer()->contents()->width(), 60);
    EXPECT_EQ(drawing->layer()->contents()->height(), 40);
    EXPECT_EQ(drawing->layer()->contents()->pixel(30, 20).r, 255);
    EXPECT_EQ(plain->layer()->contents(), nullptr);

    runUntilIdle();
    EXPECT_EQ(drawing->draws, 1);
    drawing->setNeedsDisplay(cg::Rect{5, 5, 1, 1});
    runUntilIdle();
    EXPECT_EQ(drawing->draws, 2);
    // Only the redraw mode redraws on a size change.
    drawing->setBounds({0, 0, 10, 10});
    runUntilIdle();
    EXPECT_EQ(drawing->draws, 2);
    drawing->setContentMode(View::ContentMode::redraw);
    drawing->setBounds({0, 0, 12, 10});
    runUntilIdle();
    EXPECT_EQ(drawing->draws, 3);
}

// A part marked redraws alone, over the last picture, and a renderer redrawing what
// changed redraws only that part of the screen.
TEST_F(ViewPasses, APartMarkedForDisplayRedrawsAloneOverTheLastPicture) {
    class Painter : public View {
    public:
        using View::View;
        cg::Color color{1, 0, 0, 1};
        std::vector<cg::Rect> drawn;
        void draw(cg::Rect rect) override {
            drawn.push_back(rect);
            graphicsGetCurrentContext()->setFillColor(color);
            graphicsGetCurrentContext()->fill(bounds());
        }
    };
    auto view = ns::make<Painter>(cg::Rect{0, 0, 30, 20});
    window()->addSubview(view);
    runUntilIdle();
    ca::Renderer renderer(window()->bounds().size, 2);
    renderer.renderChanges(*window()->layer());

    view->color = {0, 0, 1, 1};
    view->setNeedsDisplay(cg::Rect{10, 5, 4, 3});
    runUntilIdle();
    ASSERT_EQ(view->drawn.size(), 2u);
    EXPECT_EQ(view->drawn.back(), (cg::Rect{10, 5, 4, 3}));
    const auto& picture = *view->layer()->contents();
    EXPECT_EQ(picture.pixel(21, 11).b, 255);  // inside the part: the new colour
    EXPECT_EQ(picture.pixel(19, 11).r, 255);  // outside: the last picture
    renderer.renderChanges(*window()->layer());
    EXPECT_EQ(renderer.damage(), (std::vector<cg::Rect>{{18, 8, 12, 10}}));

    // A rect arithmetic cannot place redraws everything; an empty one, nothing.
    view->setNeedsDisplay(cg::Rect{std::nan(""), 0, 1, 1});
    runUntilIdle();
    EXPECT_EQ(view->drawn.back(), view->bounds());
    view->setNeedsDisplay(cg::Rect{3, 3, 0, 0});
    runUntilIdle();
    EXPECT_EQ(view->drawn.size(), 3u);
}

TEST_F(ViewPasses, EmptyViewsWaitAndDisplayIfNeededDrawsOffWindow) {
    auto drawing = ns::make<DrawingView>();
    window()->addSubview(drawing);
    runUntilIdle();
    EXPECT_EQ(drawing->draws, 0);
    drawing->setFrame({0, 0, 4, 4});
    runUntilIdle();
    EXPECT_EQ(drawing->draws, 1);

    auto loose = ns::make<DrawingView>(cg::Rect{0, 0, 4, 4});
    loose->displayIfNeeded();
    EXPECT_EQ(loose->draws, 1);
    loose->displayIfNeeded();
    EXPECT_EQ(loose->draws, 1);
}

// A property set through the setter helper, and a log of what a change runs.
class LevelView : public DrawingView {
public:
    using DrawingView::DrawingView;
    bool setLevel(int level) {
        return change(level_, level, Invalidate::display | Invalidate::layout | Invalidate::intrinsicSize,
                      [&] { log.push_back("then " + std::to_string(level_)); });
    }
    void layoutSubviews() override { log.push_back("layout"); }
    void invalidateIntrinsicContentSize() override { log.push_back("intrinsic size"); }
    std::vector<std::string> log;

private:
    int level_ = 0;
};

TEST_F(ViewPasses, TheSetterHelperDoesNothingForAnEqualValue) {
    auto view = ns::make<LevelView>(cg::Rect{0, 0, 4, 4});
    window()->addSubview(view);
    runUntilIdle();
    view->log.clear();
    const int draws = view->draws;

    EXPECT_FALSE(view->setLevel(0));
    runUntilIdle();
    EXPECT_TRUE(view->log.empty());
    EXPECT_EQ(view->draws, draws);

    EXPECT_TRUE(view->setLevel(2));
    EXPECT_EQ(view->log, (std::vector<std::string>{"then 2", "intrinsic size"}));
    runUntilIdle();
    EXPECT_EQ(view->log.back(), "layout");
    EXPECT_EQ(view->draws, draws + 1);
}

// ---------------------------------------------------------------- sizing

TEST_F(ViewPasses, SizingDefaults) {
    auto view = ns::make<View>(cg::Rect{3, 4, 10, 20});
    EXPECT_EQ(view->sizeThatFits({100, 100}), (cg::Size{10, 20}));
    EXPECT_EQ(view->intrinsicContentSize(), (cg::Size{-1, -1}));
    view->sizeToFit();
    EXPECT_EQ(view->frame(), (cg::Rect{3, 4, 10, 20}));
}

class FixedSizeView : public View {
public:
    using View::View;
    cg::Size sizeThatFits(cg::Size) const override { return {50, 5}; }
};

TEST_F(ViewPasses, SizeToFitKeepsTheOrigin) {
    auto view = ns::make<FixedSizeView>(cg::Rect{3, 4, 10, 20});
    view->sizeToFit();
    EXPECT_EQ(view->frame(), (cg::Rect{3, 4, 50, 5}));
}

} // namespace
} // namespace pellavo::ui
