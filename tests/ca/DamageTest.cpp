// Frames drawn by redrawing only what changed against the same frames drawn whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/cg/Context.hpp"
#include "tests/ca/AnimationTestSupport.hpp"

namespace {

using namespace pellavo;
using cg::Color;
using cg::Rect;

int fromEnvironment(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value ? std::max(1, std::atoi(value)) : otherwise;
}

class DamageTest : public pellavo::testing::AnimationFixture {
protected:
    std::mt19937 random_;
    std::vector<std::shared_ptr<ca::Layer>> layers_; // every layer made, attached or not
    std::shared_ptr<ca::Layer> root_;
    cg::ImageRef picture_;

    double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(random_); }
    std::size_t below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
    bool chance(double p) { return uniform(0, 1) < p; }
    Color color() { return {uniform(0, 1), uniform(0, 1), uniform(0, 1), chance(0.3) ? uniform(0.2, 1) : 1}; }
    Rect frame() { return {uniform(-20, 110), uniform(-20, 110), uniform(2, 60), uniform(2, 60)}; }

    std::shared_ptr<ca::Layer> makeLayer() {
        std::shared_ptr<ca::Layer> layer;
        switch (below(5)) {
        case 0: {
            auto shape = ns::make<ca::ShapeLayer>();
            shape->setPath(cg::Path::ellipse({uniform(-5, 10), uniform(-5, 10), uniform(5, 40), uniform(5, 40)}));
            shape->setFillColor(chance(0.5) ? std::optional<Color>(color()) : std::nullopt);
            shape->setStrokeColor(color());
            shape->setLineWidth(uniform(0, 6));
            shape->setStrokeEnd(uniform(0.2, 1));
            layer = shape;
            break;
        }
        case 1: {
            auto gradient = ns::make<ca::GradientLayer>();
            gradient->setColors({color(), color()});
            layer = gradient;
            break;
        }
        case 2:
            layer = ns::make<ca::Layer>();
            layer->setContents(picture_);
            layer->setContentsGravity(chance(0.5) ? ca::ContentsGravity::center : ca::ContentsGravity::resize);
            if (chance(0.5)) layer->setContentsScale(2); // a pixel per device pixel, as text draws

            break;
        default: layer = ns::make<ca::Layer>(); break;
        }
        layer->setFrame(frame());
        if (chance(0.7)) layer->setBackgroundColor(color());
        if (chance(0.3)) layer->setCornerRadius(uniform(0, 12));
        layers_.push_back(layer);
        return layer;
    }

    std::vector<std::shared_ptr<ca::Layer>> attached() {
        std::vector<std::shared_ptr<ca::Layer>> out;
        for (const auto& layer : layers_)
            if (layer == root_ || layer->isDescendant(*root_)) out.push_back(layer);
        return out;
    }

    // One random change to the tree; says what it did.
    std::string step() {
        auto tree = attached();
        const auto layer = tree[below(tree.size())];
        const bool isRoot = layer == root_;
        switch (below(14)) {
        case 0: layer->addSublayer(makeLayer()); return "add";
        case 1:
            if (isRoot) return "none";
            layer->removeFromSuperlayer();
            return "remove";
        case 2: {
            if (isRoot) return "none";
            const auto parent = layer->superlayer();
            parent->insertSublayer(layer, static_cast<std::ptrdiff_t>(below(parent->sublayers().size() + 1)));
            return "reorder";
        }
        case 3: {
            // Moves into another part of the tree, never under itself.
            const auto target = tree[below(tree.size())];
            if (isRoot || target->isDescendant(*layer)) return "none";
            target->addSublayer(layer);
            return "move";
        }
        case 4: layer->setBackgroundColor(chance(0.8) ? std::optional<Color>(color()) : std::nullopt); return "colour";
        case 5: layer->setOpacity(static_cast<float>(chance(0.3) ? 1 : uniform(0, 1))); return "opacity";
        case 6: layer->setPosition({uniform(-10, 120), uniform(-10, 120)}); return "position";
        case 7: layer->setBounds({0, 0, uniform(1, 70), uniform(1, 70)}); return "bounds";
        case 8:
            layer->setBorderWidth(chance(0.5) ? uniform(0, 4) : 0);
            layer->setBorderColor(color());
            return "border";
        case 9:
            layer->setShadowOpacity(static_cast<float>(chance(0.5) ? uniform(0.2, 1) : 0));
            layer->setShadowRadius(uniform(0, 5));
            layer->setShadowOffset({uniform(-4, 4), uniform(-4, 4)});
            return "shadow";
        case 10: layer->setMasksToBounds(!layer->masksToBounds()); return "mask";
        case 11:
            layer->setTransform(chance(0.3) ? ca::Transform3D()
                                            : ca::Transform3D::makeRotation(uniform(-3, 3), 0, 0, 1)
                                                  .scaled(uniform(0.5, 1.5), 1, 1));
            return "transform";
        case 12: layer->setIsHidden(chance(0.2)); return "hidden";
        default: {
            const char* keys[] = {"position", "opacity", "bounds", "backgroundColor"};
            const char* key = keys[below(4)];
            std::optional<ca::Value> to;
            if (key == keys[0]) to = ca::Value(cg::Point(uniform(0, 110), uniform(0, 110)));
            else if (key == keys[1]) to = ca::Value(uniform(0, 1));
            else if (key == keys[2]) to = ca::Value(Rect(0, 0, uniform(1, 50), uniform(1, 50)));
            else to = ca::Value(std::optional<Color>(color()));
            layer->addAnimation(pellavo::testing::basicAnimation(key, std::nullopt, to, uniform(0.05, 0.5)), key);
            return std::string("animate ") + key;
        }
        }
    }

    void run(unsigned seed, int steps) {
        random_.seed(seed);
        layers_.clear();
        auto pixels = cg::Context::makeBitmap(12, 12, false);
        pixels->setFillColor(Color(0.9, 0.3, 0.1, 1));
        pixels->fill(Rect(2, 2, 6, 9));
        picture_ = pixels->makeImage();
        root_ = ns::make<ca::Layer>();
        root_->setFrame({0, 0, 100, 100});
        root_->setBackgroundColor(Color(1, 1, 1, 1));
        layers_.push_back(root_);
        for (int i = 0; i < 30; ++i) {
            auto tree = attached();
            tree[below(tree.size())]->addSublayer(makeLayer());
        }
        ca::Renderer changes({100, 100}, 2), whole({100, 100}, 2);
        std::string history;
        for (int i = 0; i < steps; ++i) {
            history = step();
            ca::Transaction::flush();
            advance(1.0 / 60);
            const auto mode = ca::RenderMode::presentation(ca::currentMediaTime());
            const cg::Image& fast = changes.renderChanges(*root_, mode);
            const cg::Image& full = whole.render(*root_, mode);
            ASSERT_EQ(fast.byteCount(), full.byteCount());
            if (std::memcmp(fast.data(), full.data(), full.byteCount()) != 0) {
                int at = 0;
                while (fast.data()[at] == full.data()[at]) ++at;
                const int pixel = at / 4;
                FAIL() << "seed " << seed << ", step " << i << " (" << history << "): pixel ("
                       << pixel % fast.width() << ", " << pixel / fast.width() << ") differs";
            }
        }
        ca::Transaction::flush();
    }
};

// Local runs can ask for more: PELLAVO_DAMAGE_SEEDS=10 PELLAVO_DAMAGE_STEPS=1000.
TEST_F(DamageTest, RedrawingWhatChangedGivesTheWholeFrame) {
    const int seeds = fromEnvironment("PELLAVO_DAMAGE_SEEDS", 3);
    const int steps = fromEnvironment("PELLAVO_DAMAGE_STEPS", 1000);
    for (int seed = 1; seed <= seeds; ++seed) {
        run(static_cast<unsigned>(seed), steps);
        if (HasFatalFailure() || HasFailure()) return;
    }
}

TEST_F(DamageTest, AStillTreeRedrawsNothingAndOneChangeOnlyItsBoxes) {
    auto root = ns::make<ca::Layer>();
    root->setFrame({0, 0, 100, 100});
    root->setBackgroundColor(Color(1, 1, 1, 1));
    auto dot = ns::make<ca::Layer>();
    dot->setFrame({10, 10, 10, 10});
    dot->setBackgroundColor(Color(1, 0, 0, 1));
    root->addSublayer(dot);
    ca::Renderer renderer({100, 100}, 2);
    renderer.renderChanges(*root);
    EXPECT_EQ(renderer.damage(), (std::vector<Rect>{{0, 0, 200, 200}}));
    renderer.renderChanges(*root);
    EXPECT_TRUE(renderer.damage().empty());
    {
        ca::Transaction::ActionsDisabled still;
        dot->setPosition({55, 15});
    }
    ca::Transaction::flush();
    renderer.renderChanges(*root);
    // The old and new places, a pixel of antialiasing around each.
    EXPECT_EQ(renderer.damage(), (std::vector<Rect>{{19, 19, 22, 22}, {99, 19, 22, 22}}));
}

} // namespace
