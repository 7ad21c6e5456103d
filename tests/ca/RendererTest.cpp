#include "platform/ca/Renderer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/cg/MutablePath.hpp"
#include "platform/ns/Console.hpp"

namespace pellavo::cg {
// Readable pixels in failure messages (internal linkage: found by lookup, never clashing).
[[maybe_unused]] static std::ostream& operator<<(std::ostream& os, const RGBA8& p) {
    return os << "(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
}
} // namespace pellavo::cg

namespace pellavo::ca {
namespace {

using cg::Color;
using cg::Point;
using cg::Rect;
using cg::RGBA8;

const Color kRed{1, 0, 0, 1};
const Color kGreen{0, 1, 0, 1};
const Color kBlue{0, 0, 1, 1};
const Color kWhite{1, 1, 1, 1};
const Color kBlack{0, 0, 0, 1};

constexpr RGBA8 kClear{0, 0, 0, 0};
constexpr RGBA8 kOpaqueRed{255, 0, 0, 255};
constexpr RGBA8 kOpaqueGreen{0, 255, 0, 255};
constexpr RGBA8 kOpaqueBlue{0, 0, 255, 255};
constexpr RGBA8 kOpaqueWhite{255, 255, 255, 255};

void expectNear(const RGBA8& actual, const RGBA8& expected, int tolerance, const std::string& what) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << what << " " << actual;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << what << " " << actual;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << what << " " << actual;
    EXPECT_NEAR(actual.a, expected.a, tolerance) << what << " " << actual;
}

// The pixel under a point of a scale-2 frame.
RGBA8 at(const cg::Image& image, double x, double y) {
    return image.pixel(static_cast<int>(std::floor(x * 2)), static_cast<int>(std::floor(y * 2)));
}

std::shared_ptr<Layer> root(double w, double h, std::optional<Color> background = kWhite) {
    auto layer = ns::make<Layer>();
    layer->setFrame({0, 0, w, h});
    layer->setBackgroundColor(background);
    return layer;
}

template <class T = Layer>
std::shared_ptr<T> box(const Rect& frame, std::optional<Color> background) {
    auto layer = ns::make<T>();
    layer->setFrame(frame);
    layer->setBackgroundColor(background);
    return layer;
}

// A disc with a counter-clockwise triangle inside: the triangle is a hole under non-zero.
cg::Path discWithTriangle(const Rect& r) {
    cg::MutablePath p;
    p.addEllipse(r);
    const double cx = r.origin.x + r.size.width / 2, cy = r.origin.y + r.size.height / 2;
    const double s = r.size.width / 4;
    p.moveTo({cx - s * 0.6, cy - s});
    p.addLineTo({cx - s * 0.6, cy + s});
    p.addLineTo({cx + s, cy});
    p.closeSubpath();
    return p.path();
}

TEST(Renderer, FrameSizeAndClearing) {
    Renderer renderer({20, 10}, 2);
    auto scene = root(20, 10, kRed);
    const cg::Image& first = renderer.render(*scene);
    EXPECT_EQ(first.width(), 40);
    EXPECT_EQ(first.height(), 20);
    EXPECT_EQ(first.pixel(39, 19), kOpaqueRed);
    scene->setBackgroundColor(std::nullopt);
    const cg::Image& second = renderer.render(*scene);
    EXPECT_EQ(&first, &second); // one reused bitmap
    EXPECT_EQ(second.pixel(39, 19), kClear);

    Renderer defaults;
    EXPECT_EQ(defaults.render(*scene).width(), 750);
    EXPECT_EQ(defaults.render(*scene).height(), 1334);
}

TEST(Renderer, UnusableSizesGiveEmptyFrames) {
    for (auto [size, scale] : {std::pair{cg::Size{0, 10}, 2.0}, std::pair{cg::Size{10, 10}, std::nan("")},
                               std::pair{cg::Size{1e9, 10}, 2.0}, std::pair{cg::Size{-5, 10}, 1.0}}) {
        ns::ConsoleCapture capture;
        Renderer renderer(size, scale);
        const cg::Image& image = renderer.render(*root(10, 10));
        EXPECT_EQ(image.width(), 0);
        EXPECT_EQ(capture.loggedLines().size(), 1u);
    }
}

TEST(Renderer, DiscTriangleCentreIsAHole) {
    Renderer renderer({40, 40}, 2);
    auto scene = root(40, 40, std::nullopt);
    auto shape = ns::make<ShapeLayer>();
    shape->setFrame({0, 0, 40, 40});
    shape->setPath(discWithTriangle({0, 0, 40, 40}));
    shape->setFillColor(kBlue);
    scene->addSublayer(shape);
    const cg::Image& image = renderer.render(*scene);
    // Centroid of the triangle: x = cx + s·(−0.6 − 0.6 + 1)/3, y = cy.
    EXPECT_EQ(at(image, 20 + 10 * (-0.2 / 3), 20), kClear);
    EXPECT_EQ(at(image, 20, 6), kOpaqueBlue);

    shape->setFillRule(cg::FillRule::evenOdd);
    EXPECT_EQ(at(renderer.render(*scene), 20 + 10 * (-0.2 / 3), 20), kClear);
}

TEST(Renderer, GroupOpacityCompositesOnce) {
    Renderer renderer({60, 20}, 2);
    auto scene = root(60, 20, std::nullopt);
    auto group = box({0, 0, 60, 20}, std::nullopt);
    group->setOpacity(0.5f);
    group->addSublayer(box({0, 0, 40, 20}, kRed));
    group->addSublayer(box({20, 0, 40, 20}, kRed));
    scene->addSublayer(group);
    const cg::Image& image = renderer.render(*scene);
    const RGBA8 overlap = at(image, 30, 10), single = at(image, 10, 10);
    EXPECT_EQ(overlap, single);
    EXPECT_NEAR(single.a, 128, 1);
    EXPECT_EQ(single.r, 255);
}

TEST(Renderer, CapsuleCornerIsTransparent) {
    Renderer renderer({100, 40}, 2);
    auto scene = root(100, 40, std::nullopt);
    auto capsule = box({0, 0, 100, 40}, kGreen);
    capsule->setCornerRadius(1000);
    scene->addSublayer(capsule);
    const cg::Image& image = renderer.render(*scene);
    EXPECT_EQ(image.pixel(0, 0), kClear);
    EXPECT_EQ(image.pixel(199, 79), kClear);
    EXPECT_EQ(at(image, 50, 20), kOpaqueGreen);
    EXPECT_EQ(at(image, 20, 1), kOpaqueGreen); // the straight part reaches the top edge
    EXPECT_EQ(capsule->cornerRadius(), 1000);
}

TEST(Renderer, LayerAfterAScaleZeroSiblingDrawsAndTheContextStaysHealthy) {
    auto scene = root(40, 20, std::nullopt);
    auto flat = box({0, 0, 20, 20}, kRed);
    flat->setTransform(Transform3D::makeScale(0, 1, 1));
    flat->addSublayer(box({0, 0, 20, 20}, kRed));
    scene->addSublayer(flat);
    scene->addSublayer(box({20, 0, 20, 20}, kBlue));

    auto context = cg::Context::makeBitmap(80, 40, false);
    ASSERT_TRUE(context);
    context->scaleBy(2, 2);
    scene->render(*context);
    EXPECT_TRUE(context->isHealthy());
    const auto image = context->makeImage();
    EXPECT_EQ(at(*image, 10, 10), kClear);
    EXPECT_EQ(at(*image, 30, 10), kOpaqueBlue);

    Renderer renderer({40, 20}, 2);
    const cg::Image& frame = renderer.render(*scene);
    EXPECT_EQ(at(frame, 10, 10), kClear);
    EXPECT_EQ(at(frame, 30, 10), kOpaqueBlue);
}

// Moves right by the media time and fades to half, as an animation would.
class Sliding : public Layer {
public:
    void applyPresentation(double mediaTime, LayerSnapshot& s) const override {
        s.position.x += mediaTime;
        s.opacity = 0.5f;
    }
};

TEST(Renderer, PresentationModeDrawsTheHookWhileRenderInDrawsTheModel) {
    auto scene = root(60, 20, std::nullopt);
    auto sliding = box<Sliding>({0, 0, 20, 20}, kRed);
    scene->addSublayer(sliding);

    Renderer renderer({60, 20}, 2);
    const cg::Image& shown = renderer.render(*scene, RenderMode::presentation(30));
    EXPECT_EQ(at(shown, 10, 10), kClear);
    const RGBA8 moved = at(shown, 40, 10);
    EXPECT_EQ(moved.r, 255);
    EXPECT_NEAR(moved.a, 128, 1);

    EXPECT_EQ(at(renderer.render(*scene), 10, 10), kOpaqueRed);

    auto context = cg::Context::makeBitmap(120, 40, false);
    context->scaleBy(2, 2);
    scene->render(*context);
    const auto model = context->makeImage();
    EXPECT_EQ(at(*model, 10, 10), kOpaqueRed);
    EXPECT_EQ(at(*model, 40, 10), kClear);
}

// Turns every value it animates into NaN: the renderer must skip it.
class Poisoned : public Layer {
public:
    void applyPresentation(double, LayerSnapshot& s) const override {
        s.position.x = std::numeric_limits<double>::quiet_NaN();
    }
};

TEST(Renderer, NonFinitePresentationSkipsOnlyThatLayer) {
    auto scene = root(40, 20, std::nullopt);
    scene->addSublayer(box<Poisoned>({0, 0, 20, 20}, kRed));
    scene->addSublayer(box({20, 0, 20, 20}, kBlue));
    Renderer renderer({40, 20}, 2);
    const cg::Image& image = renderer.render(*scene, RenderMode::presentation(1));
    EXPECT_EQ(at(image, 10, 10), kClear);
    EXPECT_EQ(at(image, 30, 10), kOpaqueBlue);
}

TEST(Renderer, SkipsHiddenAndTransparentSubtrees) {
    auto scene = root(60, 20, std::nullopt);
    auto hidden = box({0, 0, 20, 20}, kRed);
    hidden->setIsHidden(true);
    hidden->addSublayer(box({0, 0, 10, 10}, kRed));
    auto clear = box({20, 0, 20, 20}, kRed);
    clear->setOpacity(0);
    clear->addSublayer(box({0, 0, 10, 10}, kRed));
    scene->addSublayer(hidden);
    scene->addSublayer(clear);
    scene->addSublayer(box({40, 0, 20, 20}, kGreen));
    Renderer renderer({60, 20}, 2);
    const cg::Image& image = renderer.render(*scene);
    EXPECT_EQ(at(image, 5, 5), kClear);
    EXPECT_EQ(at(image, 25, 5), kClear);
    EXPECT_EQ(at(image, 50, 10), kOpaqueGreen);
}

TEST(Renderer, BorderDrawsAboveSublayersAndMaskingClips) {
    auto scene = root(80, 40, std::nullopt);
    auto framed = box({0, 0, 40, 40}, kWhite);
    framed->setBorderWidth(4);
    framed->setBorderColor(kBlue);
    framed->addSublayer(box({0, 0, 40, 40}, kRed)); // covers the background, not the border
    auto clipping = box({40, 0, 40, 40}, kWhite);
    clipping->setMasksToBounds(true);
    clipping->addSublayer(box({20, 20, 40, 40}, kGreen)); // overhangs right and bottom
    scene->addSublayer(framed);
    scene->addSublayer(clipping);
    Renderer renderer({100, 60}, 2);
    const cg::Image& image = renderer.render(*scene);
    EXPECT_EQ(at(image, 1, 20), kOpaqueBlue);
    EXPECT_EQ(at(image, 20, 38.5), kOpaqueBlue);
    EXPECT_EQ(at(image, 20, 20), kOpaqueRed);
    EXPECT_EQ(at(image, 70, 30), kOpaqueGreen);
    EXPECT_EQ(at(image, 50, 10), kOpaqueWhite);
    EXPECT_EQ(at(image, 85, 30), kClear);
    EXPECT_EQ(at(image, 70, 50), kClear);
}

TEST(Renderer, BoundsOriginShiftsSublayers) {
    auto scene = root(40, 40, std::nullopt);
    auto scroller = box({0, 0, 40, 40}, std::nullopt);
    scroller->setBounds({10, 20, 40, 40});
    scroller->addSublayer(box({10, 20, 10, 10}, kRed));
    scene->addSublayer(scroller);
    Renderer renderer({40, 40}, 2);
    const cg::Image& image = renderer.render(*scene);
    EXPECT_EQ(at(image, 5, 5), kOpaqueRed);
    EXPECT_EQ(at(image, 15, 25), kClear);
}

TEST(Renderer, ShadowFollowsTheAlphaOfTheComposite) {
    auto scene = root(120, 60, std::nullopt);
    auto opaque = box({10, 10, 30, 30}, kWhite);
    opaque->setShadowOpacity(1);
    opaque->setShadowOffset({0, 10});
    opaque->setShadowRadius(2);
    auto clear = box({70, 10, 30, 30}, std::nullopt);
    clear->setShadowOpacity(1);
    clear->setShadowOffset({0, 10});
    scene->addSublayer(opaque);
    scene->addSublayer(clear);
    Renderer renderer({120, 60}, 2);
    const cg::Image& image = renderer.render(*scene);
    EXPECT_EQ(at(image, 25, 25), kOpaqueWhite); // the layer above its shadow
    const RGBA8 below = at(image, 25, 47);
    EXPECT_EQ(below.r, 0);
    EXPECT_GT(below.a, 200);
    EXPECT_LT(at(image, 25, 55).a, 40); // the blur fades out
    for (double y : {25.0, 45.0, 47.0}) EXPECT_EQ(at(image, 85, y), kClear);
}

TEST(Renderer, ShadowOfASublayerComesWithoutAnyBackground) {
    auto scene = root(60, 60, std::nullopt);
    auto holder = box({0, 0, 60, 60}, std::nullopt);
    holder->setShadowOpacity(0.5f);
    holder->setShadowColor(kRed);
    holder->setShadowOffset({5, 0});
    holder->setShadowRadius(0);
    holder->addSublayer(box({10, 10, 20, 20}, kBlue));
    scene->addSublayer(holder);
    Renderer renderer({60, 60}, 2);
    const cg::Image& image = renderer.render(*scene);
    const RGBA8 shadow = at(image, 33, 20);
    EXPECT_EQ(shadow.r, 255);
    EXPECT_NEAR(shadow.a, 128, 1);
    EXPECT_EQ(at(image, 20, 20), kOpaqueBlue);
}

TEST(Renderer, ContentsFollowTheGravity) {
    // A 4 × 4 pixel red image at contentsScale 2 is 2 × 2 points.
    cg::Image pixels(4, 4);
    std::fill_n(reinterpret_cast<std::uint32_t*>(pixels.mutableData()), 16, 0xffff0000u);
    const auto image = std::make_shared<const cg::Image>(std::move(pixels));
    struct Case {
        ContentsGravity gravity;
        Point inside, outside;
    };
    for (const Case& c : {Case{ContentsGravity::topLeft, {1, 1}, {5, 5}}, Case{ContentsGravity::bottomRight, {19, 19}, {1, 1}},
                          Case{ContentsGravity::center, {10, 10}, {1, 1}}, Case{ContentsGravity::top, {10, 1}, {10, 19}},
                          Case{ContentsGravity::resize, {1, 19}, {-1, -1}},
                          Case{ContentsGravity::resizeAspect, {10, 1}, {-1, -1}}}) {
        auto scene = root(20, 20, std::nullopt);
        auto holder = box({0, 0, 20, 20}, std::nullopt);
        holder->setContents(image);
        holder->setContentsScale(2);
        holder->setContentsGravity(c.gravity);
        scene->addSublayer(holder);
        Renderer renderer({20, 20}, 2);
        const cg::Image& frame = renderer.render(*scene);
        EXPECT_EQ(at(frame, c.inside.x, c.inside.y), kOpaqueRed) << int(c.gravity);
        if (c.outside.x >= 0) {
            EXPECT_EQ(at(frame, c.outside.x, c.outside.y), kClear) << int(c.gravity);
        }
    }
}

TEST(Renderer, StrokeTrimming) {
    auto scene = root(100, 40, std::nullopt);
    auto line = ns::make<ShapeLayer>();
    line->setFrame({0, 0, 100, 40});
    cg::MutablePath path;
    path.moveTo({10, 20});
    path.addLineTo({90, 20});
    line->setPath(path.path());
    line->setFillColor(std::nullopt);
    line->setStrokeColor(kBlack);
    line->setLineWidth(4);
    line->setStrokeEnd(0.5);
    scene->addSublayer(line);
    Renderer renderer({100, 40}, 2);
    EXPECT_EQ(at(renderer.render(*scene), 30, 20).a, 255);
    EXPECT_EQ(at(renderer.render(*scene), 70, 20).a, 0);

    line->setStrokeStart(0.75);
    line->setStrokeEnd(2); // clamped to 1
    const cg::Image& tail = renderer.render(*scene);
    EXPECT_EQ(at(tail, 30, 20).a, 0);
    EXPECT_EQ(at(tail, 85, 20).a, 255);

    line->setStrokeStart(0.6);
    line->setStrokeEnd(0.6);
    const cg::Image& none = renderer.render(*scene);
    for (double x = 0; x < 100; x += 2.5) EXPECT_EQ(at(none, x, 20).a, 0) << x;
}

TEST(Renderer, GradientOddInputs) {
    struct Case {
        std::vector<Color> colors;
        std::optional<std::vector<double>> locations;
        Point start, end;
        RGBA8 top, bottom;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {{}, std::nullopt, {0.5, 0}, {0.5, 1}, kClear, kClear},
        {{kGreen}, std::nullopt, {0.5, 0}, {0.5, 1}, kOpaqueGreen, kOpaqueGreen},
        {{kRed, kBlue}, std::nullopt, {0.5, 0}, {0.5, 1}, kOpaqueRed, kOpaqueBlue},
        // Reversed order sorts; a count mismatch spaces evenly; NaN reads as 0.
        {{kBlue, kRed}, std::vector<double>{1, 0}, {0.5, 0}, {0.5, 1}, kOpaqueRed, kOpaqueBlue},
        {{kRed, kBlue}, std::vector<double>{0.5}, {0.5, 0}, {0.5, 1}, kOpaqueRed, kOpaqueBlue},
        {{kBlue, kRed}, std::vector<double>{1, nan}, {0.5, 0}, {0.5, 1}, kOpaqueRed, kOpaqueBlue},
        // Start = end: the last colour throughout.
        {{kRed, kBlue}, std::nullopt, {0.5, 0.5}, {0.5, 0.5}, kOpaqueBlue, kOpaqueBlue},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        auto scene = root(20, 100, std::nullopt);
        auto gradient = ns::make<GradientLayer>();
        gradient->setFrame({0, 0, 20, 100});
        gradient->setColors(c.colors);
        gradient->setLocations(c.locations);
        gradient->setStartPoint(c.start);
        gradient->setEndPoint(c.end);
        scene->addSublayer(gradient);
        Renderer renderer({20, 100}, 2);
        const cg::Image& image = renderer.render(*scene);
        // Pixel centres sit a quarter point inside the ends.
        expectNear(at(image, 10, 0), c.top, 2, "top of case " + std::to_string(i));
        expectNear(at(image, 10, 99.9), c.bottom, 2, "bottom of case " + std::to_string(i));
    }
}

TEST(Renderer, GradientStopsOutsideTheUnitRangeAreResampled) {
    auto scene = root(20, 100, std::nullopt);
    auto gradient = ns::make<GradientLayer>();
    gradient->setFrame({0, 0, 20, 100});
    // Red at −1 and blue at 1: at 0 the colour is half-way.
    gradient->setColors({kRed, kBlue});
    gradient->setLocations(std::vector<double>{-1, 1});
    scene->addSublayer(gradient);
    Renderer renderer({20, 100}, 2);
    const RGBA8 top = at(renderer.render(*scene), 10, 0);
    EXPECT_NEAR(top.r, 127, 2);
    EXPECT_NEAR(top.b, 128, 2);
    EXPECT_EQ(top.a, 255);
}

TEST(Renderer, GradientRunsInUnitSpace) {
    // A diagonal in unit space on a wide layer: the corners take the end colours and
    // the centre line from top-right to bottom-left is half-way.
    auto scene = root(200, 50, std::nullopt);
    auto gradient = ns::make<GradientLayer>();
    gradient->setFrame({0, 0, 200, 50});
    gradient->setColors({kBlack, kWhite});
    gradient->setStartPoint({0, 0});
    gradient->setEndPoint({1, 1});
    scene->addSublayer(gradient);
    Renderer renderer({200, 50}, 2);
    const cg::Image& image = renderer.render(*scene);
    EXPECT_NEAR(at(image, 190, 2.5).r, 128, 2);
    EXPECT_NEAR(at(image, 10, 47.5).r, 128, 2);
    EXPECT_LT(at(image, 1, 1).r, 10);
    EXPECT_GT(at(image, 199, 49).r, 245);
}

class Painter : public LayerDelegate {
public:
    int draws = 0;
    bool drawsContent() const override { return true; }
    void draw(const Layer& layer, cg::Context& context) override {
        ++draws;
        context.setFillColor(kRed);
        const Rect b = layer.bounds();
        context.fill({b.origin.x, b.origin.y, b.size.width / 2, b.size.height});
    }
};

TEST(LayerDisplay, DrawingLayerGetsABitmapOfItsBoundsAtItsScale) {
    auto painter = std::make_shared<Painter>();
    auto layer = ns::make<Layer>();
    layer->setBounds({5, 5, 10, 8});
    layer->setContentsScale(3);
    layer->setDelegate(painter);
    layer->setNeedsDisplay();
    layer->displayIfNeeded();
    layer->displayIfNeeded(); // no longer marked
    EXPECT_EQ(painter->draws, 1);
    EXPECT_FALSE(layer->needsDisplay());
    ASSERT_TRUE(layer->contents());
    EXPECT_EQ(layer->contents()->width(), 30);
    EXPECT_EQ(layer->contents()->height(), 24);
    EXPECT_EQ(layer->contents()->pixel(0, 0), kOpaqueRed); // bounds.origin at the bitmap's origin
    EXPECT_EQ(layer->contents()->pixel(16, 10), kClear);
}

TEST(LayerDisplay, LayersThatDoNotDrawKeepTheirContents) {
    auto layer = ns::make<Layer>();
    layer->setBounds({0, 0, 10, 10});
    const auto image = std::make_shared<const cg::Image>(2, 2);
    layer->setContents(image);
    layer->setNeedsDisplay();
    layer->displayIfNeeded();
    EXPECT_EQ(layer->contents(), image);
}

TEST(LayerRender, DrawingLayerWithoutContentsDrawsStraightIn) {
    auto painter = std::make_shared<Painter>();
    auto scene = root(20, 10, std::nullopt);
    scene->setBounds({100, 100, 20, 10}); // own space: bounds.origin lands on the context's origin
    auto drawn = ns::make<Layer>();
    drawn->setFrame({100, 100, 20, 10});
    drawn->setDelegate(painter);
    scene->addSublayer(drawn);
    auto context = cg::Context::makeBitmap(20, 10, false);
    scene->render(*context);
    const auto image = context->makeImage();
    EXPECT_EQ(image->pixel(5, 5), kOpaqueRed);
    EXPECT_EQ(image->pixel(15, 5), kClear);
    EXPECT_FALSE(drawn->contents());
}

class Backdrop : public Layer {
public:
    mutable int width = 0, height = 0;
    mutable RGBA8 seen;
    bool needsBackdrop() const override { return true; }
    void drawBackdrop(cg::Context& context, const cg::Image& image) const override {
        width = image.width(), height = image.height();
        seen = image.pixel(0, 0);
        // Drawn back over the bounds, the pixels land where they were.
        context.draw(image, bounds());
    }
};

TEST(Renderer, BackdropLayersSeeWhatIsBelowThem) {
    auto scene = root(40, 20, std::nullopt);
    scene->addSublayer(box({0, 0, 20, 20}, kRed));
    scene->addSublayer(box({20, 0, 20, 20}, kBlue));
    auto glass = box<Backdrop>({10, 5, 20, 10}, std::nullopt);
    scene->addSublayer(glass);
    Renderer renderer({40, 20}, 2);
    const cg::Image& image = renderer.render(*scene);
    EXPECT_EQ(glass->width, 40);
    EXPECT_EQ(glass->height, 20);
    EXPECT_EQ(glass->seen, kOpaqueRed);
    EXPECT_EQ(at(image, 19.75, 10), kOpaqueRed);
    EXPECT_EQ(at(image, 20.25, 10), kOpaqueBlue);
}


} // namespace
} // namespace pellavo::ca
