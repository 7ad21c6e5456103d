#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ns/URL.hpp"

namespace pellavo::ns {

// The head of an HTTP response: the final URL after redirects, the status and the
// header fields.
class PELLAVO_EXPORT HTTPURLResponse {
public:
    using HeaderFields = std::vector<std::pair<std::string, std::string>>;

    // A negative expected length means unknown (-1).
    HTTPURLResponse(URL url, int statusCode, HeaderFields headerFields, std::int64_t expectedContentLength);

    const URL& url() const { return url_; }
    int statusCode() const { return statusCode_; }
    // The value of a field, names compared without regard to case; repeated fields are
    // joined with ", ".
    std::optional<String> headerField(const String& name) const;
    // The Content-Type's type and subtype in lower case, without parameters.
    std::optional<String> mimeType() const;
    std::int64_t expectedContentLength() const { return expectedContentLength_; }

private:
    URL url_;
    int statusCode_;
    HeaderFields headerFields_;
    std::int64_t expectedContentLength_;
};

} // namespace pellavo::ns
