#include "platform/cg/Context.hpp"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <functional>
#include <limits>

#include "platform/cg/MutablePath.hpp"
#include "platform/ns/Console.hpp"

using namespace pellavo;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
const cg::RGBA8 kRed{255, 0, 0, 255};
const cg::RGBA8 kBlue{0, 0, 255, 255};
const cg::RGBA8 kNone{0, 0, 0, 0};

std::unique_ptr<cg::Context> bitmap(int w = 10, int h = 10, bool opaque = false) {
    auto c = cg::Context::makeBitmap(w, h, opaque);
    EXPECT_NE(c, nullptr);
    return c;
}

// An image from straight RGBA rows, premultiplied into the stored layout.
std::shared_ptr<const cg::Image> imageOf(int w, int h, const std::vector<cg::RGBA8>& pixels) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const cg::RGBA8 p = pixels[i];
        auto pre = [&](std::uint8_t c) { return static_cast<std::uint32_t>((c * p.a + 127) / 255); };
        const std::uint32_t word = (std::uint32_t(p.a) << 24) | (pre(p.r) << 16) | (pre(p.g) << 8) | pre(p.b);
        std::memcpy(data.data() + i * 4, &word, 4);
    }
    return std::make_shared<const cg::Image>(w, h, w * 4, std::move(data));
}

TEST(ContextTest, BitmapsStartTransparentOrOpaqueBlack) {
    EXPECT_EQ(bitmap(3, 2)->makeImage()->pixel(1, 1), kNone);
    const auto opaque = bitmap(3, 2, true)->makeImage();
    EXPECT_EQ(opaque->width(), 3);
    EXPECT_EQ(opaque->height(), 2);
    EXPECT_EQ(opaque->stride(), 12);
    EXPECT_EQ(opaque->pixel(2, 1), (cg::RGBA8{0, 0, 0, 255}));
}

TEST(ContextTest, BadBitmapSizesGiveNoContext) {
    for (auto [w, h] : {std::pair{0, 5}, {5, -1}, {16385, 1}, {8193, 8193}}) {
        EXPECT_EQ(cg::Context::makeBitmap(w, h, false), nullptr) << w << " x " << h;
    }
    EXPECT_NE(cg::Context::makeBitmap(16384, 1, false), nullptr);
}

TEST(ContextTest, FillRectInUserSpace) {
    auto c = bitmap();
    c->setFillColor({1, 0, 0, 1});
    c->translateBy(2, 3);
    c->fill({0, 0, 2, 1});
    const auto img = c->makeImage();
    EXPECT_EQ(img->pixel(2, 3), kRed);
    EXPECT_EQ(img->pixel(3, 3), kRed);
    EXPECT_EQ(img->pixel(4, 3), kNone);
    EXPECT_EQ(img->pixel(2, 4), kNone);
    EXPECT_EQ(c->ctm(), cg::AffineTransform::makeTranslation(2, 3));
}

TEST(ContextTest, SingularScaleTurnsDrawingOffUntilRestore) {
    auto c = bitmap();
    c->setFillColor({1, 0, 0, 1});
    cg::Context::SavedState saved(*c);
    c->scaleBy(0, 1);
    EXPECT_FALSE(c->isDrawingEnabled());
    c->fill({0, 0, 10, 10});
    c->translateBy(1, 1);  // still off
    c->fill({0, 0, 10, 10});
    EXPECT_EQ(c->makeImage()->pixel(5, 5), kNone);
    EXPECT_TRUE(c->isHealthy());
    saved.restore();
    EXPECT_TRUE(c->isDrawingEnabled());
    EXPECT_EQ(c->ctm(), cg::AffineTransform::identity());
    c->fill({0, 0, 10, 10});
    EXPECT_EQ(c->makeImage()->pixel(5, 5), kRed);
    EXPECT_TRUE(c->isHealthy());
}

TEST(ContextTest, NonFiniteTransformsTurnDrawingOff) {
    const std::function<void(cg::Context&)> changes[] = {
        [](cg::Context& c) { c.translateBy(nan, 0); },
        [](cg::Context& c) { c.scaleBy(inf, 1); },
        [](cg::Context& c) { c.rotateBy(nan); },
        [](cg::Context& c) { c.concatenate({1, 0, 0, 1, 0, inf}); },
        [](cg::Context& c) { c.concatenate({1, 2, 2, 4, 0, 0}); },  // singular
        [](cg::Context& c) { c.scaleBy(1e-7, 1e-7); },              // next to singular
        [](cg::Context& c) { c.scaleBy(1e200, 1e200); },            // overflows
    };
    for (const auto& change : changes) {
        auto c = bitmap();
        c->setFillColor({1, 0, 0, 1});
        cg::Context::SavedState saved(*c);
        change(*c);
        c->fill({0, 0, 10, 10});
        c->strokePath();
        EXPECT_EQ(c->makeImage()->pixel(5, 5), kNone);
        saved.restore();
        EXPECT_TRUE(c->isHealthy());
    }
}

TEST(ContextTest, NonFiniteValuesAreNoOps) {
    auto c = bitmap();
    c->setFillColor({0, 0, 1, 1});
    c->fill({nan, 0, 5, 5});
    c->fill({0, 0, inf, 5});
    c->clip({0, 0, nan, 1});  // ignored: the later fill is not clipped away
    c->setLineWidth(nan);
    EXPECT_EQ(c->lineWidth(), 1);
    c->setAlpha(nan);
    EXPECT_EQ(c->alpha(), 1);
    c->drawLinearGradient({{0, {1, 0, 0, 1}}}, {nan, 0}, {1, 1});
    EXPECT_EQ(c->makeImage()->pixel(2, 2), kNone);
    c->fill({0, 0, 5, 5});
    EXPECT_EQ(c->makeImage()->pixel(2, 2), kBlue);
    EXPECT_TRUE(c->isHealthy());
}

TEST(ContextTest, UnbalancedRestoreIsIgnored) {
    auto c = bitmap();
    c->translateBy(4, 0);
    {
        cg::Context::SavedState saved(*c);
        c->translateBy(1, 0);
        saved.restore();
        saved.restore();  // one too many, and the destructor's too: the translation by 4 stays
    }
    EXPECT_EQ(c->ctm(), cg::AffineTransform::makeTranslation(4, 0));
    c->endTransparencyLayer();
    EXPECT_TRUE(c->isHealthy());
}

TEST(ContextTest, SavedStateRestoresOnceAtTheDepthItSaved) {
    auto c = bitmap();
    {
        cg::Context::SavedState saved(*c);
        c->translateBy(1, 0);
        c->setFillColor({1, 0, 0, 1});
        c->setAlpha(0.5);
        c->setLineWidth(3);
        c->clip({0, 0, 1, 1});
    }
    EXPECT_EQ(c->ctm(), cg::AffineTransform::identity());
    EXPECT_EQ(c->fillColor(), (cg::Color{0, 0, 0, 1}));
    EXPECT_EQ(c->alpha(), 1);
    EXPECT_EQ(c->lineWidth(), 1);
    c->fill({0, 0, 10, 10});  // the clip went too
    EXPECT_EQ(c->makeImage()->pixel(5, 5), (cg::RGBA8{0, 0, 0, 255}));

    // An early restore closes the saves made after it; a later save at the same depth
    // is not its to close.
    cg::Context::SavedState outer(*c);
    c->translateBy(1, 0);
    cg::Context::SavedState inner(*c);
    c->translateBy(2, 0);
    outer.restore();
    EXPECT_TRUE(inner.isRestored());
    EXPECT_EQ(c->ctm(), cg::AffineTransform::identity());
    cg::Context::SavedState later(*c);
    c->translateBy(5, 0);
    outer.restore();
    inner.restore();
    EXPECT_FALSE(later.isRestored());
    EXPECT_EQ(c->ctm(), cg::AffineTransform::makeTranslation(5, 0));
    later.restore();

    // A transparency layer begun after the save holds the restore until it ends.
    c->translateBy(3, 0);
    cg::Context::SavedState held(*c);
    c->beginTransparencyLayer();
    held.restore();
    EXPECT_FALSE(held.isRestored());
    c->endTransparencyLayer();
    held.restore();
    EXPECT_TRUE(held.isRestored());
    EXPECT_EQ(c->ctm(), cg::AffineTransform::makeTranslation(3, 0));
    EXPECT_TRUE(c->isHealthy());
}

TEST(ContextTest, ColoursAreClampedWhenDrawn) {
    auto c = bitmap(1, 1);
    c->setFillColor({1.5, -0.2, nan, 1});
    c->fill({0, 0, 1, 1});
    EXPECT_EQ(c->makeImage()->pixel(0, 0), kRed);
}

TEST(ContextTest, StrokeWithZeroOrNegativeWidthDrawsNothing) {
    for (double width : {0.0, -2.0}) {
        auto c = bitmap();
        c->setStrokeColor({1, 0, 0, 1});
        c->setLineWidth(width);
        c->addPath(cg::Path::rect({2, 2, 6, 6}));
        c->strokePath();
        EXPECT_EQ(c->makeImage()->pixel(2, 2), kNone);
        // The path was consumed all the same.
        c->setLineWidth(2);
        c->strokePath();
        EXPECT_EQ(c->makeImage()->pixel(2, 2), kNone);
    }
    auto c = bitmap();
    c->setStrokeColor({1, 0, 0, 1});
    c->setLineWidth(2);
    c->addPath(cg::Path::rect({2, 2, 6, 6}));
    c->strokePath();
    EXPECT_EQ(c->makeImage()->pixel(2, 5), kRed);
    EXPECT_EQ(c->makeImage()->pixel(5, 5), kNone);
}

TEST(ContextTest, HugeCoordinatesStayHealthy) {
    auto c = bitmap();
    c->setFillColor({1, 0, 0, 1});
    c->setStrokeColor({1, 0, 0, 1});
    cg::MutablePath p;
    p.moveTo({-1e300, -1e300});
    p.addLineTo({1e300, -1e300});
    p.addLineTo({1e300, 1e300});
    p.addLineTo({-1e300, 1e300});
    c->addPath(p.path());
    c->fillPath();
    EXPECT_EQ(c->makeImage()->pixel(5, 5), kRed);
    c->setLineWidth(1e300);
    c->addPath(p.path());
    c->strokePath();
    c->fill({-1e300, 0, 1e300, 1e300});
    c->drawLinearGradient({{0, {0, 0, 1, 1}}, {1, {1, 0, 0, 1}}}, {-1e300, 0}, {1e300, 0});
    c->draw(*imageOf(1, 1, {kBlue}), {0, 0, 1e300, 1e300});
    c->draw(*imageOf(1, 1, {kBlue}), {0, 0, 1e-300, 1e-300});
    EXPECT_TRUE(c->isHealthy());
}

TEST(ContextTest, ClipToRectAndPath) {
    auto c = bitmap();
    c->setFillColor({1, 0, 0, 1});
    {
        cg::Context::SavedState saved(*c);
        c->clip({0, 0, 5, 10});
        c->clip(cg::Path::rect({0, 0, 10, 5}));
        c->fill({0, 0, 10, 10});
    }
    const auto img = c->makeImage();
    EXPECT_EQ(img->pixel(2, 2), kRed);
    EXPECT_EQ(img->pixel(7, 2), kNone);
    EXPECT_EQ(img->pixel(2, 7), kNone);
    // The clip ended with the restore.
    c->fill({8, 8, 2, 2});
    EXPECT_EQ(c->makeImage()->pixel(9, 9), kRed);
}

TEST(ContextTest, EvenOddFill) {
    auto c = bitmap();
    c->setFillColor({1, 0, 0, 1});
    c->addPath(cg::Path::rect({0, 0, 10, 10}));
    c->addPath(cg::Path::rect({3, 3, 4, 4}));
    c->fillPath(cg::FillRule::evenOdd);
    EXPECT_EQ(c->makeImage()->pixel(5, 5), kNone);
    EXPECT_EQ(c->makeImage()->pixel(1, 1), kRed);
}

TEST(ContextTest, TransparencyLayerCompositesAsOne) {
    auto c = bitmap(20, 10);
    c->setFillColor({1, 0, 0, 1});
    c->beginTransparencyLayer();
    c->fill({0, 0, 12, 10});
    c->fill({8, 0, 12, 10});
    {
        cg::Context::SavedState saved(*c);  // still open at the end, which closes it
        c->endTransparencyLayer(0.5);
        EXPECT_TRUE(saved.isRestored());
    }
    const auto img = c->makeImage();
    EXPECT_EQ(img->word(10, 5), img->word(2, 5));  // the overlap is no darker
    EXPECT_NEAR(img->pixel(10, 5).a, 128, 1);
    EXPECT_TRUE(c->isHealthy());
    // The alpha in force at the begin applies too, and starts at 1 inside.
    auto d = bitmap(4, 4);
    d->setFillColor({1, 0, 0, 1});
    d->setAlpha(0.5);
    d->beginTransparencyLayer();
    EXPECT_EQ(d->alpha(), 1);
    d->fill({0, 0, 4, 4});
    d->endTransparencyLayer(0.5);
    EXPECT_EQ(d->alpha(), 0.5);
    EXPECT_NEAR(d->makeImage()->pixel(1, 1).a, 64, 1);
}

TEST(ContextTest, DrawImageStretchesWithCrispEdges) {
    auto c = bitmap(8, 4);
    c->draw(*imageOf(2, 1, {kRed, kBlue}), {0, 0, 8, 4});
    const auto img = c->makeImage();
    EXPECT_EQ(img->pixel(0, 0), kRed);
    EXPECT_EQ(img->pixel(0, 3), kRed);
    EXPECT_EQ(img->pixel(7, 3), kBlue);
    EXPECT_EQ(img->pixel(1, 2), kRed);
    EXPECT_EQ(img->pixel(6, 1), kBlue);
    // The middle blends.
    EXPECT_GT(img->pixel(4, 2).r, 0);
    EXPECT_GT(img->pixel(4, 2).b, 0);
    EXPECT_EQ(img->pixel(4, 2).a, 255);
}

TEST(ContextTest, DrawImageHonoursAlphaAndPosition) {
    auto c = bitmap(8, 8);
    c->setAlpha(0.5);
    c->draw(*imageOf(1, 1, {kBlue}), {2, 2, 2, 2});
    const auto img = c->makeImage();
    EXPECT_EQ(img->pixel(1, 1), kNone);
    EXPECT_EQ(img->pixel(4, 4), kNone);
    EXPECT_EQ(img->pixel(3, 3).b, 255);
    EXPECT_NEAR(img->pixel(3, 3).a, 128, 1);
}

TEST(ContextTest, MaskFillsTheImageAlphaWithAColour) {
    auto c = bitmap(2, 1);
    const cg::RGBA8 half{10, 200, 30, 128};
    c->fill(*imageOf(2, 1, {kBlue, half}), {0, 0, 2, 1}, {1, 0, 0, 1});
    const auto img = c->makeImage();
    EXPECT_EQ(img->pixel(0, 0), kRed);
    EXPECT_EQ(img->pixel(1, 0).r, 255);
    EXPECT_EQ(img->pixel(1, 0).g, 0);
    EXPECT_NEAR(img->pixel(1, 0).a, 128, 1);
}

TEST(ContextTest, LinearGradientPadsBeyondItsEnds) {
    auto c = bitmap(20, 2);
    c->drawLinearGradient({{0, {1, 0, 0, 1}}, {1, {0, 0, 1, 1}}}, {5, 0}, {15, 0});
    const auto img = c->makeImage();
    EXPECT_EQ(img->pixel(0, 0), kRed);
    EXPECT_EQ(img->pixel(4, 1), kRed);
    EXPECT_EQ(img->pixel(19, 0), kBlue);
    const auto mid = img->pixel(10, 0);
    EXPECT_NEAR(mid.r, 128, 14);
    EXPECT_NEAR(mid.b, 128, 14);
    // Start = end: the last colour everywhere.
    auto d = bitmap(4, 4);
    d->drawLinearGradient({{0, {1, 0, 0, 1}}, {1, {0, 0, 1, 1}}}, {2, 2}, {2, 2});
    EXPECT_EQ(d->makeImage()->pixel(0, 3), kBlue);
}

TEST(ContextTest, ClearAndNative) {
    auto c = bitmap(4, 4, true);
    c->clear({0, 0, 2, 4});
    EXPECT_EQ(c->makeImage()->pixel(1, 1), kNone);
    EXPECT_EQ(c->makeImage()->pixel(3, 1).a, 255);
    c->clearAll();
    EXPECT_EQ(c->makeImage()->pixel(3, 1), kNone);
    // Other platform code may draw straight through Cairo.
    cairo_t* cr = c->native();
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_paint(cr);
    EXPECT_EQ(c->makeImage()->pixel(0, 0), kBlue);
    EXPECT_TRUE(c->isHealthy());
}

TEST(ContextTest, WrapsABorrowedCairoContextAndLeavesItBalanced) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
    cairo_t* cr = cairo_create(surface);
    cairo_translate(cr, 1, 0);
    {
        cg::Context c(cr);
        EXPECT_EQ(c.ctm(), cg::AffineTransform::makeTranslation(1, 0));
        EXPECT_EQ(c.pixelWidth(), 4);
        cg::Context::SavedState saved(c);
        c.scaleBy(2, 2);
        c.beginTransparencyLayer();  // keeps `saved` from restoring: the context unwinds both
    }
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    EXPECT_EQ(m.xx, 1);
    EXPECT_EQ(m.x0, 1);
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

} // namespace
