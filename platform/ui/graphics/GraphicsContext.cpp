#include "platform/ui/graphics/GraphicsContext.hpp"

#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/ns/Console.hpp"
#include "platform/ui/view/Screen.hpp"

namespace pellavo::ui {

namespace {

struct Entry {
    std::unique_ptr<cg::Context> owned;  // an image context; null for a placeholder
    cg::Context* context = nullptr;      // what is current; null for a placeholder
    bool image = false;
    cg::Size size;
    double scale = 1;
};

std::vector<Entry>& stack() {
    thread_local std::vector<Entry> entries;
    return entries;
}

// Pixels for `points` at `scale`, or -1 when it is not a usable side. A hair of
// rounding noise (10.1 x 3 = 30.299999...) does not add a pixel column.
long long pixelsFor(double points, double scale) {
    const double px = std::ceil(points * scale - 1e-9);
    if (!std::isfinite(points) || !(points > 0) || !std::isfinite(px) || px < 1 || px > cg::Context::kMaxSide) {
        return -1;
    }
    return static_cast<long long>(px);
}

} // namespace

void graphicsBeginImageContextWithOptions(cg::Size size, bool opaque, double scale) {
    if (!std::isfinite(scale) || scale <= 0) scale = Screen::main().scale();
    const long long w = pixelsFor(size.width, scale), h = pixelsFor(size.height, scale);
    std::unique_ptr<cg::Context> context;
    if (w > 0 && h > 0 && w * h <= cg::Context::kMaxPixels) {
        context = cg::Context::makeBitmap(static_cast<int>(w), static_cast<int>(h), opaque);
    }
    if (!context) {
        std::ostringstream line;
        line << "graphicsBeginImageContext: invalid size " << size.width << " x " << size.height
             << " at scale " << scale << "; no context";
        ns::log(line.str());
        stack().push_back({nullptr, nullptr, true, size, scale});
        return;
    }
    context->scaleBy(scale, scale);
    cg::Context* raw = context.get();
    stack().push_back({std::move(context), raw, true, size, scale});
}

void graphicsBeginImageContext(cg::Size size) { graphicsBeginImageContextWithOptions(size, false, 1); }

void graphicsEndImageContext() {
    auto& entries = stack();
    if (entries.empty() || !entries.back().image) return;
    entries.pop_back();
}

Image graphicsGetImageFromCurrentImageContext() {
    const auto& entries = stack();
    if (entries.empty() || !entries.back().image || !entries.back().owned) return {};
    const Entry& top = entries.back();
    return Image(top.owned->makeImage(), top.scale, top.size);
}

cg::Context* graphicsGetCurrentContext() {
    const auto& entries = stack();
    return entries.empty() ? nullptr : entries.back().context;
}

void graphicsPushContext(cg::Context& context) { stack().push_back({nullptr, &context, false, {}, 1}); }

void graphicsPopContext() {
    auto& entries = stack();
    if (entries.empty() || entries.back().image) return;
    entries.pop_back();
}

} // namespace pellavo::ui
