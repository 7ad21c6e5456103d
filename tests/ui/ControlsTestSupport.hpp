#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/cg/Image.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/view/View.hpp"
#include "tests/support/Pixels.hpp"

namespace pellavo::testing {

// An image of one straight colour, `w` × `h` pixels at the scale.
inline ui::Image solidImage(int w, int h, cg::RGBA8 c, double scale = 1) {
    const int stride = cg::Image::strideForWidth(w);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
    auto pre = [&](std::uint8_t v) { return static_cast<std::uint32_t>(std::lround(v * c.a / 255.0)); };
    const std::uint32_t word = (std::uint32_t{c.a} << 24) | (pre(c.r) << 16) | (pre(c.g) << 8) | pre(c.b);
    for (std::size_t i = 0; i < data.size(); i += 4) std::memcpy(data.data() + i, &word, 4);
    return ui::Image(std::make_shared<const cg::Image>(w, h, stride, std::move(data)), scale);
}

// Lays the view's tree out and renders it at scale 2, the view at the origin: the model
// values, or what is on screen with ca::RenderMode::presentation(ca::currentMediaTime()).
inline cg::Image renderView(ui::View& view, ca::RenderMode mode = ca::RenderMode::model()) {
    view.layoutIfNeeded();
    ca::Renderer renderer(view.bounds().size, 2);
    return renderer.render(*view.layer(), mode);
}

// The same, drawing what is shown now: animations applied at the current media time.
inline cg::Image renderShown(ui::View& view) {
    view.layoutIfNeeded();
    ca::Renderer renderer(view.bounds().size, 2);
    return renderer.render(*view.layer(), ca::RenderMode::presentation(ca::currentMediaTime()));
}

} // namespace pellavo::testing
