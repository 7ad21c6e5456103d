#include "platform/ui/control/ImageView.hpp"

#include <gtest/gtest.h>

#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using testing::expectPixelNear;
using testing::pixelAt;
using testing::renderView;
using testing::solidImage;
using Mode = View::ContentMode;

constexpr cg::RGBA8 kRed{255, 0, 0, 255};
constexpr cg::RGBA8 kWhite{255, 255, 255, 255};

class ImageViewTest : public testing::AppTest {};

struct ModeCase {
    Mode mode;
    cg::Rect expected; // where the 20 × 10 image lands in the 40 × 40 view
};

TEST_F(ImageViewTest, ContentModesPlaceTheImage) {
    const ModeCase cases[] = {
        {Mode::scaleToFill, {0, 0, 40, 40}},   {Mode::scaleAspectFit, {0, 10, 40, 20}},
        {Mode::scaleAspectFill, {0, 0, 40, 40}}, {Mode::center, {10, 15, 20, 10}},
        {Mode::topLeft, {0, 0, 20, 10}},       {Mode::bottomRight, {20, 30, 20, 10}},
        {Mode::top, {10, 0, 20, 10}},          {Mode::right, {20, 15, 20, 10}},
    };
    for (const auto& c : cases) {
        auto container = ns::make<View>(cg::Rect{0, 0, 40, 40});
        container->setBackgroundColor(Color::white());
        auto view = ns::make<ImageView>(solidImage(20, 10, kRed));
        EXPECT_EQ(view->frame(), (cg::Rect{0, 0, 20, 10}));
        view->setFrame({0, 0, 40, 40});
        view->setContentMode(c.mode);
        container->addSubview(view);
        const auto picture = renderView(*container);
        for (double y = 1; y < 40; y += 2) {
            for (double x = 1; x < 40; x += 2) {
                const bool inside = c.expected.contains({x, y});
                expectPixelNear(pixelAt(picture, x, y), inside ? kRed : kWhite, 0);
                if (::testing::Test::HasFailure()) {
                    ADD_FAILURE() << "mode " << static_cast<int>(c.mode) << " at " << x << ", " << y;
                    return;
                }
            }
        }
    }
}

TEST_F(ImageViewTest, TheImageScaleSetsItsSizeInPoints) {
    auto view = ns::make<ImageView>(solidImage(40, 20, kRed, 2));
    EXPECT_EQ(view->intrinsicContentSize(), (cg::Size{20, 10}));
    view->setFrame({0, 0, 40, 40});
    view->setContentMode(Mode::topLeft);
    auto container = ns::make<View>(cg::Rect{0, 0, 40, 40});
    container->addSubview(view);
    const auto picture = renderView(*container);
    expectPixelNear(pixelAt(picture, 19, 9), kRed, 0);
    expectPixelNear(pixelAt(picture, 21, 11), {0, 0, 0, 0}, 0);
}

TEST_F(ImageViewTest, ATemplateImageDrawsInTheTintAndIsCachedPerTint) {
    auto container = ns::make<View>(cg::Rect{0, 0, 20, 20});
    container->setTintColor(Color(0, 1, 0, 1));
    auto view = ns::make<ImageView>(
        solidImage(20, 20, {255, 0, 0, 128}).withRenderingMode(Image::RenderingMode::alwaysTemplate));
    container->addSubview(view);
    expectPixelNear(pixelAt(renderView(*container), 10, 10), {0, 255, 0, 128}, 1);
    const auto tinted = view->layer()->contents();

    // The same tint again reuses the rendering; another tint makes a new one.
    container->setTintColor(Color(0, 1, 0, 1));
    view->tintColorDidChange();
    EXPECT_EQ(view->layer()->contents(), tinted);
    container->setTintColor(Color(0, 0, 1, 1));
    EXPECT_NE(view->layer()->contents(), tinted);
    expectPixelNear(pixelAt(renderView(*container), 10, 10), {0, 0, 255, 128}, 1);

    // An original image is shown as it is.
    view->setImage(solidImage(20, 20, kRed));
    expectPixelNear(pixelAt(renderView(*container), 10, 10), kRed, 0);
}

TEST_F(ImageViewTest, SizesFollowTheImage) {
    auto view = ns::make<ImageView>();
    EXPECT_EQ(view->intrinsicContentSize(), (cg::Size{-1, -1}));
    EXPECT_FALSE(view->isUserInteractionEnabled());
    view->setImage(solidImage(12, 7, kRed));
    EXPECT_EQ(view->intrinsicContentSize(), (cg::Size{12, 7}));
    view->sizeToFit();
    EXPECT_EQ(view->bounds().size, (cg::Size{12, 7}));
    view->setImage(std::nullopt);
    EXPECT_EQ(view->layer()->contents(), nullptr);
    view->setImage(Image());
    EXPECT_FALSE(view->image());
}

} // namespace
} // namespace pellavo::ui
