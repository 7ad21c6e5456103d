#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ns {

// An absolute URL: scheme "://" authority, then path, query and fragment. The text is
// kept as written (percent escapes are not decoded).
class PELLAVO_EXPORT URL {
public:
    // None for text that is empty, longer than 64 KiB, relative (no scheme and "//"),
    // holds spaces, control characters, bytes outside ASCII or characters a URL may not
    // carry unescaped (" < > \ ^ ` { | }), a '%' without two hex digits, a port that is not
    // 0–65535, a malformed bracketed IPv6 host, or an http(s) URL without a host.
    static std::optional<URL> fromString(const String& text);

    String absoluteString() const { return String(text_); }
    String scheme() const { return String(scheme_); }
    // Without the brackets of an IPv6 literal; empty when the authority names none.
    String host() const { return String(host_); }
    std::optional<int> port() const { return port_; }
    // Empty when the URL has no path.
    String path() const { return String(path_); }
    std::optional<String> query() const;
    std::optional<String> fragment() const;

    // The scheme is http or https, in any case.
    bool isHTTP() const;

    friend bool operator==(const URL& a, const URL& b) { return a.text_ == b.text_; }

private:
    URL() = default;

    std::string text_;
    std::string scheme_;
    std::string host_;
    std::optional<int> port_;
    std::string path_;
    std::optional<std::string> query_;
    std::optional<std::string> fragment_;
};

} // namespace pellavo::ns
