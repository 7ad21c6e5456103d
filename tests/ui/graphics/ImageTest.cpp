#include "platform/ui/graphics/Image.hpp"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <unistd.h>

#include <png.h>
#include <jpeglib.h>

#include "platform/backend/ImageCodec.hpp"
#include "platform/cg/ImageCodec.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"

namespace pellavo {
namespace {

// Premultiplied ARGB32 from straight components.
std::uint32_t argb(int r, int g, int b, int a) {
    auto mul = [a](int c) { return static_cast<std::uint32_t>((c * a + 127) / 255); };
    return (static_cast<std::uint32_t>(a) << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}

std::shared_ptr<const cg::Image> imageOf(int width, int height, const std::vector<std::uint32_t>& words) {
    auto image = std::make_shared<cg::Image>(width, height);
    for (int y = 0; y < height; ++y)
        std::memcpy(image->mutableData() + y * image->stride(), words.data() + y * width, width * 4);
    return image;
}

TEST(ImageValueTest, EmptyAndScaledSizes) {
    const ui::Image empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.size(), cg::Size(0, 0));
    EXPECT_EQ(empty.scale(), 1);
    EXPECT_TRUE(empty.pngData().empty());
    EXPECT_TRUE(ui::Image(std::make_shared<cg::Image>(0, 5), 2).isEmpty());

    auto pixels = std::make_shared<cg::Image>(35, 40);
    const ui::Image image(pixels, 2);
    EXPECT_FALSE(image.isEmpty());
    EXPECT_EQ(image.size(), cg::Size(17.5, 20));
    EXPECT_EQ(image.cgImage(), pixels);

    for (double bad : {0.0, -2.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(ui::Image(pixels, bad).scale(), 1) << bad;
}

TEST(ImageValueTest, RenderingModeKeepsPixels) {
    const ui::Image image(std::make_shared<cg::Image>(2, 2), 3);
    EXPECT_EQ(image.renderingMode(), ui::ImageRenderingMode::automatic);
    const auto tinted = image.withRenderingMode(ui::ImageRenderingMode::alwaysTemplate);
    EXPECT_EQ(tinted.renderingMode(), ui::ImageRenderingMode::alwaysTemplate);
    EXPECT_EQ(tinted.cgImage(), image.cgImage());
    EXPECT_EQ(tinted.scale(), 3);
    EXPECT_EQ(image.renderingMode(), ui::ImageRenderingMode::automatic);
    EXPECT_FALSE(tinted == image);
    EXPECT_TRUE(tinted.withRenderingMode(ui::ImageRenderingMode::automatic) == image);
}

TEST(ImageValueTest, CiImageCoversItsPixels) {
    EXPECT_FALSE(ui::Image().ciImage().has_value());
    const auto image = ui::Image(std::make_shared<cg::Image>(28, 28), 2).ciImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->extent(), cg::Rect(0, 0, 28, 28)) << "pixels, not points";
}

TEST(ImageCodecTest, WithoutACodecNothingDecodesAndOneLineIsLogged) {
    const auto png = ui::Image(imageOf(2, 2, std::vector<std::uint32_t>(4, argb(1, 2, 3, 255)))).pngData();
    ASSERT_FALSE(png.empty());
    ns::ConsoleCapture console;
    const auto previous = cg::ImageCodec::install(nullptr);
    ASSERT_TRUE(previous) << "the platform installs its codec when it loads";
    EXPECT_TRUE(ui::Image::fromData(png).isEmpty());
    EXPECT_TRUE(ui::Image(imageOf(1, 1, {argb(1, 2, 3, 255)})).pngData().empty());
    EXPECT_TRUE(ui::Image::fromData(png).isEmpty());
    EXPECT_EQ(console.loggedLines(), (std::vector<std::string>{"no image codec is installed; decoding gives nothing"}));
    cg::ImageCodec::install(previous);
    EXPECT_FALSE(ui::Image::fromData(png).isEmpty());
    EXPECT_EQ(console.loggedLines().size(), 1u);
}

TEST(ImageCodecTest, EncodeDecodeIsExact) {
    // Every alpha level with colours that survive premultiplication.
    std::vector<std::uint32_t> words;
    for (int a = 0; a < 256; ++a) words.push_back(argb((a * 7) % 256, 255 - a, a / 2, a));
    for (int a = 0; a < 256; ++a) words.push_back(argb(255, 0, 128, a));
    const auto source = imageOf(256, 2, words);
    const ui::Image image(source, 2);
    const auto png = image.pngData();
    ASSERT_FALSE(png.empty());
    const auto decoded = ui::Image::fromData(png);
    ASSERT_FALSE(decoded.isEmpty());
    EXPECT_EQ(decoded.scale(), 1);
    ASSERT_EQ(decoded.cgImage()->width(), 256);
    ASSERT_EQ(decoded.cgImage()->height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(decoded.cgImage()->word(x, y), source->word(x, y)) << x << "," << y;
}

// ---------------------------------------------------------------- test files

// Exact round(c × a / 255): what a decoder must store for straight (c, a).
std::uint32_t premultiplied(cg::RGBA8 p) {
    auto mul = [a = p.a](std::uint32_t c) { return static_cast<std::uint32_t>(std::lround(c * a / 255.0)); };
    return (static_cast<std::uint32_t>(p.a) << 24) | (mul(p.r) << 16) | (mul(p.g) << 8) | mul(p.b);
}

// A PNG written with libpng itself, samples one per byte (16-bit: two, big-endian).
struct PngSpec {
    int width = 13;
    int height = 11;
    int colorType = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;
    std::optional<png_color_16> keyColour;
    std::vector<std::vector<png_byte>> rows;
};

void appendBytes(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<std::vector<std::byte>*>(png_get_io_ptr(png));
    out->insert(out->end(), reinterpret_cast<std::byte*>(data), reinterpret_cast<std::byte*>(data) + count);
}

bool writeSpec(png_structp png, png_infop info, const PngSpec* spec, std::vector<png_bytep>* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, spec->width, spec->height, spec->depth, spec->colorType,
                 spec->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec->palette.empty())
        png_set_PLTE(png, info, spec->palette.data(), static_cast<int>(spec->palette.size()));
    if (!spec->paletteAlpha.empty())
        png_set_tRNS(png, info, spec->paletteAlpha.data(), static_cast<int>(spec->paletteAlpha.size()), nullptr);
    if (spec->keyColour) png_set_tRNS(png, info, nullptr, 0, &*spec->keyColour);
    png_write_info(png, info);
    if (spec->depth < 8) png_set_packing(png);
    png_write_image(png, rows->data());
    png_write_end(png, nullptr);
    return true;
}

std::vector<std::byte> encodeSpec(PngSpec spec) {
    std::vector<std::byte> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendBytes, nullptr);
    std::vector<png_bytep> rows;
    for (auto& row : spec.rows) rows.push_back(row.data());
    const bool ok = writeSpec(png, info, &spec, &rows);
    png_destroy_write_struct(&png, &info);
    EXPECT_TRUE(ok);
    return out;
}

// Sample value of a pixel for a depth: varied across the picture.
int sample(int x, int y, int channel, int depth) {
    const int max = (1 << depth) - 1;
    return (x * 37 + y * 91 + channel * 53 + x * y * 7) % (max + 1);
}

// 16-bit samples near k × 257 so the 8-bit result is k however the decoder rounds.
int sample16(int x, int y, int channel) {
    const int k = (x * 29 + y * 61 + channel * 97) % 256;
    const int offset = (x * 31 + y * 17 + channel * 13) % 201 - 100;
    return std::clamp(k * 257 + offset, 0, 65535);
}

struct Variant {
    const char* name;
    PngSpec spec;
    std::function<cg::RGBA8(int x, int y)> expected;
};

std::vector<Variant> pngVariants() {
    std::vector<Variant> variants;
    auto fill = [](PngSpec& spec, int channels, auto value) {
        for (int y = 0; y < spec.height; ++y) {
            std::vector<png_byte> row;
            for (int x = 0; x < spec.width; ++x)
                for (int c = 0; c < channels; ++c) {
                    const int v = value(x, y, c);
                    if (spec.depth == 16) {
                        row.push_back(static_cast<png_byte>(v >> 8));
                        row.push_back(static_cast<png_byte>(v & 0xFF));
                    } else {
                        row.push_back(static_cast<png_byte>(v));
                    }
                }
            spec.rows.push_back(row);
        }
    };
    auto u8 = [](int v) { return static_cast<std::uint8_t>(v); };

    for (bool interlaced : {false, true}) {
        {
            PngSpec spec;
            spec.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
            spec.interlaced = interlaced;
            fill(spec, 4, [](int x, int y, int c) { return sample(x, y, c, 8); });
            variants.push_back({interlaced ? "rgba8 interlaced" : "rgba8", spec, [=](int x, int y) {
                                    return cg::RGBA8{u8(sample(x, y, 0, 8)), u8(sample(x, y, 1, 8)),
                                                     u8(sample(x, y, 2, 8)), u8(sample(x, y, 3, 8))};
                                }});
        }
        {
            PngSpec spec;
            spec.colorType = PNG_COLOR_TYPE_GRAY;
            spec.depth = 2;
            spec.interlaced = interlaced;
            fill(spec, 1, [](int x, int y, int) { return sample(x, y, 0, 2); });
            variants.push_back({interlaced ? "grey2 interlaced" : "grey2", spec, [=](int x, int y) {
                                    const auto v = u8(sample(x, y, 0, 2) * 85);
                                    return cg::RGBA8{v, v, v, 255};
                                }});
        }
    }
    for (int depth : {1, 4, 8}) {
        PngSpec spec;
        spec.colorType = PNG_COLOR_TYPE_GRAY;
        spec.depth = depth;
        fill(spec, 1, [depth](int x, int y, int) { return sample(x, y, 0, depth); });
        variants.push_back({"grey", spec, [=](int x, int y) {
                                const auto v = u8(sample(x, y, 0, depth) * 255 / ((1 << depth) - 1));
                                return cg::RGBA8{v, v, v, 255};
                            }});
    }
    {
        PngSpec spec;
        spec.colorType = PNG_COLOR_TYPE_GRAY;
        spec.depth = 16;
        fill(spec, 1, [](int x, int y, int) { return sample16(x, y, 0); });
        variants.push_back({"grey16", spec, [=](int x, int y) {
                                const auto v = u8((sample16(x, y, 0) + 128) / 257);
                                return cg::RGBA8{v, v, v, 255};
                            }});
    }
    {
        PngSpec spec;
        spec.colorType = PNG_COLOR_TYPE_GRAY;
        spec.keyColour = png_color_16{0, 0, 0, 0, 100};
        fill(spec, 1, [](int x, int y, int) { return (x + y) % 3 == 0 ? 100 : sample(x, y, 0, 8); });
        variants.push_back({"grey tRNS", spec, [=](int x, int y) {
                                const int v = (x + y) % 3 == 0 ? 100 : sample(x, y, 0, 8);
                                return cg::RGBA8{u8(v), u8(v), u8(v), u8(v == 100 ? 0 : 255)};
                            }});
    }
    for (int depth : {8, 16}) {
        PngSpec spec;
        spec.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
        spec.depth = depth;
        fill(spec, 2, [depth](int x, int y, int c) { return depth == 16 ? sample16(x, y, c) : sample(x, y, c, 8); });
        variants.push_back({"grey+alpha", spec, [=](int x, int y) {
                                auto at = [&](int c) {
                                    return u8(depth == 16 ? (sample16(x, y, c) + 128) / 257 : sample(x, y, c, 8));
                                };
                                return cg::RGBA8{at(0), at(0), at(0), at(1)};
                            }});
    }
    {
        PngSpec spec;
        spec.colorType = PNG_COLOR_TYPE_RGB;
        spec.depth = 16;
        fill(spec, 3, [](int x, int y, int c) { return sample16(x, y, c); });
        variants.push_back({"rgb16", spec, [=](int x, int y) {
                                auto at = [&](int c) { return u8((sample16(x, y, c) + 128) / 257); };
                                return cg::RGBA8{at(0), at(1), at(2), 255};
                            }});
    }
    {
        PngSpec spec;
        spec.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
        spec.depth = 16;
        fill(spec, 4, [](int x, int y, int c) { return sample16(x, y, c); });
        variants.push_back({"rgba16", spec, [=](int x, int y) {
                                auto at = [&](int c) { return u8((sample16(x, y, c) + 128) / 257); };
                                return cg::RGBA8{at(0), at(1), at(2), at(3)};
                            }});
    }
    {
        PngSpec spec;
        spec.colorType = PNG_COLOR_TYPE_RGB;
        spec.keyColour = png_color_16{0, 10, 20, 30, 0};
        auto value = [](int x, int y, int c) { return (x * y) % 4 == 1 ? 10 * (c + 1) : sample(x, y, c, 8); };
        fill(spec, 3, value);
        variants.push_back({"rgb tRNS", spec, [=](int x, int y) {
                                const bool key = value(x, y, 0) == 10 && value(x, y, 1) == 20 && value(x, y, 2) == 30;
                                return cg::RGBA8{u8(value(x, y, 0)), u8(value(x, y, 1)), u8(value(x, y, 2)),
                                                 u8(key ? 0 : 255)};
                            }});
    }
    for (int depth : {2, 8}) {
        PngSpec spec;
        spec.colorType = PNG_COLOR_TYPE_PALETTE;
        spec.depth = depth;
        spec.palette = {{255, 0, 0}, {0, 200, 0}, {10, 20, 250}, {255, 255, 255}};
        spec.paletteAlpha = {255, 128, 0}; // the fourth entry stays opaque
        fill(spec, 1, [](int x, int y, int) { return (x + 2 * y) % 4; });
        variants.push_back({"palette tRNS", spec, [=](int x, int y) {
                                const int i = (x + 2 * y) % 4;
                                const png_color c = spec.palette[static_cast<std::size_t>(i)];
                                return cg::RGBA8{c.red, c.green, c.blue, u8(i < 3 ? spec.paletteAlpha[static_cast<std::size_t>(i)] : 255)};
                            }});
    }
    return variants;
}

TEST(ImageCodecTest, EveryPngVariantDecodesToPremultipliedRgba) {
    for (const Variant& variant : pngVariants()) {
        SCOPED_TRACE(std::string(variant.name) + " depth " + std::to_string(variant.spec.depth));
        const auto bytes = encodeSpec(variant.spec);
        const auto image = ui::Image::fromData(bytes);
        ASSERT_FALSE(image.isEmpty());
        const auto& pixels = *image.cgImage();
        ASSERT_EQ(pixels.width(), 13);
        ASSERT_EQ(pixels.height(), 11);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(pixels.word(x, y), premultiplied(variant.expected(x, y))) << x << "," << y;
    }
}

// A baseline JPEG written with libjpeg.
std::vector<std::byte> encodeJpeg(int width, int height, J_COLOR_SPACE space, int components,
                                  const std::function<std::uint8_t(int x, int y, int c)>& value) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width * components));
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                row[static_cast<std::size_t>(x * components + c)] = value(x, static_cast<int>(info.next_scanline), c);
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::byte> out(reinterpret_cast<std::byte*>(buffer), reinterpret_cast<std::byte*>(buffer) + size);
    std::free(buffer);
    return out;
}

TEST(ImageCodecTest, JpegGreyAndRgbDecodeCmykIsRefused) {
    // Flat 8 × 8 blocks survive quality 100 within a step or two.
    const auto rgb = encodeJpeg(32, 16, JCS_RGB, 3, [](int x, int, int c) {
        static constexpr std::uint8_t colours[4][3] = {{200, 30, 90}, {0, 0, 0}, {255, 255, 255}, {40, 160, 220}};
        return colours[x / 8][c];
    });
    const auto image = ui::Image::fromData(rgb);
    ASSERT_FALSE(image.isEmpty());
    ASSERT_EQ(image.cgImage()->width(), 32);
    ASSERT_EQ(image.cgImage()->height(), 16);
    EXPECT_EQ(image.scale(), 1);
    const cg::RGBA8 expected[4] = {{200, 30, 90, 255}, {0, 0, 0, 255}, {255, 255, 255, 255}, {40, 160, 220, 255}};
    for (int block = 0; block < 4; ++block) {
        const cg::RGBA8 p = image.cgImage()->pixel(block * 8 + 3, 5);
        EXPECT_NEAR(p.r, expected[block].r, 3) << block;
        EXPECT_NEAR(p.g, expected[block].g, 3) << block;
        EXPECT_NEAR(p.b, expected[block].b, 3) << block;
        EXPECT_EQ(p.a, 255);
    }

    const auto grey = encodeJpeg(16, 16, JCS_GRAYSCALE, 1, [](int x, int, int) { return x < 8 ? 77 : 230; });
    const auto greyImage = ui::Image::fromData(grey);
    ASSERT_FALSE(greyImage.isEmpty());
    for (auto [x, level] : {std::pair{2, 77}, std::pair{12, 230}}) {
        const cg::RGBA8 p = greyImage.cgImage()->pixel(x, 4);
        EXPECT_NEAR(p.r, level, 1);
        EXPECT_EQ(p.r, p.g);
        EXPECT_EQ(p.g, p.b);
        EXPECT_EQ(p.a, 255);
    }

    const auto cmyk = encodeJpeg(16, 16, JCS_CMYK, 4, [](int, int, int c) { return static_cast<std::uint8_t>(c * 60); });
    ns::ConsoleCapture capture;
    EXPECT_TRUE(ui::Image::fromData(cmyk).isEmpty());
    EXPECT_TRUE(capture.loggedLines().empty());
    EXPECT_TRUE(capture.printedLines().empty());
}

// Chunk types of a PNG, in order.
std::vector<std::string> chunkTypes(const std::vector<std::byte>& png) {
    std::vector<std::string> types;
    std::size_t at = 8;
    while (at + 8 <= png.size()) {
        const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(png[i]); };
        const std::uint32_t length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        types.emplace_back(reinterpret_cast<const char*>(png.data() + at + 4), 4);
        at += 12 + length;
    }
    return types;
}

TEST(ImageCodecTest, EncodedPngCarriesNoTimeOrGamma) {
    const auto png = ui::Image(imageOf(3, 2, std::vector<std::uint32_t>(6, argb(10, 20, 30, 40)))).pngData();
    const auto types = chunkTypes(png);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), "IHDR");
    EXPECT_EQ(types.back(), "IEND");
    for (const auto& type : types) EXPECT_TRUE(type == "IHDR" || type == "IDAT" || type == "IEND") << type;
    // 8-bit RGBA, not interlaced.
    EXPECT_EQ(static_cast<int>(png[24]), 8);
    EXPECT_EQ(static_cast<int>(png[25]), PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(static_cast<int>(png[28]), 0);
}

std::uint32_t crc32(const std::byte* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint32_t>(data[i]);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A valid PNG whose header claims another size (IHDR's CRC fixed up).
std::vector<std::byte> withPngSize(std::vector<std::byte> png, std::uint32_t width, std::uint32_t height) {
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) png[at + i] = static_cast<std::byte>(v >> (24 - 8 * i));
    };
    put32(16, width);
    put32(20, height);
    put32(29, crc32(png.data() + 12, 17));
    return png;
}

// A valid JPEG whose frame header claims another size.
std::vector<std::byte> withJpegSize(std::vector<std::byte> jpeg, int width, int height) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == std::byte{0xFF} && (jpeg[i + 1] == std::byte{0xC0} || jpeg[i + 1] == std::byte{0xC2})) {
            jpeg[i + 5] = static_cast<std::byte>(height >> 8);
            jpeg[i + 6] = static_cast<std::byte>(height & 0xFF);
            jpeg[i + 7] = static_cast<std::byte>(width >> 8);
            jpeg[i + 8] = static_cast<std::byte>(width & 0xFF);
            break;
        }
    return jpeg;
}

std::size_t jpegMarkerAt(const std::vector<std::byte>& jpeg, std::uint8_t marker) {
    for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == std::byte{0xFF} && jpeg[i + 1] == std::byte{marker}) return i;
    return jpeg.size();
}

// Keeps `kept` bytes of the scan data, then ends the file properly.
std::vector<std::byte> withJpegScanCut(std::vector<std::byte> jpeg, std::size_t kept) {
    const std::size_t sos = jpegMarkerAt(jpeg, 0xDA);
    const std::size_t scan = sos + 2 + (std::to_integer<std::size_t>(jpeg[sos + 2]) << 8) +
                             std::to_integer<std::size_t>(jpeg[sos + 3]);
    jpeg.resize(scan + kept);
    jpeg.insert(jpeg.end(), {std::byte{0xFF}, std::byte{0xD9}});
    return jpeg;
}

TEST(ImageCodecTest, BadDataGivesAnEmptyImageQuietly) {
    const auto png = ui::Image(imageOf(40, 30, std::vector<std::uint32_t>(1200, argb(90, 10, 200, 255)))).pngData();
    const auto jpeg = encodeJpeg(40, 30, JCS_RGB, 3, [](int x, int y, int c) { return static_cast<std::uint8_t>(x * 5 + y * 3 + c * 40); });
    ASSERT_FALSE(ui::Image::fromData(png).isEmpty());
    ASSERT_FALSE(ui::Image::fromData(jpeg).isEmpty());

    std::vector<std::pair<std::string, std::vector<std::byte>>> cases;
    for (std::size_t cut : {std::size_t{0}, std::size_t{4}, std::size_t{8}, std::size_t{30}, png.size() / 2, png.size() - 13})
        cases.push_back({"png cut at " + std::to_string(cut), std::vector<std::byte>(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(cut))});
    for (std::size_t cut : {std::size_t{3}, std::size_t{20}, jpeg.size() / 3, jpeg.size() - 40})
        cases.push_back({"jpeg cut at " + std::to_string(cut), std::vector<std::byte>(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(cut))});
    std::vector<std::byte> garbage(4096);
    std::uint32_t seed = 7;
    for (auto& b : garbage) b = static_cast<std::byte>((seed = seed * 1103515245u + 12345u) >> 24);
    cases.push_back({"garbage", garbage});
    auto pngGarbage = garbage;
    std::copy(png.begin(), png.begin() + 8, pngGarbage.begin());
    cases.push_back({"png signature then garbage", pngGarbage});
    auto jpegGarbage = garbage;
    std::copy(jpeg.begin(), jpeg.begin() + 3, jpegGarbage.begin());
    cases.push_back({"jpeg signature then garbage", jpegGarbage});
    auto corrupted = png;
    corrupted[corrupted.size() / 2] ^= std::byte{0x5A};
    cases.push_back({"png with a flipped byte", corrupted});
    cases.push_back({"png claiming 100000 x 100000", withPngSize(png, 100000, 100000)});
    cases.push_back({"png claiming 8193 x 30", withPngSize(png, 8193, 30)});
    cases.push_back({"png claiming 0 x 30", withPngSize(png, 0, 30)});
    cases.push_back({"jpeg claiming 60000 x 60000", withJpegSize(jpeg, 60000, 60000)});
    cases.push_back({"jpeg claiming 40 x 8193", withJpegSize(jpeg, 40, 8193)});
    const auto grey = encodeJpeg(16, 16, JCS_GRAYSCALE, 1, [](int x, int y, int) { return static_cast<std::uint8_t>(x * y); });
    cases.push_back({"jpeg scan cut short before its end marker", withJpegScanCut(withJpegSize(grey, 4104, 1032), 14)});
    // Stray bytes between header segments leave the picture whole.
    auto stray = grey;
    const std::byte junk[] = {std::byte{0x12}, std::byte{0x34}, std::byte{0x56}};
    stray.insert(stray.begin() + static_cast<std::ptrdiff_t>(jpegMarkerAt(stray, 0xDB)), std::begin(junk), std::end(junk));

    ns::ConsoleCapture capture;
    for (const auto& [name, bytes] : cases) EXPECT_TRUE(ui::Image::fromData(bytes).isEmpty()) << name;
    EXPECT_EQ(ui::Image::fromData(stray).size(), cg::Size(16, 16));
    EXPECT_TRUE(capture.loggedLines().empty());
    EXPECT_TRUE(capture.printedLines().empty());
}

TEST(ImageCodecTest, SidesUpToTheCapDecode) {
    const auto wide = encodeSpec([] {
        PngSpec spec;
        spec.width = 8192;
        spec.height = 2;
        spec.colorType = PNG_COLOR_TYPE_GRAY;
        spec.rows.assign(2, std::vector<png_byte>(8192, 40));
        return spec;
    }());
    const auto image = ui::Image::fromData(wide);
    ASSERT_FALSE(image.isEmpty());
    EXPECT_EQ(image.size(), cg::Size(8192, 2));
    // Over the input cap, whatever it holds.
    std::vector<std::byte> huge(backend::kMaxEncodedImageBytes + 1);
    std::copy(wide.begin(), wide.end(), huge.begin());
    EXPECT_TRUE(ui::Image::fromData(huge).isEmpty());
}

// ---------------------------------------------------------------- named and draw

class ImageNamedTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() /
                     ("pellavo-image-named-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory_);
        saved_ = ns::Bundle::main().resourcePath();
        ns::Bundle::main().setResourcePath(directory_);
    }
    void TearDown() override {
        ns::Bundle::main().setResourcePath(saved_);
        std::filesystem::remove_all(directory_);
    }
    void write(const std::string& name, const std::vector<std::byte>& bytes) {
        std::ofstream(directory_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<std::byte> png(int width, int height) {
        return ui::Image(imageOf(width, height, std::vector<std::uint32_t>(width * height, argb(1, 2, 3, 255)))).pngData();
    }

    std::filesystem::path directory_;
    std::filesystem::path saved_;
};

TEST_F(ImageNamedTest, PrefersDoubleScaleThenPngThenJpeg) {
    write("icon@2x.png", png(8, 6));
    write("icon.png", png(4, 3));
    write("plain.png", png(5, 5));
    write("plain.jpg", encodeJpeg(7, 7, JCS_GRAYSCALE, 1, [](int, int, int) { return 9; }));
    write("photo.jpg", encodeJpeg(7, 9, JCS_GRAYSCALE, 1, [](int, int, int) { return 9; }));
    write("broken@2x.png", {std::byte{1}, std::byte{2}});
    write("broken.png", png(2, 2));
    write("exact.name", png(3, 3));

    const auto icon = ui::Image::named("icon");
    EXPECT_EQ(icon.scale(), 2);
    EXPECT_EQ(icon.size(), cg::Size(4, 3));
    EXPECT_EQ(icon.cgImage()->width(), 8);
    const auto plain = ui::Image::named("plain");
    EXPECT_EQ(plain.scale(), 1);
    EXPECT_EQ(plain.size(), cg::Size(5, 5));
    EXPECT_EQ(ui::Image::named("photo").size(), cg::Size(7, 9));
    EXPECT_EQ(ui::Image::named("broken").size(), cg::Size(2, 2)) << "an unreadable file is passed over";
    EXPECT_EQ(ui::Image::named("exact.name").size(), cg::Size(3, 3));
    EXPECT_TRUE(ui::Image::named("").isEmpty());
    EXPECT_TRUE(ui::Image::named("missing").isEmpty());
    EXPECT_TRUE(ui::Image::named("../icon").isEmpty());
}

TEST(ImageDrawTest, DrawsItsPixelsIntoTheCurrentContext) {
    // 2 × 2 pixels at scale 2 are one point; drawn stretched into a 2 × 1 point rect.
    const ui::Image image(imageOf(2, 2, {argb(255, 0, 0, 255), argb(255, 0, 0, 255), argb(0, 0, 255, 255),
                                         argb(0, 0, 255, 255)}),
                          2);
    ui::graphicsBeginImageContextWithOptions(cg::Size(4, 2), false, 1);
    image.draw(cg::Rect(0, 0, 2, 2));
    ui::Image().draw(cg::Rect(2, 0, 2, 2)); // empty: nothing
    const auto pixels = ui::graphicsGetCurrentContext()->makeImage();
    ui::graphicsEndImageContext();
    EXPECT_EQ(pixels->pixel(0, 0), (cg::RGBA8{255, 0, 0, 255}));
    EXPECT_EQ(pixels->pixel(1, 1), (cg::RGBA8{0, 0, 255, 255}));
    EXPECT_EQ(pixels->pixel(3, 0).a, 0);
    // No context: nothing happens.
    image.draw(cg::Rect(0, 0, 2, 2));
}

} // namespace
} // namespace pellavo
