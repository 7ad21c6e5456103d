#include "platform/ui/graphics/Image.hpp"

#include <cmath>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/cg/ImageCodec.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"

namespace pellavo::ui {

Image::Image(std::shared_ptr<const cg::Image> image, double scale)
    : image_(std::move(image)), scale_(std::isfinite(scale) && scale > 0 ? scale : 1) {}

Image::Image(std::shared_ptr<const cg::Image> image, double scale, cg::Size pointSize)
    : Image(std::move(image), scale) {
    if (std::isfinite(pointSize.width) && std::isfinite(pointSize.height) && pointSize.width > 0 &&
        pointSize.height > 0)
        pointSize_ = pointSize;
}

bool Image::isEmpty() const { return !image_ || image_->width() <= 0 || image_->height() <= 0; }

cg::Size Image::size() const {
    if (isEmpty()) return {};
    if (pointSize_) return *pointSize_;
    return {image_->width() / scale_, image_->height() / scale_};
}

Image Image::withRenderingMode(RenderingMode mode) const {
    Image copy = *this;
    copy.renderingMode_ = mode;
    return copy;
}

std::optional<ci::Image> Image::ciImage() const {
    if (isEmpty()) return std::nullopt;
    return ci::Image(image_);
}

void Image::draw(cg::Rect rect) const {
    if (isEmpty()) return;
    if (cg::Context* context = graphicsGetCurrentContext()) context->draw(*image_, rect);
}

namespace {

// The file's bytes, decoded; null when it cannot be read or is over the input cap.
std::shared_ptr<const cg::Image> decodeFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size == 0 || size > cg::kMaxEncodedImageBytes) return nullptr;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::byte> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) return nullptr;
    return cg::decodeImage(bytes);
}

} // namespace

Image Image::named(std::string_view name) {
    if (name.empty()) return {};
    const ns::Bundle& bundle = ns::Bundle::main();
    struct Candidate {
        std::string name;
        std::string_view type;
        double scale;
    };
    const Candidate candidates[] = {
        {std::string(name) + "@2x", "png", 2},
        {std::string(name), "png", 1},
        {std::string(name), "jpg", 1},
        {std::string(name), "", 1},
    };
    for (const Candidate& candidate : candidates) {
        const auto path = bundle.path(candidate.name, candidate.type);
        if (!path) continue;
        if (auto pixels = decodeFile(*path)) return Image(std::move(pixels), candidate.scale);
    }
    return {};
}

Image Image::fromData(std::span<const std::byte> data) {
    auto decoded = cg::decodeImage(data);
    if (!decoded) return {};
    return Image(std::move(decoded), 1);
}

std::vector<std::byte> Image::pngData() const {
    if (isEmpty()) return {};
    return cg::encodePng(*image_);
}

} // namespace pellavo::ui
