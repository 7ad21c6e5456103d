#pragma once

#include <memory>
#include <vector>

#include "platform/ca/DamageTracker.hpp"

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Image.hpp"

namespace pellavo::cg {
class Context;
}

namespace pellavo::ca {

class Layer;

// Which values a frame shows: the model, or what animations show at a media time.
class PELLAVO_EXPORT RenderMode {
public:
    static RenderMode model() { return RenderMode(false, 0); }
    static RenderMode presentation(double mediaTime) { return RenderMode(true, mediaTime); }

    bool isPresentation() const { return presentation_; }
    double mediaTime() const { return mediaTime_; }

private:
    RenderMode(bool presentation, double mediaTime) : presentation_(presentation), mediaTime_(mediaTime) {}
    bool presentation_;
    double mediaTime_;
};

// Draws layer trees into one ARGB32 bitmap of ⌈points × scale⌉ pixels, reused from
// frame to frame. The defaults are those of the main screen as it starts.
class PELLAVO_EXPORT Renderer {
public:
    explicit Renderer(cg::Size points = {375, 667}, double scale = 2);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    cg::Size size() const { return points_; }
    double scale() const { return scale_; }

    // Clears the bitmap and draws the tree, the root placed by its own geometry in
    // point space. The image stays valid, and unchanged, until the next render.
    // A size or scale the constructor refused gives a 0 × 0 image.
    const cg::Image& render(const Layer& root, RenderMode mode = RenderMode::model());
    // The same frame, drawn by redrawing only what changed since the last frame drawn
    // this way, over that frame's pixels: the first (and any after a full render)
    // draws everything. Screenshots and goldens use render.
    const cg::Image& renderChanges(const Layer& root, RenderMode mode = RenderMode::model());
    // The device-pixel rects the last renderChanges redrew: empty when nothing changed.
    const std::vector<cg::Rect>& damage() const { return damage_; }

private:
    // A context over image_'s pixels; none when Cairo refuses one.
    void makeContext();
    // A fresh context when the last one failed; false when there is none.
    bool readyContext();
    // Clears the context's pixels for a frame.
    static void clear(cg::Context& context);
    void paint(cg::Context& context, const Layer& root, RenderMode mode, bool culled);

    cg::Size points_;
    double scale_;
    cg::Image image_;
    std::unique_ptr<cg::Context> context_;
    bool reportedFault_ = false;  // the fresh-context line is logged once
    DamageTracker tracker_;
    std::vector<cg::Rect> damage_;
};

} // namespace pellavo::ca
