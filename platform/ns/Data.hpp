#pragma once

#include "platform/ns/Export.hpp"

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace pellavo::ns {

// An immutable byte buffer. Copies share the bytes, so passing one around is cheap.
class PELLAVO_EXPORT Data {
public:
    Data() = default;
    explicit Data(std::vector<std::byte> bytes);
    explicit Data(std::span<const std::byte> bytes);
    // The bytes of the text, without a terminator.
    static Data fromString(std::string_view bytes);

    std::span<const std::byte> bytes() const;
    std::size_t count() const { return bytes_ ? bytes_->size() : 0; }
    bool isEmpty() const { return count() == 0; }

    friend PELLAVO_EXPORT bool operator==(const Data& a, const Data& b);

private:
    std::shared_ptr<const std::vector<std::byte>> bytes_;
};

} // namespace pellavo::ns
