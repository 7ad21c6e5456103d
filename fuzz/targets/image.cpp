// Image bytes through the decoders; whatever decodes must survive a PNG round trip
// with the same premultiplied pixels.

#include <cstring>
#include <span>

#include "fuzz/FuzzSupport.hpp"
#include "platform/ui/graphics/Image.hpp"

using namespace pellavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    const ui::Image image = ui::Image::fromData(std::as_bytes(std::span(data, size)));
    fuzz::require(session.loggedLines().empty(), "decoding logged a line");
    if (image.isEmpty()) return 0;
    const cg::Image& decoded = *image.cgImage();

    const std::vector<std::byte> png = image.pngData();
    fuzz::require(!png.empty(), "a decoded image encodes");
    const ui::Image again = ui::Image::fromData(png);
    fuzz::require(!again.isEmpty(), "the encoded PNG decodes");
    const cg::Image& round = *again.cgImage();
    fuzz::require(round.width() == decoded.width() && round.height() == decoded.height(), "the size survives");
    const auto rowBytes = static_cast<std::size_t>(decoded.width()) * 4;
    for (int y = 0; y < decoded.height(); ++y) {
        const std::uint8_t* a = decoded.data() + static_cast<std::size_t>(y) * decoded.stride();
        const std::uint8_t* b = round.data() + static_cast<std::size_t>(y) * round.stride();
        fuzz::require(std::memcmp(a, b, rowBytes) == 0, "the pixels survive a PNG round trip");
    }
    return 0;
}
