#include "platform/ci/BlurCore.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

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

// Four lanes of doubles: channels side by side, or one channel of four lines. The
// operations are lane by lane, so every lane computes exactly what it would alone.
// Internal helpers only, so the note about passing wide vectors across an ABI
// boundary does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
using VectorF2 = float __attribute__((vector_size(8)));
using VectorF4 = float __attribute__((vector_size(16)));
using VectorD2 = double __attribute__((vector_size(16)));
using VectorD4 = double __attribute__((vector_size(32)));

// As two pairs, which any x86-64 holds in registers.
struct Pairs {
    VectorD2 low{}, high{};
    [[gnu::always_inline]] static Pairs load(const float* p) {
        VectorF2 l, h;
        std::memcpy(&l, p, sizeof l);
        std::memcpy(&h, p + 2, sizeof h);
        return {__builtin_convertvector(l, VectorD2), __builtin_convertvector(h, VectorD2)};
    }
    [[gnu::always_inline]] void store(float* p) const {
        const VectorF2 l = __builtin_convertvector(low, VectorF2), h = __builtin_convertvector(high, VectorF2);
        std::memcpy(p, &l, sizeof l);
        std::memcpy(p + 2, &h, sizeof h);
    }
    [[gnu::always_inline]] friend Pairs operator+(Pairs a, Pairs b) { return {a.low + b.low, a.high + b.high}; }
    [[gnu::always_inline]] friend Pairs operator-(Pairs a, Pairs b) { return {a.low - b.low, a.high - b.high}; }
    [[gnu::always_inline]] friend Pairs operator*(Pairs a, double k) { return {a.low * k, a.high * k}; }
    [[gnu::always_inline]] friend Pairs operator*(double k, Pairs a) { return {k * a.low, k * a.high}; }
};

// As one vector, for processors with 256-bit registers.
struct Quad {
    VectorD4 v{};
    [[gnu::always_inline]] static Quad load(const float* p) {
        VectorF4 f;
        std::memcpy(&f, p, sizeof f);
        return {__builtin_convertvector(f, VectorD4)};
    }
    [[gnu::always_inline]] void store(float* p) const {
        const VectorF4 f = __builtin_convertvector(v, VectorF4);
        std::memcpy(p, &f, sizeof f);
    }
    [[gnu::always_inline]] friend Quad operator+(Quad a, Quad b) { return {a.v + b.v}; }
    [[gnu::always_inline]] friend Quad operator-(Quad a, Quad b) { return {a.v - b.v}; }
    [[gnu::always_inline]] friend Quad operator*(Quad a, double k) { return {a.v * k}; }
    [[gnu::always_inline]] friend Quad operator*(double k, Quad a) { return {k * a.v}; }
};

constexpr int kLanes = 4;

// One box pass over `n` pixels of four lanes: b[i] = (Σ a[i − r … i + r] + α (a[i − r − 1]
// + a[i + r + 1])) × scale. Sums in doubles are exact for these magnitudes, so a
// pixel's value does not depend on where the line started: any crop matches the whole.
template <class Lanes>
[[gnu::always_inline]] inline void boxPass(const float* a, float* b, int n, int r, double alpha, double scale) {
    Lanes sum{};
    for (int j = -r; j <= r; ++j) sum = sum + Lanes::load(a + static_cast<std::ptrdiff_t>(j) * kLanes);
    const float* leaving = a - static_cast<std::ptrdiff_t>(r + 1) * kLanes; // a[i − r − 1]
    const float* entering = a + static_cast<std::ptrdiff_t>(r + 1) * kLanes; // a[i + r + 1]
    for (int i = 0; i < n; ++i, leaving += kLanes, entering += kLanes, b += kLanes) {
        const Lanes in = Lanes::load(entering);
        ((sum + alpha * (Lanes::load(leaving) + in)) * scale).store(b);
        sum = sum + (in - Lanes::load(leaving + kLanes));
    }
}

void boxPassPairs(const float* a, float* b, int n, int r, double alpha, double scale) {
    boxPass<Pairs>(a, b, n, r, alpha, scale);
}

#if defined(__x86_64__) || defined(__i386__)
// AVX without FMA: the same operations, rounded the same way, four at a time.
[[gnu::target("avx")]] void boxPassQuad(const float* a, float* b, int n, int r, double alpha, double scale) {
    boxPass<Quad>(a, b, n, r, alpha, scale);
}

using BoxPass = void (*)(const float*, float*, int, int, double, double);
BoxPass chooseBoxPass() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") ? boxPassQuad : boxPassPairs;
}
const BoxPass runBoxPass = chooseBoxPass();
#else
constexpr auto runBoxPass = boxPassPairs;
#endif

// Filters `n` pixels of four lanes held in `a`, using `b` as scratch; returns
// whichever of the two holds the result. Both lines carry kernel.reach + 1
// zero pixels before index 0 and after index n − 1, which stay zero, so the
// loops need no bounds checks.
float* filterLine(const Kernel& kernel, float* a, float* b, int n) {
    if (kernel.exact) {
        const int reach = kernel.reach;
        const float* taps = kernel.taps.data() + reach;
        for (int i = 0; i < n; ++i) {
            float sum[kLanes] = {};
            const float* p = a + static_cast<std::ptrdiff_t>(i - reach) * kLanes;
            for (int t = -reach; t <= reach; ++t, p += kLanes)
                for (int c = 0; c < kLanes; ++c) sum[c] += taps[t] * p[c];
            for (int c = 0; c < kLanes; ++c) b[static_cast<std::ptrdiff_t>(i) * kLanes + c] = sum[c];
        }
        return b;
    }
    const int r = kernel.boxRadius;
    const double alpha = kernel.boxFraction;
    const double scale = 1.0 / (2 * r + 1 + 2 * alpha);
    for (int pass = 0; pass < 3; ++pass) {
        runBoxPass(a, b, n, r, alpha, scale);
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
// relative to the area. Rows first, then columns. A single channel goes four lines
// at a time, one per lane, so each line's arithmetic is the same as alone.
template <int C, class Load, class Store>
void blurSeparable(int width, int height, double sigma, PixelRect area, Load load, Store store) {
    constexpr int kLines = kLanes / C; // lines filtered together
    static_assert(C * kLines == kLanes);
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
    const std::ptrdiff_t margin = static_cast<std::ptrdiff_t>(reach + 1) * kLanes;
    const std::size_t lineFloats = static_cast<std::size_t>(std::max(lineLength, columnLength)) * kLanes + 2 * margin;
    std::vector<float> bufferA(lineFloats, 0.0f);
    std::vector<float> bufferB(lineFloats, 0.0f);
    float* lineA = bufferA.data() + margin;
    float* lineB = bufferB.data() + margin;
    // One line at a time before its lanes are interleaved.
    std::vector<float> single(kLines > 1 ? static_cast<std::size_t>(lineLength) : 0);
    // Rows go through in small blocks so that each column of `between` is
    // written in runs rather than one scattered pixel per row.
    constexpr int kBlock = 8;
    static_assert(kBlock % kLines == 0);
    std::vector<float> block(static_cast<std::size_t>(kBlock) * columns * C);
    for (int blockStart = rowFrom; blockStart < rowTo; blockStart += kBlock) {
        const int blockRows = std::min(kBlock, rowTo - blockStart);
        for (int k = 0; k < blockRows; k += kLines) {
            if constexpr (kLines == 1) {
                load(blockStart + k, x0 - reach, lineLength, lineA);
            } else {
                for (int lane = 0; lane < kLines; ++lane) {
                    if (k + lane < blockRows) load(blockStart + k + lane, x0 - reach, lineLength, single.data());
                    else std::fill(single.begin(), single.end(), 0.0f);
                    for (int i = 0; i < lineLength; ++i) lineA[static_cast<std::ptrdiff_t>(i) * kLanes + lane] = single[i];
                }
            }
            const float* result = filterLine(kernel, lineA, lineB, lineLength) + static_cast<std::ptrdiff_t>(reach) * kLanes;
            for (int lane = 0; lane < kLines && k + lane < blockRows; ++lane) {
                float* to = block.data() + static_cast<std::size_t>(k + lane) * columns * C;
                if constexpr (kLines == 1) {
                    std::memcpy(to, result, static_cast<std::size_t>(columns) * C * sizeof(float));
                } else {
                    for (int x = 0; x < columns; ++x) to[x] = result[static_cast<std::ptrdiff_t>(x) * kLanes + lane];
                }
            }
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
    std::fill(lineA, lineA + static_cast<std::ptrdiff_t>(columnLength) * kLanes, 0.0f);
    for (int x = 0; x < columns; x += kLines) {
        const int lines = std::min(kLines, columns - x);
        for (int lane = 0; lane < lines && from < to; ++lane) {
            const float* column = between.data() + static_cast<std::size_t>(x + lane) * rows * C;
            const float* source = column + static_cast<std::ptrdiff_t>(from - rowFrom) * C;
            float* target = lineA + static_cast<std::ptrdiff_t>(from - first) * kLanes;
            if constexpr (kLines == 1) {
                std::memcpy(target, source, static_cast<std::size_t>(to - from) * C * sizeof(float));
            } else {
                for (int i = 0; i < to - from; ++i) target[static_cast<std::ptrdiff_t>(i) * kLanes + lane] = source[i];
            }
        }
        const float* result = filterLine(kernel, lineA, lineB, columnLength);
        for (int lane = 0; lane < lines; ++lane)
            for (int y = y0; y < y1; ++y)
                store(x0 - area.x + x + lane, y - area.y,
                      result + static_cast<std::ptrdiff_t>(y - first) * kLanes + lane);
        // filterLine may have left its result in either buffer; restore the zeros around the copied run.
        std::fill(lineA, lineA + static_cast<std::ptrdiff_t>(columnLength) * kLanes, 0.0f);
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
