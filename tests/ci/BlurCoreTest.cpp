#include "platform/ci/BlurCore.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

namespace pellavo {
namespace {

std::shared_ptr<cg::Image> makeImage(int width, int height) {
    return std::make_shared<cg::Image>(width, height);
}

void put(cg::Image& image, int x, int y, std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    const std::uint32_t word = (a << 24) | (r << 16) | (g << 8) | b;
    std::memcpy(image.mutableData() + y * image.stride() + x * 4, &word, 4);
}

std::uint32_t channel(std::uint32_t word, int c) { return (word >> (c == 3 ? 24 : 16 - 8 * c)) & 0xFF; }

// A test card with edges and corners far apart compared with σ: an opaque red
// square, a half-transparent green square overlapping it and a blue band.
std::shared_ptr<cg::Image> testCard() {
    auto image = makeImage(90, 76);
    for (int y = 0; y < 76; ++y)
        for (int x = 0; x < 90; ++x) {
            if (x >= 40 && x < 72 && y >= 20 && y < 52) put(*image, x, y, 128, 0, 128, 0);
            else if (x >= 6 && x < 46 && y >= 8 && y < 44) put(*image, x, y, 255, 255, 0, 0);
            else if (y >= 60) put(*image, x, y, 200, 0, 0, 200);
        }
    return image;
}

// Direct 2-D convolution with the sampled Gaussian, in doubles, the kernel
// reaching 4σ so its own truncation does not matter. All four channels at once.
std::vector<std::array<double, 4>> reference(const cg::Image& image, double sigma, ci::PixelRect area) {
    const int reach = static_cast<int>(std::ceil(4 * sigma));
    const int side = 2 * reach + 1;
    std::vector<double> weights(static_cast<std::size_t>(side * side));
    double total = 0;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            total += weights[(dy + reach) * side + dx + reach] = std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
    std::vector<std::array<double, 4>> out;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x) {
            std::array<double, 4> sum{};
            for (int sy = std::max(0, y - reach); sy <= std::min(image.height() - 1, y + reach); ++sy)
                for (int sx = std::max(0, x - reach); sx <= std::min(image.width() - 1, x + reach); ++sx) {
                    const std::uint32_t word = image.word(sx, sy);
                    if (word == 0) continue;
                    const double w = weights[(sy - y + reach) * side + sx - x + reach];
                    for (int c = 0; c < 4; ++c) sum[c] += w * channel(word, c);
                }
            for (double& v : sum) v /= total;
            out.push_back(sum);
        }
    return out;
}

ci::PixelRect grown(const cg::Image& image, double sigma) {
    const int reach = ci::blurReach(sigma);
    return {-reach, -reach, image.width() + 2 * reach, image.height() + 2 * reach};
}

bool sameWords(const cg::Image& a, const cg::Image& b, int bx = 0, int by = 0) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.word(x, y) != b.word(x + bx, y + by)) return false;
    return true;
}

TEST(BlurCoreTest, MatchesADoublePrecisionGaussian) {
    const auto card = testCard();
    // Exact kernel below σ 2, box passes from 2 on.
    for (auto [sigma, tolerance] : {std::pair{0.6, 2.0}, std::pair{1.5, 2.0}, std::pair{2.0, 4.0}, std::pair{6.0, 4.0}}) {
        const auto area = grown(*card, sigma);
        const auto out = ci::gaussianBlur(*card, sigma, area);
        ASSERT_TRUE(out);
        ASSERT_EQ(out->width(), area.width);
        ASSERT_EQ(out->height(), area.height);
        const auto expected = reference(*card, sigma, area);
        double worst = 0;
        for (int y = 0; y < out->height(); ++y)
            for (int x = 0; x < out->width(); ++x)
                for (int c = 0; c < 4; ++c)
                    worst = std::max(worst, std::fabs(channel(out->word(x, y), c) - expected[y * area.width + x][c]));
        EXPECT_LE(worst, tolerance) << "sigma " << sigma;
    }
}

TEST(BlurCoreTest, ColourNeverExceedsAlpha) {
    const auto card = testCard();
    for (double sigma : {0.8, 2.5, 7.3, 20.0}) {
        const auto out = ci::gaussianBlur(*card, sigma, grown(*card, sigma));
        ASSERT_TRUE(out);
        for (int y = 0; y < out->height(); ++y)
            for (int x = 0; x < out->width(); ++x) {
                const std::uint32_t word = out->word(x, y);
                for (int c = 0; c < 3; ++c) ASSERT_LE(channel(word, c), channel(word, 3)) << x << "," << y;
            }
    }
}

TEST(BlurCoreTest, OpaqueSquareKeepsItsCentreAndFadesAtCorners) {
    auto square = makeImage(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) put(*square, x, y, 255, 200, 40, 90);
    for (double sigma : {1.5, 4.0}) {
        const auto out = ci::gaussianBlur(*square, sigma, {0, 0, 64, 64});
        ASSERT_TRUE(out);
        EXPECT_EQ(out->word(32, 32), square->word(32, 32)) << sigma;
        // A corner sees a little more than a quarter of the kernel.
        const std::uint32_t corner = channel(out->word(0, 0), 3);
        EXPECT_GT(corner, 64u);
        EXPECT_LT(corner, 110u);
        EXPECT_NEAR(out->pixel(0, 0).r, 200, 1) << "the colour itself is kept";
        // Separable: the corner's share is the square of an edge's.
        const double edge = channel(out->word(32, 0), 3) / 255.0;
        EXPECT_NEAR(corner, edge * edge * 255, 1.5);
    }
}

TEST(BlurCoreTest, SymmetricInputGivesSymmetricOutput) {
    auto image = makeImage(41, 41);
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x)
            if (std::abs(x - 20) + std::abs(y - 20) <= 12) put(*image, x, y, 255, 10, 200, 255);
    for (double sigma : {1.2, 3.0, 9.0}) {
        const auto area = grown(*image, sigma);
        const auto out = ci::gaussianBlur(*image, sigma, area);
        ASSERT_TRUE(out);
        for (int y = 0; y < out->height(); ++y)
            for (int x = 0; x < out->width(); ++x) {
                const int mx = out->width() - 1 - x;
                const int my = out->height() - 1 - y;
                for (int c = 0; c < 4; ++c) {
                    // Running sums go one way, so allow the last rounding to fall either side.
                    ASSERT_NEAR(channel(out->word(x, y), c), channel(out->word(mx, y), c), 1) << sigma;
                    ASSERT_NEAR(channel(out->word(x, y), c), channel(out->word(x, my), c), 1) << sigma;
                    ASSERT_NEAR(channel(out->word(x, y), c), channel(out->word(y, x), c), 1) << sigma;
                }
            }
    }
}

TEST(BlurCoreTest, APartOfTheAreaEqualsTheSamePartOfTheWhole) {
    const auto card = testCard();
    for (double sigma : {1.7, 5.5}) {
        const auto area = grown(*card, sigma);
        const auto whole = ci::gaussianBlur(*card, sigma, area);
        for (ci::PixelRect part : {ci::PixelRect{10, 12, 30, 20}, ci::PixelRect{-5, 60, 100, 30}, ci::PixelRect{0, 0, 90, 76}}) {
            const auto piece = ci::gaussianBlur(*card, sigma, part);
            ASSERT_TRUE(piece);
            EXPECT_TRUE(sameWords(*piece, *whole, part.x - area.x, part.y - area.y)) << sigma;
        }
        // Far away from everything: transparent.
        const auto far = ci::gaussianBlur(*card, sigma, {500, 500, 4, 4});
        ASSERT_TRUE(far);
        EXPECT_TRUE(sameWords(*far, cg::Image(4, 4)));
    }
}

TEST(BlurCoreTest, OddRadiiGiveIdentityOrACappedBlur) {
    const auto card = testCard();
    const ci::PixelRect same{0, 0, 90, 76};
    for (double sigma : {0.0, -3.0, std::nan(""), -std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(ci::effectiveBlurSigma(sigma, 90, 76), 0);
        EXPECT_EQ(ci::blurReach(ci::effectiveBlurSigma(sigma, 90, 76)), 0);
        const auto out = ci::gaussianBlur(*card, sigma, same);
        ASSERT_TRUE(out);
        EXPECT_TRUE(sameWords(*out, *card)) << sigma;
    }
    for (double sigma : {1e9, std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(ci::effectiveBlurSigma(sigma, 90, 76), 180);
        const auto out = ci::gaussianBlur(*card, sigma, same);
        ASSERT_TRUE(out);
        EXPECT_TRUE(sameWords(*out, *ci::gaussianBlur(*card, 180, same)));
        // A faint even wash, nothing left of the shapes.
        EXPECT_LT(channel(out->word(20, 20), 3), 40u);
        EXPECT_GT(channel(out->word(20, 20), 3), 0u);
    }
    EXPECT_FALSE(ci::gaussianBlur(*card, 3, {0, 0, 0, 10}));
    EXPECT_FALSE(ci::gaussianBlur(*card, 3, {0, 0, 20000, 10}));
    EXPECT_FALSE(ci::gaussianBlur(*card, 3, {0, 0, 16000, 16000}));
    EXPECT_TRUE(ci::gaussianBlurAlpha(*card, 3, {0, 0, 20000, 10}).data.empty());
}

TEST(BlurCoreTest, AlphaPlaneMatchesTheImageAlpha) {
    const auto card = testCard();
    for (double sigma : {0.0, 1.1, 4.5}) {
        const auto area = grown(*card, sigma);
        const auto image = ci::gaussianBlur(*card, sigma, area);
        const auto plane = ci::gaussianBlurAlpha(*card, sigma, area, (area.width + 3) / 4 * 4 + 4);
        ASSERT_TRUE(image);
        ASSERT_EQ(plane.width, area.width);
        ASSERT_EQ(plane.height, area.height);
        EXPECT_EQ(plane.stride, (area.width + 3) / 4 * 4 + 4);
        ASSERT_EQ(plane.data.size(), static_cast<std::size_t>(plane.stride * plane.height));
        for (int y = 0; y < plane.height; ++y)
            for (int x = 0; x < plane.width; ++x) ASSERT_EQ(plane.at(x, y), channel(image->word(x, y), 3));
    }
    // A plane without a source is a transparent plane of the asked size.
    const auto blank = ci::gaussianBlurAlpha(nullptr, 10, 10, 10, 2, {0, 0, 5, 5});
    EXPECT_EQ(blank.data, std::vector<std::uint8_t>(25, 0));
}

TEST(BlurCoreTest, WorkerThreadGetsTheSameResult) {
    const auto card = testCard();
    const auto area = grown(*card, 8);
    std::shared_ptr<const cg::Image> fromWorker;
    std::thread worker([&] { fromWorker = ci::gaussianBlur(*card, 8, area); });
    const auto fromMain = ci::gaussianBlur(*card, 8, area);
    worker.join();
    ASSERT_TRUE(fromWorker && fromMain);
    EXPECT_TRUE(sameWords(*fromWorker, *fromMain));
}

} // namespace
} // namespace pellavo
