#include "platform/ca/Renderer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>
#include <thread>

#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/cg/MutablePath.hpp"
#include "platform/ns/Console.hpp"
#include "tests/support/Golden.hpp"
#include "tests/support/Pixels.hpp"

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
RGBA8 at(const cg::Image& image, double x, double y) { return testing::pixelAt(image, x, y); }

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

// A faded layer whose sublayers and their strokes reach well past its bounds, drawn at
// the given opacity over a white root.
std::shared_ptr<Layer> fadedScene(float opacity, bool withRoot) {
    auto scene = root(120, 90, withRoot ? std::optional<Color>(kWhite) : std::nullopt);
    auto faded = box({30, 25, 40, 30}, Color(0.2, 0.5, 0.9, 1));
    faded->setOpacity(opacity);
    faded->setCornerRadius(6);
    faded->setBorderWidth(2);
    auto turned = box({-20, 12, 50, 8}, kRed);
    turned->setTransform(Transform3D::makeRotation(0.7, 0, 0, 1));
    auto zigzag = ns::make<ShapeLayer>();
    zigzag->setFrame({10, 20, 20, 20});
    cg::MutablePath path;
    path.moveTo({0, 0});
    path.addLineTo({50, 4});
    path.addLineTo({0, 8});
    zigzag->setPath(path.path());
    zigzag->setFillColor(std::nullopt);
    zigzag->setStrokeColor(kGreen);
    zigzag->setLineWidth(5);
    faded->addSublayer(turned);
    faded->addSublayer(zigzag);
    scene->addSublayer(faded);
    return scene;
}

TEST(Renderer, AFadedLayerDrawsAsAGroupOverTheWholeFrameWould) {
    Renderer renderer({120, 90}, 2), layerAlone({120, 90}, 2), under({120, 90}, 2);
    const cg::Image& shown = renderer.render(*fadedScene(0.4f, true));
    // The same layer drawn opaque on its own, laid over the root at its opacity.
    const cg::Image& opaque = layerAlone.render(*fadedScene(1, false));
    const cg::Image& white = under.render(*root(120, 90));
    auto expected = cg::Context::makeBitmap(shown.width(), shown.height(), false);
    const Rect pixels{0, 0, static_cast<double>(shown.width()), static_cast<double>(shown.height())};
    expected->draw(white, pixels);
    expected->setAlpha(0.4f);
    expected->draw(opaque, pixels);
    const auto image = expected->makeImage();
    ASSERT_EQ(image->byteCount(), shown.byteCount());
    EXPECT_EQ(std::memcmp(image->data(), shown.data(), shown.byteCount()), 0);
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

// A 40 x 30 tree: blue left half, then a layer of the same bounds showing 3 x 1 contents
// under `transform`, then a green right half.
std::shared_ptr<Layer> sceneWithContentsUnder(const Transform3D& transform) {
    auto scene = root(40, 30, std::nullopt);
    scene->addSublayer(box({0, 0, 20, 30}, kBlue));
    auto odd = box({0, 0, 40, 30}, std::nullopt);
    odd->setContents(std::make_shared<const cg::Image>(3, 1));
    odd->setTransform(transform);
    scene->addSublayer(odd);
    scene->addSublayer(box({20, 0, 20, 30}, kGreen));
    return scene;
}

TEST(Renderer, ContentsUnderAnExtremeTransformCostOnlyThemselves) {
    Transform3D skew;
    skew.m12 = 65536.5;
    const auto plain = box({0, 0, 40, 30}, kRed);
    const auto scene = sceneWithContentsUnder(skew);
    Renderer renderer({40, 30}, 1.5);
    ns::ConsoleCapture capture;
    EXPECT_EQ(renderer.render(*plain).pixel(30, 22), kOpaqueRed);
    for (int frame = 0; frame < 2; ++frame) {
        const cg::Image& image = renderer.render(*scene);
        EXPECT_EQ(image.pixel(15, 22), kOpaqueBlue);
        EXPECT_EQ(image.pixel(45, 22), kOpaqueGreen);
    }
    EXPECT_EQ(capture.loggedLines().size(), 1u);  // once for that layer, not every frame
    EXPECT_EQ(renderer.render(*plain).pixel(30, 22), kOpaqueRed);

    auto context = cg::Context::makeBitmap(60, 45, false);
    context->scaleBy(1.5, 1.5);
    scene->render(*context);
    EXPECT_TRUE(context->isHealthy());
    EXPECT_EQ(context->makeImage()->pixel(45, 22), kOpaqueGreen);
}

TEST(Renderer, HugeSkewScaleAndTranslationNeverPoisonTheContext) {
    for (double v : {1e3, 1e4, 3e4, 5.5e4, 6e4, 65536.5, 1e5, 3e5, 1e6, 3e6, 1e7}) {
        for (int kind = 0; kind < 4; ++kind) {
            Transform3D t;
            if (kind == 0) t.m12 = v;
            if (kind == 1) t.m21 = v;
            if (kind >= 2) t.m11 = t.m22 = v;
            if (kind == 3) t.m41 = v * 7;
            auto context = cg::Context::makeBitmap(60, 45, false);
            context->scaleBy(1.5, 1.5);
            ns::ConsoleCapture quiet;
            sceneWithContentsUnder(t)->render(*context);
            EXPECT_TRUE(context->isHealthy()) << "kind " << kind << " value " << v;
            EXPECT_EQ(context->makeImage()->pixel(45, 22), kOpaqueGreen) << "kind " << kind << " value " << v;
        }
    }
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


// ---------------------------------------------------------------- golden scenes

// Quadrants red, green, blue, white; 40 × 24 pixels.
cg::ImageRef quadrants() {
    cg::Image image(40, 24);
    auto* words = reinterpret_cast<std::uint32_t*>(image.mutableData());
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            words[y * 40 + x] = x < 20 ? (y < 12 ? 0xffff0000u : 0xff00ff00u) : (y < 12 ? 0xff0000ffu : 0xffffffffu);
    return std::make_shared<const cg::Image>(std::move(image));
}

// Corners, borders, masking, bounds origins, groups, shadows, transforms, hiding and gravity.
std::shared_ptr<Layer> layersScene() {
    const Color grey{0.93, 0.93, 0.95, 1};
    const Color teal{0.1, 0.6, 0.6, 1};
    const Color orange{1, 0.6, 0.1, 1};
    auto scene = root(320, 240, grey);

    // Row 1: plain corners, capsule, border over a sublayer, masking.
    auto rounded = box({10, 10, 60, 40}, teal);
    rounded->setCornerRadius(10);
    auto capsule = box({80, 10, 70, 40}, orange);
    capsule->setCornerRadius(100);
    auto bordered = box({160, 10, 60, 40}, kWhite);
    bordered->setCornerRadius(8);
    bordered->setBorderWidth(5);
    bordered->setBorderColor(kBlue);
    bordered->addSublayer(box({-10, 10, 80, 20}, kRed));
    auto masked = box({230, 10, 60, 40}, kWhite);
    masked->setCornerRadius(12);
    masked->setMasksToBounds(true);
    masked->addSublayer(box({30, 20, 60, 40}, kGreen));
    for (const auto& l : {rounded, capsule, bordered, masked}) scene->addSublayer(l);

    // Row 2: bounds origin, group at 0.5 against plain 0.5 layers, shadows.
    auto scrolled = box({10, 60, 60, 50}, kWhite);
    scrolled->setBounds({20, 20, 60, 50});
    scrolled->addSublayer(box({20, 20, 20, 20}, kRed)); // at the top-left corner
    scrolled->addSublayer(box({50, 45, 20, 20}, kBlue));
    auto group = box({80, 60, 70, 50}, std::nullopt);
    group->setOpacity(0.5f);
    group->addSublayer(box({0, 0, 45, 50}, kRed));
    group->addSublayer(box({25, 0, 45, 50}, kRed));
    auto opaqueShadow = box({165, 65, 50, 35}, kWhite);
    opaqueShadow->setShadowOpacity(0.8f);
    opaqueShadow->setShadowOffset({3, 6});
    opaqueShadow->setShadowRadius(4);
    auto clearShadow = box({235, 65, 50, 35}, std::nullopt);
    clearShadow->setShadowOpacity(0.8f);
    clearShadow->setShadowRadius(4); // nothing with alpha: no shadow, an empty spot
    for (const auto& l : {scrolled, group, opaqueShadow, clearShadow}) scene->addSublayer(l);

    // Row 3: rotation, scale, a hidden layer (and a visible sibling after it), gravity.
    auto rotated = box({20, 130, 40, 30}, teal);
    rotated->setTransform(Transform3D::makeRotation(std::numbers::pi / 6, 0, 0, 1));
    rotated->addSublayer(box({0, 0, 10, 10}, kRed));
    auto scaled = box({90, 135, 40, 30}, orange);
    scaled->setTransform(Transform3D::makeScale(1.5, 0.75, 1));
    scaled->addSublayer(box({0, 0, 10, 10}, kRed));
    auto hidden = box({150, 130, 40, 40}, kRed);
    hidden->setIsHidden(true);
    auto afterHidden = box({200, 130, 40, 40}, std::nullopt);
    afterHidden->setBorderWidth(2);
    afterHidden->setBorderColor(teal);
    afterHidden->setCornerRadius(6);
    for (const auto& l : {rotated, scaled, hidden, afterHidden}) scene->addSublayer(l);

    const ContentsGravity gravities[] = {ContentsGravity::resize,   ContentsGravity::resizeAspect,
                                         ContentsGravity::resizeAspectFill, ContentsGravity::center,
                                         ContentsGravity::topLeft,  ContentsGravity::bottomRight};
    const auto image = quadrants();
    for (int i = 0; i < 6; ++i) {
        auto holder = box({10.0 + i * 50, 185, 40, 45}, kBlack);
        holder->setContents(image);
        holder->setContentsScale(2);
        holder->setContentsGravity(gravities[i]);
        holder->setMasksToBounds(gravities[i] == ContentsGravity::resizeAspectFill);
        scene->addSublayer(holder);
    }
    return scene;
}

std::shared_ptr<ShapeLayer> shape(const Rect& frame, const cg::Path& path) {
    auto layer = ns::make<ShapeLayer>();
    layer->setFrame(frame);
    layer->setPath(path);
    return layer;
}

std::shared_ptr<ShapeLayer> stroked(const Rect& frame, const cg::Path& path, const Color& color, double width) {
    auto layer = shape(frame, path);
    layer->setFillColor(std::nullopt);
    layer->setStrokeColor(color);
    layer->setLineWidth(width);
    return layer;
}

// Icons, trimmed strokes, caps on trimmed ends, overhanging strokes.
std::shared_ptr<Layer> shapesScene() {
    const Color ink{0.15, 0.2, 0.3, 1};
    const Color accent{0.9, 0.3, 0.2, 1};
    auto scene = root(320, 200, kWhite);

    // Icons: play in a disc (a hole), a bare play triangle, pause, plus, close, confirm.
    auto circlePlay = shape({10, 10, 40, 40}, discWithTriangle({0, 0, 40, 40}));
    circlePlay->setFillColor(ink);
    cg::MutablePath play;
    play.moveTo({0, 0});
    play.addLineTo({0, 40});
    play.addLineTo({34.64101615137754, 20});
    play.closeSubpath();
    auto playLayer = shape({62, 10, 34.64101615137754, 40}, play.path());
    playLayer->setFillColor(accent);
    cg::MutablePath pause;
    pause.addRect({0, 0, 12, 40});
    pause.addRect({22, 0, 12, 40});
    auto pauseLayer = shape({110, 10, 34, 40}, pause.path());
    pauseLayer->setFillColor(ink);
    cg::MutablePath plus;
    plus.moveTo({20, 0});
    plus.addLineTo({20, 40});
    plus.moveTo({0, 20});
    plus.addLineTo({40, 20});
    auto plusLayer = stroked({160, 10, 40, 40}, plus.path(), ink, 6);
    cg::MutablePath cross;
    cross.moveTo({0, 0});
    cross.addLineTo({40, 40});
    cross.moveTo({40, 0});
    cross.addLineTo({0, 40});
    auto closeLayer = stroked({215, 10, 40, 40}, cross.path(), accent, 6);
    closeLayer->setLineCap(cg::LineCap::round);
    cg::MutablePath check;
    check.moveTo({0, 20});
    check.addLineTo({14, 36});
    check.addLineTo({40, 4});
    auto confirmLayer = stroked({270, 10, 40, 40}, check.path(), ink, 5);
    confirmLayer->setLineCap(cg::LineCap::round);
    confirmLayer->setLineJoin(cg::LineJoin::round);
    for (const auto& l : {circlePlay, playLayer, pauseLayer, plusLayer, closeLayer, confirmLayer}) scene->addSublayer(l);

    // Trimming an oval: the first half (from its right, clockwise), start ≥ end, the whole.
    auto half = stroked({10, 70, 50, 50}, cg::Path::ellipse({0, 0, 50, 50}), accent, 6);
    half->setStrokeEnd(0.5);
    auto none = stroked({75, 70, 50, 50}, cg::Path::ellipse({0, 0, 50, 50}), accent, 6);
    none->setStrokeStart(0.7);
    none->setStrokeEnd(0.3);
    none->setFillColor(Color(0.9, 0.9, 0.9, 1)); // the fill still shows
    auto whole = stroked({140, 70, 50, 50}, cg::Path::ellipse({0, 0, 50, 50}), ink, 6);
    // Caps: a trimmed closed square gets round caps; untrimmed it keeps its joins.
    auto trimmedSquare = stroked({210, 75, 40, 40}, cg::Path::rect({0, 0, 40, 40}), ink, 8);
    trimmedSquare->setLineCap(cg::LineCap::round);
    trimmedSquare->setStrokeStart(0.1);
    trimmedSquare->setStrokeEnd(0.9);
    auto fullSquare = stroked({268, 75, 40, 40}, cg::Path::rect({0, 0, 40, 40}), ink, 8);
    fullSquare->setLineCap(cg::LineCap::round);
    for (const auto& l : {half, none, whole, trimmedSquare, fullSquare}) scene->addSublayer(l);

    // Overhang: a stroke past the bounds shows unless the layer masks; the fill rule matters.
    auto overhang = stroked({20, 145, 60, 40}, cg::Path::rect({-10, -10, 80, 60}), accent, 4);
    overhang->setBackgroundColor(Color(0.85, 0.9, 1, 1));
    auto clipped = stroked({110, 145, 60, 40}, cg::Path::rect({-10, -10, 80, 60}), accent, 4);
    clipped->setBackgroundColor(Color(0.85, 0.9, 1, 1));
    clipped->setMasksToBounds(true);
    cg::MutablePath rings;
    rings.addEllipse({0, 0, 40, 40});
    rings.addEllipse({10, 10, 20, 20});
    auto evenOdd = shape({200, 145, 40, 40}, rings.path());
    evenOdd->setFillColor(ink);
    evenOdd->setFillRule(cg::FillRule::evenOdd);
    auto nonZero = shape({260, 145, 40, 40}, rings.path());
    nonZero->setFillColor(ink);
    for (const auto& l : {overhang, clipped, evenOdd, nonZero}) scene->addSublayer(l);
    return scene;
}

std::shared_ptr<GradientLayer> gradient(const Rect& frame, std::vector<Color> colors) {
    auto layer = ns::make<GradientLayer>();
    layer->setFrame(frame);
    layer->setColors(std::move(colors));
    return layer;
}

// Vertical, horizontal on a wide layer, diagonal, out-of-range locations, one colour, rounded.
std::shared_ptr<Layer> gradientsScene() {
    const Color yellow{1, 0.85, 0.2, 1};
    const Color purple{0.45, 0.2, 0.7, 1};
    auto scene = root(320, 180, kWhite);
    auto vertical = gradient({10, 10, 60, 70}, {kRed, kBlue});
    auto horizontal = gradient({80, 10, 140, 40}, {yellow, kGreen, purple});
    horizontal->setStartPoint({0, 0.5});
    horizontal->setEndPoint({1, 0.5});
    auto diagonal = gradient({230, 10, 80, 70}, {kBlack, kWhite});
    diagonal->setStartPoint({0, 0});
    diagonal->setEndPoint({1, 1});
    auto outOfRange = gradient({10, 95, 60, 75}, {kRed, yellow, kBlue});
    outOfRange->setLocations(std::vector<double>{-0.5, 0.5, 1.5});
    auto uneven = gradient({80, 60, 140, 30}, {kRed, kGreen, kBlue});
    uneven->setLocations(std::vector<double>{0.1, 0.2, 0.9});
    uneven->setStartPoint({0, 0});
    uneven->setEndPoint({1, 0});
    auto single = gradient({80, 100, 60, 70}, {purple});
    auto rounded = gradient({150, 100, 100, 70}, {yellow, purple});
    rounded->setCornerRadius(20);
    rounded->setBorderWidth(3);
    rounded->setBorderColor(kBlack);
    auto capsule = gradient({260, 100, 50, 70}, {kGreen, kBlue});
    capsule->setCornerRadius(100);
    for (const auto& l : {vertical, horizontal, diagonal, outOfRange, uneven, single, rounded, capsule})
        scene->addSublayer(l);
    return scene;
}

TEST(Renderer, AWorkerRendersItsOwnTreeWhileMainRenders) {
    auto picture = [](const std::shared_ptr<Layer>& scene) {
        Renderer renderer({320, 240}, 2);
        const cg::Image& frame = renderer.render(*scene);
        return std::vector<std::uint8_t>(frame.data(), frame.data() + frame.byteCount());
    };
    std::vector<std::uint8_t> onWorker;
    std::thread worker([&] { onWorker = picture(layersScene()); });
    const std::vector<std::uint8_t> onMain = picture(layersScene());
    worker.join();
    EXPECT_FALSE(onMain.empty());
    EXPECT_TRUE(onWorker == onMain);
}

TEST(RendererGolden, Layers) {
    Renderer renderer({320, 240}, 2);
    pellavo::testing::expectMatchesGolden(renderer.render(*layersScene()), "ca_layers");
}

TEST(RendererGolden, Shapes) {
    Renderer renderer({320, 200}, 2);
    pellavo::testing::expectMatchesGolden(renderer.render(*shapesScene()), "ca_shapes");
}

TEST(RendererGolden, Gradients) {
    Renderer renderer({320, 180}, 2);
    pellavo::testing::expectMatchesGolden(renderer.render(*gradientsScene()), "ca_gradients");
}

} // namespace
} // namespace pellavo::ca
