#include "platform/backend/ImageCodec.hpp"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include <png.h>
// jpeglib.h expects FILE and size_t to be declared already.
#include <jerror.h>
#include <jpeglib.h>

namespace pellavo::backend {
namespace {

// Straight RGBA rows, tightly packed, to premultiplied ARGB32 in Cairo's
// layout, converted in place so a large picture is held only once.
std::shared_ptr<const cg::Image> premultiplied(int width, int height, std::vector<std::uint8_t>&& rgba) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // Exact round(c × a / 255) for 8-bit values.
    auto mul = [](std::uint32_t c, std::uint32_t a) {
        const std::uint32_t t = c * a + 128;
        return (t + (t >> 8)) >> 8;
    };
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* p = rgba.data() + i * 4;
        const std::uint32_t a = p[3];
        const std::uint32_t word = (a << 24) | (mul(p[0], a) << 16) | (mul(p[1], a) << 8) | mul(p[2], a);
        std::memcpy(p, &word, 4);
    }
    return std::make_shared<const cg::Image>(width, height, cg::Image::strideForWidth(width), std::move(rgba));
}

bool hasPngSignature(std::span<const std::byte> data) {
    return data.size() >= 8 && png_sig_cmp(reinterpret_cast<png_const_bytep>(data.data()), 0, 8) == 0;
}

bool hasJpegSignature(std::span<const std::byte> data) {
    return data.size() >= 3 && data[0] == std::byte{0xFF} && data[1] == std::byte{0xD8} &&
           data[2] == std::byte{0xFF};
}

// ---------------------------------------------------------------- PNG

struct PngInput {
    std::span<const std::byte> data;
    std::size_t position = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    std::vector<png_bytep> rows;
};

void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep out, png_size_t count) {
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (count > input->data.size() - input->position) png_error(png, "truncated");
    std::memcpy(out, input->data.data() + input->position, count);
    input->position += count;
}

// Only trivial locals live here, so the longjmp from libpng's error handler
// skips no destructor; everything that owns memory lives in `input`.
bool readPng(png_structp png, png_infop info, PngInput* input) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, input, pngRead);
    // libpng refuses larger headers itself, before any row is allocated.
    png_set_user_limits(png, kMaxDecodedImageSide, kMaxDecodedImageSide);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
    if (width == 0 || height == 0 || width > kMaxDecodedImageSide || height > kMaxDecodedImageSide) return false;

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparency) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !transparency) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4) return false;

    input->width = static_cast<int>(width);
    input->height = static_cast<int>(height);
    input->rgba.resize(static_cast<std::size_t>(width) * height * 4);
    input->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) input->rows[y] = input->rgba.data() + static_cast<std::size_t>(y) * width * 4;
    png_read_image(png, input->rows.data());
    png_read_end(png, nullptr);
    return true;
}

// ---------------------------------------------------------------- JPEG

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

struct JpegInput {
    std::span<const std::byte> data;
    bool created = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    std::vector<std::uint8_t> row;
};

// A hostile progressive file can carry thousands of scans; real ones carry a dozen.
constexpr int kMaxJpegScans = 1000;
constexpr long kMaxJpegWorkingMemory = 512L << 20;

[[noreturn]] void jpegErrorExit(j_common_ptr common) {
    std::longjmp(reinterpret_cast<JpegErrors*>(common->err)->jump, 1);
}

void jpegOutputMessage(j_common_ptr) {}

// Warnings after which libjpeg pads the rest of the picture with grey: the scan data
// ran out or broke before the image was complete. Those files are refused.
bool jpegWarningLosesPixels(int code) {
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
        return true;
    default:
        return false;
    }
}

void jpegEmitMessage(j_common_ptr common, int level) {
    // Other warnings (stray bytes between markers, unknown segments) are common in
    // real files and leave the picture whole.
    if (level < 0 && jpegWarningLosesPixels(common->err->msg_code)) jpegErrorExit(common);
}

void jpegProgress(j_common_ptr common) {
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (common->is_decompressor && info->input_scan_number > kMaxJpegScans) jpegErrorExit(common);
}

bool readJpeg(jpeg_decompress_struct* info, JpegErrors* errors, jpeg_progress_mgr* progress, JpegInput* input) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(info);
    input->created = true;
    info->progress = progress;
    info->mem->max_memory_to_use = kMaxJpegWorkingMemory;
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(input->data.data()),
                 static_cast<unsigned long>(input->data.size()));
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
    if (info->image_width == 0 || info->image_height == 0 || info->image_width > kMaxDecodedImageSide ||
        info->image_height > kMaxDecodedImageSide)
        return false;
    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE: info->out_color_space = JCS_GRAYSCALE; break;
    case JCS_YCbCr:
    case JCS_RGB: info->out_color_space = JCS_RGB; break;
    default: return false; // CMYK, YCCK and anything unknown
    }
    jpeg_start_decompress(info);
    const int components = info->output_components;
    if (info->output_width != info->image_width || info->output_height != info->image_height ||
        (components != 1 && components != 3))
        return false;

    const std::size_t width = info->output_width;
    input->width = static_cast<int>(info->output_width);
    input->height = static_cast<int>(info->output_height);
    input->rgba.resize(width * info->output_height * 4);
    input->row.resize(width * static_cast<std::size_t>(components));
    while (info->output_scanline < info->output_height) {
        const std::size_t y = info->output_scanline;
        JSAMPROW row = input->row.data();
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
        std::uint8_t* out = input->rgba.data() + y * width * 4;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* in = input->row.data() + x * static_cast<std::size_t>(components);
            out[x * 4 + 0] = in[0];
            out[x * 4 + 1] = components == 3 ? in[1] : in[0];
            out[x * 4 + 2] = components == 3 ? in[2] : in[0];
            out[x * 4 + 3] = 255;
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

// ---------------------------------------------------------------- PNG encoding

struct PngOutput {
    std::vector<std::byte> bytes;
    std::vector<std::uint8_t> rgba;
    std::vector<png_bytep> rows;
};

void pngWrite(png_structp png, png_bytep data, png_size_t count) {
    auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
    bool grown = true;
    try {
        const auto* bytes = reinterpret_cast<const std::byte*>(data);
        output->bytes.insert(output->bytes.end(), bytes, bytes + count);
    } catch (const std::bad_alloc&) {
        grown = false; // no exception may cross libpng's C frames
    }
    if (!grown) png_error(png, "out of memory");
}

void pngFlush(png_structp) {}

bool writePng(png_structp png, png_infop info, PngOutput* output, int width, int height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, output, pngWrite, pngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, output->rows.data());
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::shared_ptr<const cg::Image> decodePng(std::span<const std::byte> data) {
    if (data.size() > kMaxEncodedImageBytes || !hasPngSignature(data)) return nullptr;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    PngInput input;
    input.data = data;
    bool ok = false;
    try {
        ok = readPng(png, info, &input);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) return nullptr;
    input.rows.clear();
    return premultiplied(input.width, input.height, std::move(input.rgba));
}

std::shared_ptr<const cg::Image> decodeJpeg(std::span<const std::byte> data) {
    if (data.size() > kMaxEncodedImageBytes || !hasJpegSignature(data)) return nullptr;
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.output_message = jpegOutputMessage;
    errors.manager.emit_message = jpegEmitMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = jpegProgress;
    JpegInput input;
    input.data = data;
    bool ok = false;
    try {
        ok = readJpeg(&info, &errors, &progress, &input);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (input.created) jpeg_destroy_decompress(&info);
    if (!ok) return nullptr;
    return premultiplied(input.width, input.height, std::move(input.rgba));
}

std::shared_ptr<const cg::Image> decodeImage(std::span<const std::byte> data) {
    if (hasPngSignature(data)) return decodePng(data);
    if (hasJpegSignature(data)) return decodeJpeg(data);
    return nullptr;
}

std::vector<std::byte> encodePng(const cg::Image& image) {
    const int width = image.width();
    const int height = image.height();
    if (width <= 0 || height <= 0) return {};
    PngOutput output;
    try {
        output.rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        output.rows.resize(static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        return {};
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = output.rgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        output.rows[static_cast<std::size_t>(y)] = row;
        for (int x = 0; x < width; ++x) {
            const cg::RGBA8 p = image.pixel(x, y);
            row[x * 4 + 0] = p.r;
            row[x * 4 + 1] = p.g;
            row[x * 4 + 2] = p.b;
            row[x * 4 + 3] = p.a;
        }
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png) return {};
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    const bool ok = writePng(png, info, &output, width, height);
    png_destroy_write_struct(&png, &info);
    if (!ok) return {};
    return std::move(output.bytes);
}

namespace {

class LibImageCodec final : public cg::ImageCodec {
public:
    cg::ImageRef decode(std::span<const std::byte> data) const override { return backend::decodeImage(data); }
    std::vector<std::byte> encodePng(const cg::Image& image) const override { return backend::encodePng(image); }
};

} // namespace

std::shared_ptr<const cg::ImageCodec> makeImageCodec() { return std::make_shared<const LibImageCodec>(); }

} // namespace pellavo::backend
