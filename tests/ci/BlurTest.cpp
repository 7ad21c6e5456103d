#include "platform/ci/Context.hpp"
#include "platform/ci/GaussianBlur.hpp"
#include "platform/ci/Image.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "platform/ns/Console.hpp"

namespace pellavo {
namespace {

// A 28 × 28 badge: an opaque disc on transparency.
std::shared_ptr<const cg::Image> badge() {
    auto image = std::make_shared<cg::Image>(28, 28);
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x)
            if ((x - 13.5) * (x - 13.5) + (y - 13.5) * (y - 13.5) < 100) {
                const std::uint32_t word = 0xFF3080C0u;
                std::memcpy(image->mutableData() + y * image->stride() + x * 4, &word, 4);
            }
    return image;
}

bool sameWords(const cg::Image& a, const cg::Image& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.word(x, y) != b.word(x, y)) return false;
    return true;
}

std::optional<ci::Image> blurred(const ci::Image& input, double radius) {
    ci::GaussianBlur blur;
    blur.setInputImage(input);
    blur.setRadius(radius);
    return blur.outputImage();
}

TEST(BlurTest, FilterDefaultsAndGrownExtent) {
    ci::GaussianBlur blur;
    EXPECT_EQ(blur.radius(), 10);
    EXPECT_FALSE(blur.outputImage().has_value());
    blur.setInputImage(ci::Image(badge()));
    auto out = blur.outputImage();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->extent(), cg::Rect(-30, -30, 88, 88));
    EXPECT_EQ(blurred(ci::Image(badge()), 1.5)->extent(), cg::Rect(-5, -5, 38, 38));
    EXPECT_EQ(blurred(ci::Image(badge()), 2.01)->extent(), cg::Rect(-7, -7, 42, 42));

    // The whole extent, and the crop back to the input's size.
    const auto whole = ci::Context().createImage(*out, out->extent());
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->width(), 88);
    const auto cropped = ci::Context().createImage(*out, cg::Rect(0, 0, 28, 28));
    ASSERT_TRUE(cropped);
    EXPECT_EQ(cropped->width(), 28);
    EXPECT_EQ(cropped->height(), 28);
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x) ASSERT_EQ(cropped->word(x, y), whole->word(x + 30, y + 30));
    // Beyond the source, the blur spreads into the grown border.
    EXPECT_GT(whole->pixel(30 - 3, 44).a, 0);
}

TEST(BlurTest, RectanglesAreIntersectedAndRoundedOutwards) {
    const auto out = blurred(ci::Image(badge()), 3);
    ASSERT_TRUE(out);
    const ci::Context context;
    const auto part = context.createImage(*out, cg::Rect(-20.5, 10.25, 30, 4.5));
    ASSERT_TRUE(part);
    EXPECT_EQ(part->width(), 19); // -9 … 10
    EXPECT_EQ(part->height(), 5); // 10 … 15
    EXPECT_FALSE(context.createImage(*out, cg::Rect(100, 100, 5, 5)));
    EXPECT_FALSE(context.createImage(*out, cg::Rect(0, 0, 0, 5)));
    EXPECT_FALSE(context.createImage(*out, cg::Rect(std::nan(""), 0, 5, 5)));
    EXPECT_FALSE(context.createImage(*out, cg::Rect::null()));
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(context.createImage(*out, cg::Rect(-inf, -inf, inf, inf)));
}

TEST(BlurTest, OddRadiiKeepTheSizeOrAreCapped) {
    const ci::Image input(badge());
    for (double radius : {0.0, -4.0, std::nan("")}) {
        const auto out = blurred(input, radius);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->extent(), input.extent()) << radius;
        const auto pixels = ci::Context().createImage(*out, out->extent());
        ASSERT_TRUE(pixels);
        EXPECT_TRUE(sameWords(*pixels, *badge())) << radius;
    }
    // σ capped at twice the longer side: 56, reaching 168 pixels.
    const auto huge = blurred(input, 1e9);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->extent(), cg::Rect(-168, -168, 364, 364));
    const auto same = ci::Context().createImage(*huge, input.extent());
    ASSERT_TRUE(same);
    EXPECT_TRUE(sameWords(*same, *ci::Context().createImage(*blurred(input, 56), input.extent())));
}

TEST(BlurTest, BlurOfABlurSpreadsFurther) {
    const auto once = blurred(ci::Image(badge()), 2);
    ASSERT_TRUE(once);
    const auto twice = blurred(*once, 2);
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->extent(), cg::Rect(-12, -12, 52, 52));
    const auto a = ci::Context().createImage(*once, cg::Rect(0, 0, 28, 28));
    const auto b = ci::Context().createImage(*twice, cg::Rect(0, 0, 28, 28));
    ASSERT_TRUE(a && b);
    // The edge of the disc softens further; the centre stays opaque.
    EXPECT_LT(b->pixel(4, 13).a, a->pixel(4, 13).a);
    EXPECT_EQ(b->pixel(13, 13).a, 255);
}

TEST(BlurTest, OverSizedRequestsAreRefusedWithALogLine) {
    auto wide = std::make_shared<cg::Image>(8000, 1);
    const auto out = blurred(ci::Image(wide), 1e9);
    ASSERT_TRUE(out);
    ns::ConsoleCapture capture;
    EXPECT_FALSE(ci::Context().createImage(*out, out->extent()));
    EXPECT_EQ(capture.loggedLines().size(), 1u);
    EXPECT_TRUE(capture.printedLines().empty());
}

TEST(BlurTest, WorkerThreadGetsTheSameOutputWhileMainRenders) {
    const auto input = ci::Image(badge());
    const auto out = blurred(input, 4);
    ASSERT_TRUE(out);
    std::shared_ptr<const cg::Image> fromWorker;
    std::atomic<bool> started{false};
    std::thread worker([&] {
        started = true;
        for (int i = 0; i < 20; ++i) fromWorker = ci::Context().createImage(*out, input.extent());
    });
    while (!started) std::this_thread::yield();
    std::shared_ptr<const cg::Image> fromMain;
    for (int i = 0; i < 20; ++i) fromMain = ci::Context().createImage(*out, input.extent());
    worker.join();
    ASSERT_TRUE(fromWorker && fromMain);
    EXPECT_TRUE(sameWords(*fromWorker, *fromMain));
}

} // namespace
} // namespace pellavo
