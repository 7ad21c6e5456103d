#include "platform/ci/BlurCore.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>

namespace pellavo::ci {
namespace {

// The 1-D filter applied along each axis.
struct Kernel {
    bool exact = false;
    std::vector<float> taps; // exact: 2 × reach + 1 normalised weights
    int boxRadius = 0;        // box passes: full radius
    double boxFraction = 0;   // and the weight of the pixel just past it
    int reach = 0;            // how far the whole filter spreads one pixel
};

Kernel makeKernel(double sigma) {
    Kernel kernel;
    if (sigma < 2) {
        kernel.exact = true;
        kernel.reach = blurReach(sigma);
        std::vector<double> weights(static_cast<std::size_t>(2 * kernel.reach + 1));
        double total = 0;
        for (int k = -kernel.reach; k <= kernel.reach; ++k) {
            const double w = std::exp(-(k * k) / (2 * sigma * sigma));
            weights[static_cast<std::size_t>(k + kernel.reach)] = w;
            total += w;
        }
        for (double w : weights) kernel.taps.push_back(static_cast<float>(w / total));
        return kernel;
    }
    // Three equal boxes, each spanning radius r in full plus a fraction α of the
    // next pixel on either side, so the total variance is continuous in σ
    // (integer widths alone jump in steps). Three boxes make a flatter top than
    // the Gaussian; fitting 0.965 σ² rather than σ² halves the worst error at
    // edges and corners.
    const double third = 0.965 * sigma * sigma / 3;
    int r = static_cast<int>(std::floor(0.5 * std::sqrt(12 * third + 1) - 0.5));
    r = std::max(r, 0);
    while ((r + 1.0) * (r + 2.0) <= 3 * third) ++r; // guard the floor against rounding
    while (r > 0 && r * (r + 1.0) > 3 * third) --r;
    kernel.boxRadius = r;
    kernel.boxFraction = (2 * r + 1) * (3 * third - r * (r + 1.0)) / (6 * ((r + 1.0) * (r + 1.0) - third));
    kernel.reach = 3 * (r + 1);
    return kernel;
}

// Running sums: four channels side by side in one vector, one channel alone.
// Internal helpers only, so the note about passing wide vectors across an ABI
// boundary does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
using VectorD4 = double __attribute__((vector_size(32)));
template <int C>
using Sum = std::conditional_t<C == 4, VectorD4, double>;

template <int C>
inline Sum<C> load(const float* p) {
    if constexpr (C == 4) return VectorD4{p[0], p[1], p[2], p[3]};
    else return p[0];
}

template <int C>
inline void store(float* p, Sum<C> v) {
    if constexpr (C == 4) {
        for (int c = 0; c < 4; ++c) p[c] = static_cast<float>(v[c]);
    } else {
        p[0] = static_cast<float>(v);
    }
}

// Filters `n` pixels of C channels held in `a`, using `b` as scratch; returns
// whichever of the two holds the result. Both lines carry kernel.reach + 1
// zero pixels before index 0 and after index n − 1, which stay zero, so the
// loops need no bounds checks.
template <int C>
float* filterLine(const Kernel& kernel, float* a, float* b, int n) {
    if (kernel.exact) {
        const int reach = kernel.reach;
        const float* taps = kernel.taps.data() + reach;
        for (int i = 0; i < n; ++i) {
            float sum[C] = {};
            const float* p = a + static_cast<std::ptrdiff_t>(i - reach) * C;
            for (int t = -reach; t <= reach; ++t, p += C)
                for (int c = 0; c < C; ++c) sum[c] += taps[t] * p[c];
            for (int c = 0; c < C; ++c) b[static_cast<std::ptrdiff_t>(i) * C + c] = sum[c];
        }
        return b;
    }
    const int r = kernel.boxRadius;
    const double alpha = kernel.boxFraction;
    const double scale = 1.0 / (2 * r + 1 + 2 * alpha);
    for (int pass = 0; pass < 3; ++pass) {
        // Sums in doubles are exact for these magnitudes, so a pixel's value does
        // not depend on where the line started: any crop matches the whole.
        Sum<C> sum{};
        for (int j = -r; j <= r; ++j) sum += load<C>(a + static_cast<std::ptrdiff_t>(j) * C);
        const float* leaving = a - static_cast<std::ptrdiff_t>(r + 1) * C; // a[i − r − 1]
        const float* entering = a + static_cast<std::ptrdiff_t>(r + 1) * C; // a[i + r + 1]
        float* out = b;
        for (int i = 0; i < n; ++i, leaving += C, entering += C, out += C) {
            const Sum<C> in = load<C>(entering);
            store<C>(out, (sum + alpha * (load<C>(leaving) + in)) * scale);
            sum += in - load<C>(leaving + C);
        }
        std::swap(a, b);
    }
    return a;
}

bool areaFits(PixelRect area) {
    return area.width > 0 && area.height > 0 && area.width <= kMaxBlurSide && area.height <= kMaxBlurSide &&
           static_cast<long long>(area.width) * area.height <= kMaxBlurPixels;
}

// The separable blur. `load(y, x0, count, dst)` writes source row y, columns
// x0 … x0 + count − 1 (zeros outside the source) as C floats per pixel;
// `store(x, y, values)` receives each pixel of `area` that the blur reaches,
// relative to the area. Rows first, then one column at a time.
template <int C, class Load, class Store>
void blurSeparable(int width, int height, double sigma, PixelRect area, Load load, Store store) {
    const Kernel kernel = makeKernel(sigma);
    const int reach = kernel.reach;
    // Only this part of the area can be reached by any source pixel.
    const int x0 = std::max(area.x, -reach);
    const int x1 = std::min(area.x + area.width, width + reach);
    const int y0 = std::max(area.y, -reach);
    const int y1 = std::min(area.y + area.height, height + reach);
    if (x0 >= x1 || y0 >= y1) return;
    const int rowFrom = std::max(0, y0 - reach);
    const int rowTo = std::min(height, y1 + reach);
    if (rowFrom >= rowTo) return;
    const int columns = x1 - x0;
    const int rows = rowTo - rowFrom;

    // Horizontal pass, stored column by column so the vertical pass reads runs.
    std::vector<float> between(static_cast<std::size_t>(columns) * rows * C);
    const int lineLength = columns + 2 * reach;
    const int columnLength = (y1 - y0) + 2 * reach;
    const std::ptrdiff_t margin = static_cast<std::ptrdiff_t>(reach + 1) * C;
    const std::size_t lineFloats = static_cast<std::size_t>(std::max(lineLength, columnLength)) * C + 2 * margin;
    std::vector<float> bufferA(lineFloats, 0.0f);
    std::vector<float> bufferB(lineFloats, 0.0f);
    float* lineA = bufferA.data() + margin;
    float* lineB = bufferB.data() + margin;
    // Rows go through in small blocks so that each column of `between` is
    // written in runs rather than one scattered pixel per row.
    constexpr int kBlock = 8;
    std::vector<float> block(static_cast<std::size_t>(kBlock) * columns * C);
    for (int blockStart = rowFrom; blockStart < rowTo; blockStart += kBlock) {
        const int blockRows = std::min(kBlock, rowTo - blockStart);
        for (int k = 0; k < blockRows; ++k) {
            load(blockStart + k, x0 - reach, lineLength, lineA);
            const float* result = filterLine<C>(kernel, lineA, lineB, lineLength);
            std::memcpy(block.data() + static_cast<std::size_t>(k) * columns * C, result + static_cast<std::ptrdiff_t>(reach) * C,
                        static_cast<std::size_t>(columns) * C * sizeof(float));
        }
        for (int x = 0; x < columns; ++x) {
            float* q = between.data() + (static_cast<std::size_t>(x) * rows + (blockStart - rowFrom)) * C;
            for (int k = 0; k < blockRows; ++k, q += C) {
                const float* p = block.data() + (static_cast<std::size_t>(k) * columns + x) * C;
                for (int c = 0; c < C; ++c) q[c] = p[c];
            }
        }
    }

    // Vertical pass over rows y0 − reach … y1 + reach, zero beyond the source.
    const int first = y0 - reach; // the source row at index 0 of the column line
    const int from = std::max(rowFrom, first);
    const int to = std::min(rowTo, first + columnLength);
    std::fill(lineA, lineA + static_cast<std::ptrdiff_t>(columnLength) * C, 0.0f);
    for (int x = 0; x < columns; ++x) {
        const float* column = between.data() + static_cast<std::size_t>(x) * rows * C;
        if (from < to)
            std::memcpy(lineA + static_cast<std::ptrdiff_t>(from - first) * C,
                        column + static_cast<std::ptrdiff_t>(from - rowFrom) * C,
                        static_cast<std::size_t>(to - from) * C * sizeof(float));
        const float* result = filterLine<C>(kernel, lineA, lineB, columnLength);
        for (int y = y0; y < y1; ++y)
            store(x0 - area.x + x, y - area.y, result + static_cast<std::ptrdiff_t>(y - first) * C);
        // filterLine may have left its result in either buffer; restore the zeros around the copied run.
        std::fill(lineA, lineA + static_cast<std::ptrdiff_t>(columnLength) * C, 0.0f);
    }
}

std::uint8_t toByte(float v) {
    if (!(v > 0)) return 0;
    if (v >= 254.5f) return 255;
    return static_cast<std::uint8_t>(v + 0.5f);
}

} // namespace

double effectiveBlurSigma(double sigma, int width, int height) {
    if (!(sigma > 0)) return 0;
    const double cap = 2.0 * std::max({width, height, 1});
    return std::min(sigma, cap);
}

int blurReach(double sigma) {
    if (!(sigma > 0)) return 0;
    // Callers pass an effective σ, so this is bounded; the clamp only guards the conversion.
    return static_cast<int>(std::ceil(std::min(3 * sigma, 1e9)));
}

std::shared_ptr<const cg::Image> gaussianBlur(const cg::Image& source, double sigma, PixelRect area) {
    if (!areaFits(area)) return nullptr;
    const int width = source.width();
    const int height = source.height();
    sigma = effectiveBlurSigma(sigma, width, height);
    std::shared_ptr<cg::Image> out;
    try {
        out = std::make_shared<cg::Image>(area.width, area.height);
        if (sigma == 0) {
            for (int y = 0; y < area.height; ++y)
                for (int x = 0; x < area.width; ++x) {
                    const std::uint32_t word = source.word(area.x + x, area.y + y);
                    std::memcpy(out->mutableData() + static_cast<std::size_t>(y) * out->stride() + x * 4, &word, 4);
                }
            return out;
        }
        std::uint8_t* pixels = out->mutableData();
        const int stride = out->stride();
        blurSeparable<4>(
            width, height, sigma, area,
            [&source, width](int y, int x0, int count, float* dst) {
                std::fill(dst, dst + static_cast<std::ptrdiff_t>(count) * 4, 0.0f);
                const int from = std::max(0, x0);
                const int to = std::min(width, x0 + count);
                const std::uint8_t* row = source.data() + static_cast<std::size_t>(y) * source.stride();
                for (int x = from; x < to; ++x) {
                    std::uint32_t word;
                    std::memcpy(&word, row + static_cast<std::size_t>(x) * 4, 4);
                    float* p = dst + static_cast<std::ptrdiff_t>(x - x0) * 4;
                    p[0] = static_cast<float>((word >> 16) & 0xFF);
                    p[1] = static_cast<float>((word >> 8) & 0xFF);
                    p[2] = static_cast<float>(word & 0xFF);
                    p[3] = static_cast<float>(word >> 24);
                }
            },
            [pixels, stride](int x, int y, const float* v) {
                const std::uint32_t a = toByte(v[3]);
                const std::uint32_t r = std::min<std::uint32_t>(toByte(v[0]), a);
                const std::uint32_t g = std::min<std::uint32_t>(toByte(v[1]), a);
                const std::uint32_t b = std::min<std::uint32_t>(toByte(v[2]), a);
                const std::uint32_t word = (a << 24) | (r << 16) | (g << 8) | b;
                std::memcpy(pixels + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4, &word, 4);
            });
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return out;
}

AlphaPlane gaussianBlurAlpha(const std::uint8_t* source, int width, int height, int sourceStride, double sigma,
                             PixelRect area, int outputStride) {
    AlphaPlane plane;
    if (!areaFits(area)) return plane;
    if (!source || width <= 0 || height <= 0 || sourceStride < width) width = height = 0;
    sigma = effectiveBlurSigma(sigma, width, height);
    try {
        plane.width = area.width;
        plane.height = area.height;
        plane.stride = std::max(outputStride, area.width);
        plane.data.assign(static_cast<std::size_t>(plane.stride) * static_cast<std::size_t>(plane.height), 0);
        std::uint8_t* out = plane.data.data();
        const int stride = plane.stride;
        auto sourceAt = [source, sourceStride](int x, int y) {
            return source[static_cast<std::size_t>(y) * static_cast<std::size_t>(sourceStride) + static_cast<std::size_t>(x)];
        };
        if (sigma == 0) {
            for (int y = 0; y < area.height; ++y)
                for (int x = 0; x < area.width; ++x) {
                    const int sx = area.x + x;
                    const int sy = area.y + y;
                    if (sx >= 0 && sy >= 0 && sx < width && sy < height)
                        out[static_cast<std::size_t>(y) * stride + x] = sourceAt(sx, sy);
                }
            return plane;
        }
        blurSeparable<1>(
            width, height, sigma, area,
            [&sourceAt, width](int y, int x0, int count, float* dst) {
                std::fill(dst, dst + count, 0.0f);
                for (int x = std::max(0, x0); x < std::min(width, x0 + count); ++x)
                    dst[x - x0] = static_cast<float>(sourceAt(x, y));
            },
            [out, stride](int x, int y, const float* v) {
                out[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)] = toByte(v[0]);
            });
    } catch (const std::bad_alloc&) {
        return {};
    }
    return plane;
}

AlphaPlane gaussianBlurAlpha(const cg::Image& source, double sigma, PixelRect area, int outputStride) {
    // Alpha is the high byte of each native-endian word.
    std::vector<std::uint8_t> alpha;
    try {
        alpha.resize(static_cast<std::size_t>(source.width()) * static_cast<std::size_t>(source.height()));
    } catch (const std::bad_alloc&) {
        return {};
    }
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            alpha[static_cast<std::size_t>(y) * source.width() + x] = static_cast<std::uint8_t>(source.word(x, y) >> 24);
    return gaussianBlurAlpha(alpha.data(), source.width(), source.height(), source.width(), sigma, area, outputStride);
}

} // namespace pellavo::ci
