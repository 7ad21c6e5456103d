#pragma once

#include <cstdint>

#include "platform/ns/Export.hpp"
#include "platform/ns/Error.hpp"

namespace pellavo::ns {

// The codes of the URL loading system, in the domain "NSURLErrorDomain".
struct PELLAVO_EXPORT URLError {
    static constexpr const char* domain = "NSURLErrorDomain";

    static constexpr std::int64_t unknown = -1;
    static constexpr std::int64_t cancelled = -999;
    static constexpr std::int64_t badURL = -1000;
    static constexpr std::int64_t timedOut = -1001;
    static constexpr std::int64_t unsupportedURL = -1002;
    static constexpr std::int64_t cannotFindHost = -1003;
    static constexpr std::int64_t cannotConnectToHost = -1004;
    static constexpr std::int64_t networkConnectionLost = -1005;
    static constexpr std::int64_t httpTooManyRedirects = -1007;
    static constexpr std::int64_t badServerResponse = -1011;
    static constexpr std::int64_t dataLengthExceedsMaximum = -1103;
    static constexpr std::int64_t secureConnectionFailed = -1200;

    static Error make(std::int64_t code, String description) {
        return Error{domain, code, std::move(description)};
    }
};

} // namespace pellavo::ns
