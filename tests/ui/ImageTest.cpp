#include "platform/ui/Image.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace pellavo {
namespace {

// Premultiplied ARGB32 from straight components.
std::uint32_t argb(int r, int g, int b, int a) {
    auto mul = [a](int c) { return static_cast<std::uint32_t>((c * a + 127) / 255); };
    return (static_cast<std::uint32_t>(a) << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}

std::shared_ptr<const cg::Image> imageOf(int width, int height, const std::vector<std::uint32_t>& words) {
    auto image = std::make_shared<cg::Image>(width, height);
    for (int y = 0; y < height; ++y)
        std::memcpy(image->mutableData() + y * image->stride(), words.data() + y * width, width * 4);
    return image;
}

TEST(ImageValueTest, EmptyAndScaledSizes) {
    const ui::Image empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.size(), cg::Size(0, 0));
    EXPECT_EQ(empty.scale(), 1);
    EXPECT_TRUE(empty.pngData().empty());
    EXPECT_TRUE(ui::Image(std::make_shared<cg::Image>(0, 5), 2).isEmpty());

    auto pixels = std::make_shared<cg::Image>(35, 40);
    const ui::Image image(pixels, 2);
    EXPECT_FALSE(image.isEmpty());
    EXPECT_EQ(image.size(), cg::Size(17.5, 20));
    EXPECT_EQ(image.cgImage(), pixels);

    for (double bad : {0.0, -2.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(ui::Image(pixels, bad).scale(), 1) << bad;
}

TEST(ImageValueTest, RenderingModeKeepsPixels) {
    const ui::Image image(std::make_shared<cg::Image>(2, 2), 3);
    EXPECT_EQ(image.renderingMode(), ui::ImageRenderingMode::automatic);
    const auto tinted = image.withRenderingMode(ui::ImageRenderingMode::alwaysTemplate);
    EXPECT_EQ(tinted.renderingMode(), ui::ImageRenderingMode::alwaysTemplate);
    EXPECT_EQ(tinted.cgImage(), image.cgImage());
    EXPECT_EQ(tinted.scale(), 3);
    EXPECT_EQ(image.renderingMode(), ui::ImageRenderingMode::automatic);
    EXPECT_FALSE(tinted == image);
    EXPECT_TRUE(tinted.withRenderingMode(ui::ImageRenderingMode::automatic) == image);
}

TEST(ImageCodecTest, EncodeDecodeIsExact) {
    // Every alpha level with colours that survive premultiplication.
    std::vector<std::uint32_t> words;
    for (int a = 0; a < 256; ++a) words.push_back(argb((a * 7) % 256, 255 - a, a / 2, a));
    for (int a = 0; a < 256; ++a) words.push_back(argb(255, 0, 128, a));
    const auto source = imageOf(256, 2, words);
    const ui::Image image(source, 2);
    const auto png = image.pngData();
    ASSERT_FALSE(png.empty());
    const auto decoded = ui::Image::fromData(png);
    ASSERT_FALSE(decoded.isEmpty());
    EXPECT_EQ(decoded.scale(), 1);
    ASSERT_EQ(decoded.cgImage()->width(), 256);
    ASSERT_EQ(decoded.cgImage()->height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(decoded.cgImage()->word(x, y), source->word(x, y)) << x << "," << y;
}

} // namespace
} // namespace pellavo
