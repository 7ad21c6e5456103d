#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Color.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Image.hpp"
#include "platform/cg/Path.hpp"

// Cairo's context type, named here so that platform code drawing text or layers can
// reach it through native() without this header pulling in cairo.h.
struct _cairo;

namespace pellavo::cg {

struct PELLAVO_EXPORT GradientStop {
    double location = 0;
    Color color;
};

// A drawing context over one cairo_t, with the graphics-state model of the
// platform: separate fill and stroke colours, a global alpha, a path that fill
// and stroke consume. Every value is checked before it reaches Cairo, so the
// cairo_t never enters its sticky error state:
//  - a non-finite rect, point, width or gradient point makes the call a no-op;
//  - a singular or non-finite change of the CTM turns drawing off until the
//    SavedState made before it restores;
//  - an unbalanced endTransparencyLayer is ignored;
//  - colours are clamped to [0, 1] (NaN as 0) when drawn.
class PELLAVO_EXPORT Context {
public:
    // A new bitmap of the given pixel size: transparent, or opaque black. Null when a
    // side is not positive, a side exceeds 16384 or the area exceeds 2^26 pixels.
    static std::unique_ptr<Context> makeBitmap(int width, int height, bool opaque);
    static constexpr int kMaxSide = 16384;
    static constexpr long long kMaxPixels = 1LL << 26;

    // Draws into an existing cairo_t (holding a reference to it).
    explicit Context(_cairo* cr);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    _cairo* native() const;
    // Pixel size of the bitmap underneath; 0 when it is not an image surface.
    int pixelWidth() const;
    int pixelHeight() const;
    // A copy of the pixels as they are now (never null; 0 x 0 without an image surface).
    std::shared_ptr<const Image> makeImage() const;
    // Cairo reports success for the context and its surface.
    bool isHealthy() const;

    // Saves the graphics state (CTM, clip, colours, line style, alpha, whether drawing
    // is on) when made and puts it back when destroyed, so every exit of a scope
    // restores. It must not outlive its context.
    //   cg::Context::SavedState saved(context);
    //   context.clip(rect);
    //   if (done) return;          // restored here
    //   saved.restore();           // or here, early: the destructor then does nothing
    class SavedState {
    public:
        explicit SavedState(Context& context);
        ~SavedState();
        SavedState(const SavedState&) = delete;
        SavedState& operator=(const SavedState&) = delete;

        // Back to the state and stack depth from before this save, closing saves made
        // after it that are still open. Once this save is closed (here, or by the
        // endTransparencyLayer of a layer it was made in), later calls do nothing.
        // While a transparency layer begun after it is open, nothing happens either:
        // the layer ends first, and the next call or the destructor restores.
        void restore();
        // This save is closed.
        bool isRestored() const;

    private:
        Context& context_;
        std::size_t depth_;     // the stack's depth before the save
        std::uint64_t serial_;  // tells this save from a later one at the same depth
    };

    void translateBy(Float tx, Float ty);
    void scaleBy(Float sx, Float sy);
    void rotateBy(Float angle);
    void concatenate(const AffineTransform& t);
    AffineTransform ctm() const;
    // False after a singular or non-finite CTM change, until the matching restore.
    bool isDrawingEnabled() const;

    void setFillColor(const Color& c);
    void setStrokeColor(const Color& c);
    Color fillColor() const;
    Color strokeColor() const;
    void setLineWidth(Float width);
    void setLineCap(LineCap cap);
    void setLineJoin(LineJoin join);
    void setMiterLimit(Float limit);
    void setAlpha(Float alpha);
    Float lineWidth() const;
    Float alpha() const;

    void addPath(const Path& path);
    void addRect(const Rect& rect);
    void beginPath();
    void fillPath(FillRule rule = FillRule::nonZero);
    void strokePath();

    void fill(const Rect& rect);
    // Clears the rect to transparent.
    void clear(const Rect& rect);
    // The whole surface to transparent, ignoring clip and CTM.
    void clearAll();
    void clip(const Rect& rect);
    void clip(const Path& path, FillRule rule = FillRule::nonZero);
    // Clips to a rect given in device pixels, whatever the CTM. A rect on whole pixels
    // leaves every pixel inside it as it would be without the clip.
    void clipToDeviceRect(const Rect& pixels);
    // The device-space box of the current clip within the surface; the null rect when
    // nothing can be drawn.
    Rect deviceClipBounds() const;

    // The image stretched over the rect (good filtering, edges not faded).
    void draw(const Image& image, const Rect& rect);
    // The same placement with its edge pixels running on past the rect over everything
    // the clip lets through: for drawing an image whole elsewhere and clipping it later.
    void drawPadded(const Image& image, const Rect& rect);
    // False when the image stretched over the rect under the current CTM needs a
    // sampling matrix beyond what the rasteriser can take, so draw and fill(mask) skip
    // it. True for anything else, including a rect with no area.
    bool canStretch(const Image& image, const Rect& rect) const;
    // A template image: `color` painted through the image's alpha, stretched over the rect.
    void fill(const Image& mask, const Rect& rect, const Color& color);
    // Axial gradient over the current clip, the end colours extended beyond the ends.
    void drawLinearGradient(const std::vector<GradientStop>& stops, Point start, Point end);

    // Drawing until the matching end composites as one picture. Inside, the alpha starts at 1.
    void beginTransparencyLayer();
    // Paints the layer with `alpha` times the alpha in force at the begin.
    void endTransparencyLayer(Float alpha = 1);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace pellavo::cg
