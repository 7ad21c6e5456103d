#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ns/Runtime.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo {
namespace {

using P = PastelView::PastelPoint;

cg::Color hex(std::uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1};
}

const std::vector<cg::Color> kDefaults = {hex(0x9C27B0), hex(0xFF4081), hex(0x7B1FA2), hex(0x204CFF),
                                          hex(0x209EFF), hex(0x5A787F), hex(0x3AFFD9)};

// Pair i of the default list.
std::vector<cg::Color> pair(std::size_t i) { return {kDefaults[i % 7], kDefaults[(i + 1) % 7]}; }

class PastelViewTest : public testing::AppTest {
protected:
    std::shared_ptr<PastelView> started() {
        auto view = ns::make<PastelView>(cg::Rect{0, 0, 100, 60});
        window()->addSubview(view);
        view->startAnimation();
        return view;
    }
    static std::shared_ptr<ca::GradientLayer> gradient(const PastelView& view) {
        const auto& sublayers = view.layer()->sublayers();
        return sublayers.empty() ? nullptr : std::dynamic_pointer_cast<ca::GradientLayer>(sublayers.front());
    }
    static std::shared_ptr<const ca::BasicAnimation> step(const PastelView& view) {
        return std::dynamic_pointer_cast<const ca::BasicAnimation>(gradient(view)->animation("ColorChange"));
    }
    static std::vector<cg::Color> target(const PastelView& view) {
        return std::get<std::vector<cg::Color>>(*step(view)->toValue());
    }
};

TEST_F(PastelViewTest, EnumerationsMapRawValuesPointsAndColourLists) {
    auto view = ns::make<PastelView>();
    EXPECT_EQ(view->startPoint(), (cg::Point{1, 0}));
    EXPECT_EQ(view->endPoint(), (cg::Point{0, 1}));
    view->setStartPastelPoint(P::left);
    view->setEndPastelPoint(P::bottomRight);
    EXPECT_EQ(view->startPoint(), (cg::Point{0, 0.5}));
    EXPECT_EQ(view->endPoint(), (cg::Point{1, 1}));
    for (int raw : {0, 7}) EXPECT_EQ(PastelView::pastelPointFromRawValue(raw), static_cast<P>(raw));
    for (int raw : {8, -1}) EXPECT_FALSE(PastelView::pastelPointFromRawValue(raw)) << raw;
    EXPECT_EQ(pastelgradient::fromRawValue(9), PastelGradient::skyIce);
    EXPECT_FALSE(pastelgradient::fromRawValue(10));
    EXPECT_FALSE(pastelgradient::fromRawValue(-1));

    struct Row {
        std::size_t count;
        std::uint32_t first;
        std::uint32_t last;
    };
    const Row rows[] = {{2, 0xFF9A9E, 0xFAD0C4}, {2, 0xA18CD1, 0xFBC2EB}, {2, 0xFAD0C4, 0xFFD1FF},
                        {2, 0xFFECD2, 0xFCB69F}, {6, 0xFF8177, 0xB12A5B}, {3, 0xFF9A9E, 0xFECFEF},
                        {2, 0xF6D365, 0xFDA085}, {2, 0xFBC2EB, 0xA6C1EE}, {3, 0xFDCBF1, 0xE6DEE9},
                        {2, 0xA1C4FD, 0xC2E9FB}};
    for (int raw = 0; raw < 10; ++raw) {
        const auto colors = pastelgradient::colors(*pastelgradient::fromRawValue(raw));
        ASSERT_EQ(colors.size(), rows[raw].count) << raw;
        EXPECT_EQ(colors.front().cgColor(), hex(rows[raw].first)) << raw;
        EXPECT_EQ(colors.back().cgColor(), hex(rows[raw].last)) << raw;
    }
}

TEST_F(PastelViewTest, StartInsertsTheGradientAndAnimatesTowardTheNextPair) {
    auto view = ns::make<PastelView>(cg::Rect{0, 0, 100, 60});
    window()->addSubview(view);
    EXPECT_TRUE(view->layer()->sublayers().empty());
    view->setStartPastelPoint(P::top);
    view->startAnimation();

    const auto layer = gradient(*view);
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->colors(), pair(0));
    EXPECT_EQ(layer->startPoint(), (cg::Point{0.5, 0}));
    EXPECT_EQ(layer->endPoint(), (cg::Point{0, 1}));
    EXPECT_EQ(layer->frame(), view->bounds());
    EXPECT_TRUE(layer->drawsAsynchronously());
    const auto animation = step(*view);
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->keyPath(), "colors");
    EXPECT_FALSE(animation->fromValue());
    EXPECT_EQ(target(*view), pair(1));
    EXPECT_EQ(animation->duration(), 5);
    EXPECT_EQ(animation->fillMode(), ca::FillMode::forwards);
    EXPECT_FALSE(animation->isRemovedOnCompletion());
}

TEST_F(PastelViewTest, EachStepChainsTheNextThroughTheDelegate) {
    auto view = started();
    advance(2.5);
    const auto shown = std::dynamic_pointer_cast<ca::GradientLayer>(gradient(*view)->presentation())->colors();
    ASSERT_EQ(shown.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const cg::Color from = pair(0)[i], to = pair(1)[i];
        EXPECT_NEAR(shown[i].red, (from.red + to.red) / 2, 1e-3) << i;
        EXPECT_NEAR(shown[i].green, (from.green + to.green) / 2, 1e-3) << i;
        EXPECT_NEAR(shown[i].blue, (from.blue + to.blue) / 2, 1e-3) << i;
    }
    advance(10);
    EXPECT_EQ(gradient(*view)->colors(), pair(2));
    EXPECT_EQ(target(*view), pair(3));
    advance(22.5); // 35 s: seven steps, round the list
    EXPECT_EQ(gradient(*view)->colors(), pair(0));

    auto salmon = started();
    salmon->setPastelGradient(PastelGradient::salmonRaspberry);
    advance(25);
    EXPECT_EQ(gradient(*salmon)->colors(), (std::vector<cg::Color>{hex(0xB12A5B), hex(0xFF8177)}));
}

TEST_F(PastelViewTest, ListChangesWaitForTheNextStepAndRestartsContinue) {
    auto view = started();
    advance(1);
    const auto running = gradient(*view)->animation("ColorChange");
    view->setColors({ui::Color::red(), ui::Color::blue()});
    EXPECT_EQ(gradient(*view)->animation("ColorChange"), running);
    advance(4);
    // Step two of the new list: index 2 is red again.
    EXPECT_EQ(target(*view), (std::vector<cg::Color>{ui::Color::red().cgColor(), ui::Color::blue().cgColor()}));
    view->setColors({});
    advance(5);
    EXPECT_EQ(target(*view), (std::vector<cg::Color>{ui::Color::blue().cgColor(), ui::Color::red().cgColor()}));
    view->setPastelGradient(PastelGradient::skyIce);
    view->addColor(ui::Color::white());
    advance(5);
    EXPECT_EQ(gradient(*view)->colors(), (std::vector<cg::Color>{hex(0xA1C4FD), hex(0xC2E9FB)}));
    EXPECT_EQ(target(*view), (std::vector<cg::Color>{hex(0xC2E9FB), ui::Color::white().cgColor()}));

    auto single = started();
    single->setColors({ui::Color::red()});
    advance(5);
    EXPECT_EQ(target(*single), (std::vector<cg::Color>{ui::Color::red().cgColor(), ui::Color::red().cgColor()}));

    auto restarted = started();
    advance(7);
    restarted->startAnimation();
    EXPECT_EQ(gradient(*restarted)->colors(), pair(2));
    EXPECT_EQ(target(*restarted), pair(3));
    advance(4.9);
    EXPECT_EQ(gradient(*restarted)->colors(), pair(2));
    advance(0.2);
    EXPECT_EQ(gradient(*restarted)->colors(), pair(3));
    advance(4.8);
    EXPECT_EQ(gradient(*restarted)->colors(), pair(3));
    advance(0.2);
    EXPECT_EQ(gradient(*restarted)->colors(), pair(4));
}

TEST_F(PastelViewTest, RemovalEndsTheCycleAndADroppedViewIsFreed) {
    auto view = started();
    advance(6);
    const auto layer = gradient(*view);
    view->removeFromSuperview();
    EXPECT_TRUE(layer->animationKeys().empty());
    EXPECT_FALSE(layer->superlayer());
    advance(20);
    EXPECT_EQ(layer->colors(), pair(1));
    EXPECT_TRUE(layer->animationKeys().empty());

    auto loose = ns::make<PastelView>(cg::Rect{0, 0, 10, 10});
    loose->startAnimation();
    const std::weak_ptr<PastelView> weak = loose;
    loose.reset();
    EXPECT_TRUE(weak.expired());
    advance(10);

    // A duration that is not positive runs the platform's 0.25 s per step.
    auto quick = ns::make<PastelView>(cg::Rect{0, 0, 10, 10});
    window()->addSubview(quick);
    quick->setAnimationDuration(0);
    quick->startAnimation();
    advance(1);
    EXPECT_EQ(gradient(*quick)->colors(), pair(4));
    EXPECT_EQ(target(*quick), pair(5));
}

TEST_F(PastelViewTest, KnownToTheRuntimeByName) {
    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(std::dynamic_pointer_cast<PastelView>(runtime.create("PastelView")));
    EXPECT_TRUE(runtime.hasCoderFactory("PastelView"));
    EXPECT_EQ(runtime.superclassName("PastelView"), "UIView");
}

// The gallery's page as the gallery writes it: the shadows are there only if the picture
// waited for the worker queue. The content under the bar is compared.
TEST(PastelAndShadowGolden, GalleryPage) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("pellavo-pastel-" + std::to_string(::getpid()));
    const std::string command = std::string(PELLAVO_BUILD_DIR) + "/bin/pellavo-gallery --png " + dir.string() +
                                " --page PastelAndShadow >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream in(dir / "PastelAndShadow.png", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    fs::remove_all(dir);
    const auto page = ui::Image::fromData(std::as_bytes(std::span(bytes.data(), bytes.size())));
    ASSERT_TRUE(page.cgImage());
    const cg::Image& full = *page.cgImage();
    // Below the status area and the 44-point bar, at scale 2.
    const int top = full.height() - 623 * 2;
    ASSERT_GT(top, 0);
    const auto* rows = full.data() + static_cast<std::size_t>(top) * static_cast<std::size_t>(full.stride());
    const cg::Image content(full.width(), 623 * 2, full.stride(),
                            std::vector<std::uint8_t>(rows, full.data() + full.byteCount()));
    testing::expectMatchesGolden(content, "pellavo_pastel_shadow");
}

} // namespace
} // namespace pellavo
