// Layer trees whose every property comes from the input (NaN, the infinities, huge and
// tiny values included), drawn by a renderer and into a bitmap context. The renderer and
// the context stay healthy, and a plain frame drawn after the hostile one is correct.

#include <memory>
#include <vector>

#include "fuzz/FuzzSupport.hpp"
#include "platform/ca/BackdropLayer.hpp"
#include "platform/ca/GradientLayer.hpp"
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
    renderer.render(*root, ca::RenderMode::presentation(in.number()));
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
