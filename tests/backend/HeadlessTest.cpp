#include "platform/backend/Headless.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/cg/Context.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::backend {
namespace {

using HeadlessScreen = pellavo::testing::AppTest;

class Disc : public ui::View {
public:
    using View::View;
    void draw(cg::Rect rect) override {
        auto* context = ui::graphicsGetCurrentContext();
        context->setFillColor({0, 0, 1, 1});
        context->fill(rect.insetBy(rect.size.width / 4, rect.size.height / 4));
    }
};

TEST_F(HeadlessScreen, ComposesEveryVisibleWindowAtTheScreenScale) {
    window()->setBackgroundColor(ui::Color::white());
    auto red = ns::make<ui::View>(cg::Rect{10, 10, 100, 50});
    red->setBackgroundColor(ui::Color::red());
    window()->addSubview(red);
    auto drawn = ns::make<Disc>(cg::Rect{200, 400, 80, 80});
    window()->addSubview(drawn);

    // A second window covering the lower half, transparent but for one green view.
    auto overlay = ns::make<ui::Window>(cg::Rect{0, 333.5, 375, 333.5});
    auto green = ns::make<ui::View>(cg::Rect{0, 0, 50, 50});
    green->setBackgroundColor(ui::Color(0, 1, 0, 1));
    overlay->addSubview(green);
    overlay->setIsHidden(false);

    const auto image = Headless::renderScreen();
    ASSERT_EQ(image->width(), 750);
    ASSERT_EQ(image->height(), 1334);
    EXPECT_EQ(image->pixel(30, 30), (cg::RGBA8{255, 0, 0, 255}));
    EXPECT_EQ(image->pixel(300, 30), (cg::RGBA8{255, 255, 255, 255}));
    // The drawn view's own content, drawn by the display pass the render ran first.
    EXPECT_EQ(image->pixel(480, 880), (cg::RGBA8{0, 0, 255, 255}));
    EXPECT_EQ(image->pixel(405, 805), (cg::RGBA8{255, 255, 255, 255}));
    // The overlay paints over the window below it and lets the rest show through.
    EXPECT_EQ(image->pixel(20, 690), (cg::RGBA8{0, 255, 0, 255}));
    EXPECT_EQ(image->pixel(200, 690), (cg::RGBA8{255, 255, 255, 255}));

    overlay->setIsHidden(true);
    EXPECT_EQ(Headless::renderScreen()->pixel(20, 690), (cg::RGBA8{255, 255, 255, 255}));
}

TEST_F(HeadlessScreen, WritesAPngOfTheWholeScreen) {
    auto red = ns::make<ui::View>(cg::Rect{0, 0, 375, 100});
    red->setBackgroundColor(ui::Color::red());
    window()->addSubview(red);
    const auto path = std::filesystem::path(PELLAVO_BUILD_DIR) / "headless-screen.png";
    ASSERT_TRUE(Headless::renderScreenPNG(path.string()));
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) bytes[i] = static_cast<std::byte>(raw[i]);
    const auto decoded = ui::Image::fromData(bytes);
    ASSERT_FALSE(decoded.isEmpty());
    EXPECT_EQ(decoded.cgImage()->width(), 750);
    EXPECT_EQ(decoded.cgImage()->height(), 1334);
    EXPECT_EQ(decoded.cgImage()->pixel(5, 5), (cg::RGBA8{255, 0, 0, 255}));
    EXPECT_EQ(decoded.cgImage()->pixel(5, 500).a, 0);

    EXPECT_FALSE(Headless::renderScreenPNG("/nonexistent-dir/screen.png"));
    EXPECT_EQ(loggedLines().size(), 1u);
}

TEST_F(HeadlessScreen, NoVisibleWindowGivesATransparentScreen) {
    window()->setIsHidden(true);
    const auto image = Headless::renderScreen();
    EXPECT_EQ(image->width(), 750);
    EXPECT_EQ(image->pixel(10, 10).a, 0);
}

} // namespace
} // namespace pellavo::backend
