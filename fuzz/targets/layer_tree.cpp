// Layer trees whose every property comes from the input (NaN, the infinities, huge and
// tiny values included), drawn by a renderer and into a bitmap context. The renderer and
// the context stay healthy, and a plain frame drawn after the hostile one is correct.

#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

#include "fuzz/FuzzSupport.hpp"
#include "platform/ca/BackdropLayer.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/cg/MutablePath.hpp"

using namespace pellavo;

namespace {

cg::Point pointFrom(fuzz::Input& in) { return {in.number(), in.number()}; }
cg::Rect rectFrom(fuzz::Input& in) { return {in.number(), in.number(), in.number(), in.number()}; }
cg::Color colorFrom(fuzz::Input& in) { return {in.number(), in.number(), in.number(), in.number()}; }

ca::Transform3D transformFrom(fuzz::Input& in) {
    ca::Transform3D t;
    cg::Float* cells[] = {&t.m11, &t.m12, &t.m13, &t.m14, &t.m21, &t.m22, &t.m23, &t.m24,
                          &t.m31, &t.m32, &t.m33, &t.m34, &t.m41, &t.m42, &t.m43, &t.m44};
    // A few cells from the input; the rest keep the identity.
    for (std::int64_t n = in.integer(0, 4); n > 0; --n) *cells[in.integer(0, 15)] = in.number();
    return t;
}

cg::Path pathFrom(fuzz::Input& in) {
    cg::MutablePath path;
    for (std::int64_t n = in.integer(0, 6); n > 0; --n) {
        switch (in.byte() % 6) {
        case 0: path.moveTo(pointFrom(in)); break;
        case 1: path.addLineTo(pointFrom(in)); break;
        case 2: path.addCurveTo(pointFrom(in), pointFrom(in), pointFrom(in)); break;
        case 3: path.addArc(pointFrom(in), in.number(), in.number(), in.number(), in.boolean()); break;
        case 4: path.addEllipse(rectFrom(in)); break;
        default: path.closeSubpath(); break;
        }
    }
    return path.path();
}

// A value of the kind the input picks, which need not be the kind the key path takes.
ca::Value valueFrom(fuzz::Input& in) {
    switch (in.byte() % 6) {
    case 1: return pointFrom(in);
    case 2: return rectFrom(in);
    case 3: return std::optional<cg::Color>(colorFrom(in));
    case 4: return transformFrom(in);
    case 5: return std::optional<cg::Path>(pathFrom(in));
    default: return in.number();
    }
}

void animate(ca::Layer& layer, fuzz::Input& in) {
    static const char* const kKeyPaths[] = {"position", "bounds", "transform", "opacity", "backgroundColor",
                                             "cornerRadius", "borderWidth", "shadowOffset", "shadowRadius", "path",
                                             "strokeEnd", "colors", "locations", "transform.scale",
                                             "transform.rotation.z", "position.x", "nonsense"};
    std::shared_ptr<ca::PropertyAnimation> animation;
    if (in.boolean()) {
        auto basic = std::make_shared<ca::BasicAnimation>();
        if (in.boolean()) basic->setFromValue(valueFrom(in));
        if (in.boolean()) basic->setToValue(valueFrom(in));
        if (in.boolean()) basic->setSpringTiming(in.number(), in.number());
        animation = basic;
    } else {
        auto keyframes = std::make_shared<ca::KeyframeAnimation>();
        std::vector<ca::Value> values;
        std::vector<double> times;
        for (std::int64_t n = in.integer(0, 4); n > 0; --n) {
            values.push_back(valueFrom(in));
            times.push_back(in.number());
        }
        keyframes->setValues(values);
        if (in.boolean()) keyframes->setKeyTimes(times);
        keyframes->setCalculationMode(static_cast<ca::CalculationMode>(in.integer(0, 1)));
        animation = keyframes;
    }
    animation->setKeyPath(kKeyPaths[in.integer(0, static_cast<std::int64_t>(std::size(kKeyPaths)) - 1)]);
    animation->setIsAdditive(in.boolean());
    animation->setIsCumulative(in.boolean());
    animation->setBeginTime(in.number());
    animation->setDuration(in.number());
    animation->setRepeatCount(in.number());
    animation->setFillMode(static_cast<ca::FillMode>(in.integer(0, 3)));
    if (in.boolean()) {
        animation->setTimingFunction(ca::MediaTimingFunction(in.number(), in.number(), in.number(), in.number()));
    }
    layer.addAnimation(animation, in.boolean() ? "a" : "b");
}

std::shared_ptr<ca::Layer> layerFrom(fuzz::Input& in) {
    std::shared_ptr<ca::Layer> layer;
    switch (in.byte() % 4) {
    case 1: {
        auto shape = std::make_shared<ca::ShapeLayer>();
        shape->setPath(pathFrom(in));
        shape->setFillColor(colorFrom(in));
        shape->setStrokeColor(colorFrom(in));
        shape->setLineWidth(in.number());
        shape->setLineCap(static_cast<cg::LineCap>(in.integer(0, 2)));
        shape->setLineJoin(static_cast<cg::LineJoin>(in.integer(0, 2)));
        shape->setMiterLimit(in.number());
        shape->setFillRule(static_cast<cg::FillRule>(in.integer(0, 1)));
        shape->setStrokeStart(in.number());
        shape->setStrokeEnd(in.number());
        layer = shape;
        break;
    }
    case 2: {
        auto gradient = std::make_shared<ca::GradientLayer>();
        std::vector<cg::Color> colors;
        std::vector<double> locations;
        for (std::int64_t n = in.integer(0, 3); n > 0; --n) {
            colors.push_back(colorFrom(in));
            locations.push_back(in.number());
        }
        gradient->setColors(colors);
        if (in.boolean()) gradient->setLocations(locations);
        gradient->setStartPoint(pointFrom(in));
        gradient->setEndPoint(pointFrom(in));
        layer = gradient;
        break;
    }
    case 3: {
        auto backdrop = std::make_shared<ca::BackdropLayer>();
        backdrop->setBlurRadius(in.number());
        backdrop->setTintColor(colorFrom(in));
        layer = backdrop;
        break;
    }
    default: layer = std::make_shared<ca::Layer>(); break;
    }
    layer->setBounds(rectFrom(in));
    layer->setPosition(pointFrom(in));
    if (in.boolean()) layer->setAnchorPoint(pointFrom(in));
    if (in.boolean()) layer->setTransform(transformFrom(in));
    layer->setOpacity(static_cast<float>(in.number()));
    layer->setBackgroundColor(colorFrom(in));
    if (in.boolean()) {
        layer->setCornerRadius(in.number());
        layer->setMasksToBounds(in.boolean());
        layer->setBorderWidth(in.number());
        layer->setBorderColor(colorFrom(in));
    }
    if (in.boolean()) {
        layer->setShadowColor(colorFrom(in));
        layer->setShadowOpacity(static_cast<float>(in.number()));
        layer->setShadowOffset({in.number(), in.number()});
        layer->setShadowRadius(in.number());
    }
    if (in.boolean()) {
        const auto w = static_cast<int>(in.integer(0, 5));
        const auto h = static_cast<int>(in.integer(0, 5));
        layer->setContents(std::make_shared<const cg::Image>(w, h));
        layer->setContentsGravity(static_cast<ca::ContentsGravity>(in.integer(0, 11)));
        layer->setContentsScale(in.number());
    }
    for (std::int64_t n = in.integer(0, 2); n > 0; --n) animate(*layer, in);
    return layer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    fuzz::Input in(data, size);
    auto root = std::make_shared<ca::Layer>();
    root->setBounds({0, 0, 40, 30});
    root->setPosition({20, 15});
    std::vector<std::shared_ptr<ca::Layer>> tree{root};
    for (std::int64_t n = in.integer(1, 6); n > 0 && !in.empty(); --n) {
        auto layer = layerFrom(in);
        tree[static_cast<std::size_t>(in.integer(0, static_cast<std::int64_t>(tree.size()) - 1))]->addSublayer(layer);
        tree.push_back(layer);
    }

    ca::Renderer renderer({40, 30}, 1.5);
    renderer.render(*root);
    for (int frame = 0; frame < 3; ++frame) {
        const double time = in.number();
        session.advance(std::isfinite(time) && time > 0 && time < 10 ? time : 0.25);
        renderer.render(*root, ca::RenderMode::presentation(time));
    }
    auto plain = std::make_shared<ca::Layer>();
    plain->setBounds({0, 0, 40, 30});
    plain->setPosition({20, 15});
    plain->setBackgroundColor(cg::Color{1, 0, 0, 1});
    const cg::RGBA8 red{255, 0, 0, 255};
    fuzz::require(renderer.render(*plain).pixel(30, 22) == red, "a plain frame after a hostile one is drawn");

    auto context = cg::Context::makeBitmap(60, 45, false);
    context->scaleBy(1.5, 1.5);
    root->render(*context);
    fuzz::require(context->isHealthy(), "rendering a tree leaves its context healthy");
    session.requireNoInternalErrors();
    return 0;
}
