#include "platform/ui/graphics/GraphicsContext.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "platform/ns/Console.hpp"
#include "platform/ui/view/Screen.hpp"

using namespace pellavo;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(GraphicsContextTest, ScaleZeroUsesTheScreenScale) {
    ASSERT_EQ(ui::Screen::main().scale(), 2);
    ui::graphicsBeginImageContextWithOptions({10, 5}, false, 0);
    cg::Context* c = ui::graphicsGetCurrentContext();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->pixelWidth(), 20);
    EXPECT_EQ(c->pixelHeight(), 10);
    EXPECT_EQ(c->ctm(), cg::AffineTransform::makeScale(2, 2));
    ui::graphicsEndImageContext();
    EXPECT_EQ(ui::graphicsGetCurrentContext(), nullptr);
}

TEST(GraphicsContextTest, PixelSidesRoundUp) {
    ui::graphicsBeginImageContextWithOptions({17.32050807568877, 20}, false, 2);
    cg::Context* c = ui::graphicsGetCurrentContext();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->pixelWidth(), 35);
    EXPECT_EQ(c->pixelHeight(), 40);
    const ui::Image image = ui::graphicsGetImageFromCurrentImageContext();
    ui::graphicsEndImageContext();
    ASSERT_NE(image.cgImage(), nullptr);
    EXPECT_EQ(image.cgImage()->width(), 35);
    EXPECT_EQ(image.cgImage()->height(), 40);
    EXPECT_EQ(image.scale(), 2);
    EXPECT_EQ(image.size().height, 20);
    // The picture measures what was asked for, not the rounded-up pixels.
    EXPECT_EQ(image.size().width, 17.32050807568877);
    // Rounding noise in the product does not add a column.
    ui::graphicsBeginImageContextWithOptions({10.1, 1}, false, 3);
    ASSERT_NE(ui::graphicsGetCurrentContext(), nullptr);
    EXPECT_EQ(ui::graphicsGetCurrentContext()->pixelWidth(), 31);
    ui::graphicsEndImageContext();
}

TEST(GraphicsContextTest, UserSpaceIsPointsFromTheTopLeft) {
    ui::graphicsBeginImageContextWithOptions({4, 4}, false, 2);
    cg::Context* c = ui::graphicsGetCurrentContext();
    ASSERT_NE(c, nullptr);
    c->setFillColor({1, 0, 0, 1});
    c->fill({0, 0, 1, 1});
    const auto img = ui::graphicsGetImageFromCurrentImageContext().cgImage();
    ui::graphicsEndImageContext();
    EXPECT_EQ(img->pixel(0, 0).a, 255);
    EXPECT_EQ(img->pixel(1, 1).a, 255);
    EXPECT_EQ(img->pixel(2, 2).a, 0);
    EXPECT_EQ(img->pixel(0, 7).a, 0);
}

TEST(GraphicsContextTest, OpaqueStartsBlackOtherwiseTransparent) {
    ui::graphicsBeginImageContextWithOptions({2, 2}, true, 1);
    EXPECT_EQ(ui::graphicsGetCurrentContext()->makeImage()->pixel(1, 1), (cg::RGBA8{0, 0, 0, 255}));
    ui::graphicsEndImageContext();
    ui::graphicsBeginImageContext({2, 2});
    cg::Context* c = ui::graphicsGetCurrentContext();
    EXPECT_EQ(c->pixelWidth(), 2);  // scale 1
    EXPECT_EQ(c->makeImage()->pixel(1, 1), (cg::RGBA8{0, 0, 0, 0}));
    ui::graphicsEndImageContext();
}

TEST(GraphicsContextTest, BadSizesPushAPlaceholder) {
    const cg::Size sizes[] = {{0, 10}, {10, -1}, {nan, 5}, {5, std::numeric_limits<double>::infinity()},
                              {20000, 1}, {9000, 9000}};
    ui::graphicsBeginImageContextWithOptions({3, 3}, false, 1);
    cg::Context* outer = ui::graphicsGetCurrentContext();
    ASSERT_NE(outer, nullptr);
    for (const cg::Size& size : sizes) {
        ns::ConsoleCapture capture;
        ui::graphicsBeginImageContextWithOptions(size, false, 1);
        EXPECT_EQ(ui::graphicsGetCurrentContext(), nullptr) << size.width << " x " << size.height;
        EXPECT_TRUE(ui::graphicsGetImageFromCurrentImageContext().isEmpty());
        EXPECT_EQ(capture.loggedLines().size(), 1u);
        EXPECT_TRUE(capture.printedLines().empty());
        ui::graphicsEndImageContext();
        EXPECT_EQ(ui::graphicsGetCurrentContext(), outer);
    }
    ui::graphicsEndImageContext();
    EXPECT_EQ(ui::graphicsGetCurrentContext(), nullptr);
    ui::graphicsEndImageContext();  // without a begin: nothing
    EXPECT_EQ(ui::graphicsGetCurrentContext(), nullptr);
}

TEST(GraphicsContextTest, NestingAndPushedContexts) {
    auto external = cg::Context::makeBitmap(1, 1, false);
    ui::graphicsBeginImageContext({4, 4});
    cg::Context* a = ui::graphicsGetCurrentContext();
    ui::graphicsBeginImageContext({8, 8});
    cg::Context* b = ui::graphicsGetCurrentContext();
    EXPECT_NE(a, b);
    EXPECT_EQ(b->pixelWidth(), 8);
    ui::graphicsPushContext(*external);
    EXPECT_EQ(ui::graphicsGetCurrentContext(), external.get());
    EXPECT_TRUE(ui::graphicsGetImageFromCurrentImageContext().isEmpty());
    ui::graphicsEndImageContext();  // the top is not an image context: ignored
    EXPECT_EQ(ui::graphicsGetCurrentContext(), external.get());
    ui::graphicsPopContext();
    EXPECT_EQ(ui::graphicsGetCurrentContext(), b);
    ui::graphicsPopContext();  // the top is an image context: ignored
    EXPECT_EQ(ui::graphicsGetCurrentContext(), b);
    ui::graphicsEndImageContext();
    EXPECT_EQ(ui::graphicsGetCurrentContext(), a);
    ui::graphicsEndImageContext();
    EXPECT_EQ(ui::graphicsGetCurrentContext(), nullptr);
}

TEST(GraphicsContextTest, EachThreadHasItsOwnStack) {
    ui::graphicsBeginImageContext({4, 4});
    cg::Context* mine = ui::graphicsGetCurrentContext();
    cg::Context* seenOnWorker = mine;
    int workerWidth = 0;
    std::thread worker([&] {
        seenOnWorker = ui::graphicsGetCurrentContext();
        ui::graphicsBeginImageContextWithOptions({3, 3}, false, 0);
        workerWidth = ui::graphicsGetCurrentContext()->pixelWidth();
        ui::graphicsEndImageContext();
    });
    worker.join();
    EXPECT_EQ(seenOnWorker, nullptr);
    EXPECT_EQ(workerWidth, 6);
    EXPECT_EQ(ui::graphicsGetCurrentContext(), mine);
    ui::graphicsEndImageContext();
}

} // namespace
