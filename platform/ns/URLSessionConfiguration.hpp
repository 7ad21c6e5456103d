#pragma once

#include "platform/ns/Export.hpp"

#include <algorithm>
#include <cstdint>

namespace pellavo::ns {

// How a session loads. Only the ephemeral kind exists: no cache, no cookies and no
// stored credentials, so nothing outlives the session.
class PELLAVO_EXPORT URLSessionConfiguration {
public:
    static constexpr std::int64_t defaultMaximumBodyBytes = 32 * 1024 * 1024;

    static URLSessionConfiguration ephemeral() { return URLSessionConfiguration(); }

    // The largest decoded body a task accepts; a larger one fails with
    // dataLengthExceedsMaximum. A negative value is taken as 0.
    std::int64_t maximumBodyBytes() const { return maximumBodyBytes_; }
    void setMaximumBodyBytes(std::int64_t bytes) { maximumBodyBytes_ = std::max<std::int64_t>(bytes, 0); }

private:
    URLSessionConfiguration() = default;

    std::int64_t maximumBodyBytes_ = defaultMaximumBodyBytes;
};

} // namespace pellavo::ns
