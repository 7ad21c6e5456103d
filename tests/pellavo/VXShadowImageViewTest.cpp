#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ns/Value.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Pixels.hpp"

namespace pellavo {
namespace {

using Mode = ui::View::ContentMode;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// A w × h picture of one colour at scale 1.
ui::Image solid(const ui::Color& color, double w = 100, double h = 100) {
    ui::graphicsBeginImageContextWithOptions({w, h}, false, 1);
    if (cg::Context* context = ui::graphicsGetCurrentContext()) {
        context->setFillColor(color.cgColor());
        context->fill({0, 0, w, h});
    }
    ui::Image image = ui::graphicsGetImageFromCurrentImageContext();
    ui::graphicsEndImageContext();
    return image;
}

class ShadowImageViewTest : public testing::AppTest {
protected:
    // A 200 × 200 view in the window showing `image`, settled.
    std::shared_ptr<ShadowImageView> shown(const ui::Image& image, Mode mode = Mode::scaleToFill) {
        auto view = ns::make<ShadowImageView>(cg::Rect{0, 0, 200, 200});
        view->setContentMode(mode);
        window()->addSubview(view);
        view->setImage(image);
        settle();
        return view;
    }
    static std::shared_ptr<ui::ImageView> shadowView(const ShadowImageView& view) {
        return std::dynamic_pointer_cast<ui::ImageView>(view.subviews().at(0));
    }
    static std::shared_ptr<ui::ImageView> imageView(const ShadowImageView& view) {
        return std::dynamic_pointer_cast<ui::ImageView>(view.subviews().at(1));
    }
    // The blurred pixels, or null before the first shadow.
    static std::shared_ptr<const cg::Image> shadow(const ShadowImageView& view) {
        const auto& image = shadowView(view)->image();
        return image ? image->cgImage() : nullptr;
    }
};

TEST_F(ShadowImageViewTest, ImageViewsJoinOnTheFirstMoveAndChangesLandTurnByTurn) {
    const ui::Image red = solid(ui::Color::red());
    auto view = ns::make<ShadowImageView>(cg::Rect{0, 0, 200, 200});
    view->setImage(red);
    settle();
    EXPECT_TRUE(view->subviews().empty());
    EXPECT_EQ(view->image(), red);

    window()->addSubview(view);
    EXPECT_EQ(view->backgroundColor(), ui::Color::clear());
    ASSERT_EQ(view->subviews().size(), 2u);
    EXPECT_EQ(imageView(*view)->image(), red);
    settle();
    ASSERT_TRUE(shadow(*view));

    const ui::Image blue = solid(ui::Color::blue(), 50, 50);
    view->setImage(blue);
    EXPECT_EQ(view->image(), red);
    ns::RunLoop::main().runOnce();
    EXPECT_EQ(view->image(), blue);
    EXPECT_EQ(imageView(*view)->frame(), (cg::Rect{50, 50, 100, 100}));
    ns::RunLoop::main().runOnce();
    EXPECT_EQ(imageView(*view)->frame(), (cg::Rect{75, 75, 50, 50}));
}

TEST_F(ShadowImageViewTest, FramesFollowTheShownSizeAndTheShadowSettings) {
    struct Row {
        Mode mode;
        double percentage, x, y;
        cg::Rect image;
        double shadowSide;
        cg::Point centre;
        int pixels;
    };
    const Row rows[] = {
        {Mode::scaleAspectFit, 0, 0, 0, {0, 0, 200, 200}, 280, {100, 100}, 56},
        {Mode::scaleAspectFit, 10, 0, 0, {0, 0, 200, 200}, 308, {100, 100}, 56},
        {Mode::scaleAspectFit, 0, 5, 8, {0, 0, 200, 200}, 280, {105, 108}, 56},
        {Mode::scaleToFill, 0, 0, 0, {50, 50, 100, 100}, 140, {100, 100}, 28},
    };
    for (const Row& row : rows) {
        auto view = shown(solid(ui::Color::red()), row.mode);
        view->setShadowRadiusOffSetPercentage(row.percentage);
        view->setShadowOffSetByX(row.x);
        view->setShadowOffSetByY(row.y);
        settle();
        const auto blurred = shadowView(*view);
        EXPECT_EQ(imageView(*view)->frame(), row.image);
        EXPECT_NEAR(blurred->bounds().width(), row.shadowSide, 1e-9);
        EXPECT_NEAR(blurred->bounds().height(), row.shadowSide, 1e-9);
        EXPECT_EQ(blurred->center(), row.centre);
        EXPECT_EQ(blurred->contentMode(), row.mode);
        ASSERT_TRUE(shadow(*view));
        EXPECT_EQ(shadow(*view)->width(), row.pixels);
        EXPECT_EQ(shadow(*view)->height(), row.pixels);
        EXPECT_EQ(blurred->image()->scale(), 1);
        view->setShadowAlpha(0.5);
        EXPECT_EQ(blurred->alpha(), 0.5);
        view->removeFromSuperview();
    }
}

TEST_F(ShadowImageViewTest, TheShadowIsTheImageBlurredWithAMargin) {
    auto view = shown(solid(ui::Color::red()));
    auto pixels = shadow(*view);
    ASSERT_TRUE(pixels);
    const cg::RGBA8 centre = pixels->pixel(14, 14);
    EXPECT_GE(centre.a, 240);
    EXPECT_NEAR(centre.r, 255, 2);
    EXPECT_NEAR(centre.g, 0, 2);
    EXPECT_LE(pixels->pixel(0, 0).a, 10);
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x) {
            ASSERT_NEAR(pixels->pixel(x, y).a, pixels->pixel(27 - x, y).a, 1) << x << ", " << y;
            ASSERT_NEAR(pixels->pixel(x, y).a, pixels->pixel(x, 27 - y).a, 1) << x << ", " << y;
        }

    view->setBlurRadius(0);
    settle();
    pixels = shadow(*view);
    EXPECT_EQ(pixels->pixel(14, 14).a, 255);
    EXPECT_EQ(pixels->pixel(1, 14).a, 0);

    // The corner radius reaches the shadow with the next render.
    view->setImageCornerRaidus(50);
    EXPECT_EQ(imageView(*view)->layer()->cornerRadius(), 50);
    EXPECT_TRUE(imageView(*view)->layer()->masksToBounds());
    settle();
    EXPECT_EQ(shadow(*view), pixels);
    view->setBlurRadius(0);
    settle();
    EXPECT_EQ(shadow(*view)->pixel(5, 5).a, 0);
    EXPECT_GE(shadow(*view)->pixel(14, 14).a, 250);
}

TEST_F(ShadowImageViewTest, RendersOnlyWhenAskedAndKeepsTheLastShadow) {
    auto view = shown(solid(ui::Color::red()));
    const auto first = shadow(*view);
    ASSERT_TRUE(first);
    settle();
    EXPECT_EQ(shadow(*view), first);
    view->setBlurRadius(6);
    settle();
    const auto second = shadow(*view);
    EXPECT_NE(second, first);
    view->setImage(std::nullopt);
    settle();
    EXPECT_FALSE(view->image());
    EXPECT_EQ(shadow(*view), second);
}

TEST_F(ShadowImageViewTest, TheNewestRenderWinsWhateverOrderTheyFinishIn) {
    auto view = shown(solid(ui::Color(0, 1, 0, 1)));
    const ui::Image red = solid(ui::Color::red());
    const ui::Image blue = solid(ui::Color::blue());
    for (int i = 0; i < 39; ++i) {
        view->setImage(i % 2 == 0 ? red : blue);
        ns::RunLoop::main().runOnce();
    }
    view->setImage(solid(ui::Color::blue(), 50, 50));
    settle();
    const auto pixels = shadow(*view);
    ASSERT_EQ(pixels->width(), 14);
    ASSERT_EQ(pixels->height(), 14);
    const cg::RGBA8 centre = pixels->pixel(7, 7);
    EXPECT_NEAR(centre.b, 255, 2);
    EXPECT_NEAR(centre.r, 0, 2);
}

TEST_F(ShadowImageViewTest, ADroppedViewDiesAtOnceWithARenderInFlight) {
    auto view = ns::make<ShadowImageView>(cg::Rect{0, 0, 200, 200});
    view->setImage(solid(ui::Color::red()));
    ns::RunLoop::main().runOnce();
    ns::RunLoop::main().runOnce();
    const std::weak_ptr<ShadowImageView> weak = view;
    view.reset();
    EXPECT_TRUE(weak.expired());
    settle();
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(ShadowImageViewTest, BadInputIsIgnoredOrGivesNoShadow) {
    for (const Mode mode : {Mode::scaleToFill, Mode::scaleAspectFit}) {
        // The image view takes an image without pixels as none.
        auto empty = shown(ui::Image(), mode);
        EXPECT_FALSE(empty->image());
        EXPECT_EQ(imageView(*empty)->frame(), empty->bounds());
        EXPECT_FALSE(shadow(*empty));
        EXPECT_EQ(empty->getRealImageSize(ui::Image()), (cg::Size{0, 0}));
    }

    auto view = shown(solid(ui::Color::red()), Mode::scaleAspectFit);
    const auto before = shadow(*view);
    ASSERT_TRUE(before);
    view->setFrame({0, 0, 0, 0});
    settle();
    EXPECT_EQ(shadow(*view), before);
    EXPECT_EQ(view->getRealImageSize(solid(ui::Color::red())), (cg::Size{0, 0}));

    for (const double radius : {-5.0, 1e9}) {
        auto blurred = shown(solid(ui::Color::red()));
        blurred->setBlurRadius(radius);
        settle();
        EXPECT_TRUE(shadow(*blurred)) << radius;
    }

    view->setBlurRadius(nan);
    view->setShadowOffSetByX(nan);
    view->setShadowOffSetByY(-nan);
    view->setShadowRadiusOffSetPercentage(nan);
    view->setImageCornerRaidus(nan);
    view->setShadowAlpha(nan);
    EXPECT_EQ(view->blurRadius(), 3);
    EXPECT_EQ(view->shadowOffSetByX(), 0);
    EXPECT_EQ(view->shadowOffSetByY(), 0);
    EXPECT_EQ(view->shadowRadiusOffSetPercentage(), 0);
    EXPECT_EQ(view->imageCornerRaidus(), 0);
    EXPECT_EQ(view->shadowAlpha(), 1);
    settle();
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(ShadowImageViewTest, KnownToTheRuntimeAndLoadedFromAnInterfaceFile) {
    auto& runtime = ns::Runtime::shared();
    EXPECT_EQ(runtime.superclassName("ShadowImageView"), "UIView");
    EXPECT_TRUE(runtime.hasCoderFactory("ShadowImageView"));
    auto view = std::dynamic_pointer_cast<ShadowImageView>(runtime.create("ShadowImageView"));
    ASSERT_TRUE(view);
    view->setFrame({0, 0, 200, 200});
    window()->addSubview(view);
    view->setImage(solid(ui::Color::red()));
    settle();
    const auto first = shadow(*view);
    ASSERT_TRUE(runtime.setValue(*view, "blurRadius", ns::Value::of(6.0)));
    EXPECT_EQ(view->blurRadius(), 6);
    settle();
    EXPECT_NE(shadow(*view), first);

    const char* const xml = R"(<interface version="1">
  <object class="ShadowImageView" frame="0 0 80 80">
    <property name="shadowAlpha" value="0.5"/>
    <property name="shadowOffSetByY" value="4"/>
  </object>
</interface>)";
    const auto objects = ui::Nib::fromData(xml, "Shadow")->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    const auto loaded = std::dynamic_pointer_cast<ShadowImageView>(objects[0]);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->shadowAlpha(), 0.5);
    EXPECT_EQ(loaded->shadowOffSetByY(), 4);
    window()->addSubview(loaded);
    EXPECT_EQ(shadowView(*loaded)->alpha(), 0.5);
}

// Two views changed turn after turn while renders run, one dropped halfway: under the
// thread sanitizer this shows the worker and the main thread share nothing unguarded.
class ShadowImageViewStress : public ShadowImageViewTest {};

TEST_F(ShadowImageViewStress, ManyChangesWhileRendersRun) {
    const ui::Image images[] = {solid(ui::Color::red()), solid(ui::Color::blue(), 60, 90),
                                solid(ui::Color(0, 0.8, 0.2, 1), 120, 40)};
    auto kept = shown(images[0]);
    auto dropped = shown(images[1], Mode::scaleAspectFit);
    for (int i = 0; i < 200; ++i) {
        for (ShadowImageView* view : {kept.get(), dropped.get()}) {
            if (!view) continue;
            switch (i % 5) {
            case 0: view->setImage(images[(i / 5) % 3]); break;
            case 1: view->setBlurRadius(1 + i % 7); break;
            case 2: view->setImageCornerRaidus(i % 30); break;
            case 3: view->setShadowRadiusOffSetPercentage(i % 20); break;
            default:
                view->setShadowOffSetByX(i % 9);
                view->setShadowOffSetByY(-(i % 4));
                break;
            }
        }
        if (i == 100) {
            dropped->removeFromSuperview();
            dropped.reset();
        }
        if (i % 4 == 3) ns::RunLoop::main().runOnce();
    }
    settle();

    // A fresh view given the last values at once draws the same shadow.
    auto reference = ns::make<ShadowImageView>(cg::Rect{0, 0, 200, 200});
    window()->addSubview(reference);
    reference->setBlurRadius(kept->blurRadius());
    reference->setImageCornerRaidus(kept->imageCornerRaidus());
    reference->setShadowRadiusOffSetPercentage(kept->shadowRadiusOffSetPercentage());
    reference->setShadowOffSetByX(kept->shadowOffSetByX());
    reference->setShadowOffSetByY(kept->shadowOffSetByY());
    reference->setImage(kept->image());
    settle();
    EXPECT_EQ(kept->image(), images[(195 / 5) % 3]);
    const auto a = shadow(*kept);
    const auto b = shadow(*reference);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->width(), b->width());
    ASSERT_EQ(a->height(), b->height());
    EXPECT_TRUE(std::equal(a->data(), a->data() + a->byteCount(), b->data()));
    EXPECT_EQ(shadowView(*kept)->frame(), shadowView(*reference)->frame());
}

} // namespace
} // namespace pellavo
