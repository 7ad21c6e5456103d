#include "platform/ns/Data.hpp"

#include <algorithm>
#include <utility>

namespace pellavo::ns {

Data::Data(std::vector<std::byte> bytes)
    : bytes_(std::make_shared<const std::vector<std::byte>>(std::move(bytes))) {}

Data::Data(std::span<const std::byte> bytes) : Data(std::vector<std::byte>(bytes.begin(), bytes.end())) {}

Data Data::fromString(std::string_view bytes) {
    return Data(std::as_bytes(std::span<const char>(bytes.data(), bytes.size())));
}

std::span<const std::byte> Data::bytes() const {
    if (!bytes_) return {};
    return {bytes_->data(), bytes_->size()};
}

bool operator==(const Data& a, const Data& b) {
    const auto x = a.bytes();
    const auto y = b.bytes();
    return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

} // namespace pellavo::ns
