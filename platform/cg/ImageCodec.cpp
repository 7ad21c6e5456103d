#include "platform/cg/ImageCodec.hpp"

#include <mutex>
#include <string>
#include <utility>

#include "platform/ns/Console.hpp"

namespace pellavo::cg {

namespace {

// Immortal: worker threads may decode while the process exits.
struct Installed {
    std::mutex mutex;
    std::shared_ptr<const ImageCodec> codec;
    bool missingLogged = false;
};

Installed& installedCodec() {
    static auto* state = new Installed;
    return *state;
}

// The installed codec, or null after logging the missing codec once.
std::shared_ptr<const ImageCodec> codecFor(const char* what) {
    auto& state = installedCodec();
    {
        std::lock_guard lock(state.mutex);
        if (state.codec) return state.codec;
        if (state.missingLogged) return nullptr;
        state.missingLogged = true;
    }
    ns::log(std::string("no image codec is installed; ") + what + " gives nothing");
    return nullptr;
}

} // namespace

std::shared_ptr<const ImageCodec> ImageCodec::installed() {
    auto& state = installedCodec();
    std::lock_guard lock(state.mutex);
    return state.codec;
}

std::shared_ptr<const ImageCodec> ImageCodec::install(std::shared_ptr<const ImageCodec> codec) {
    auto& state = installedCodec();
    std::lock_guard lock(state.mutex);
    state.missingLogged = false;
    return std::exchange(state.codec, std::move(codec));
}

ImageRef decodeImage(std::span<const std::byte> data) {
    const auto codec = codecFor("decoding");
    return codec ? codec->decode(data) : nullptr;
}

std::vector<std::byte> encodePng(const Image& image) {
    const auto codec = codecFor("encoding");
    return codec ? codec->encodePng(image) : std::vector<std::byte>{};
}

} // namespace pellavo::cg
