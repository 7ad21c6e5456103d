#include "platform/ns/URL.hpp"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace pellavo::ns {

namespace {

constexpr std::size_t kMaximumLength = 64 * 1024;

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Printable ASCII that may stand unescaped somewhere in a URL, and well-formed escapes.
bool hasOnlyURLCharacters(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c <= 0x20 || c >= 0x7F) return false;
        if (std::strchr("\"<>\\^`{|}", c) != nullptr) return false;
        if (c == '%' && (i + 2 >= s.size() || !isHex(s[i + 1]) || !isHex(s[i + 2]))) return false;
    }
    return true;
}

// A registered name: unreserved characters, escapes and sub-delimiters.
bool isRegisteredName(std::string_view host) {
    for (char c : host) {
        if (isAlpha(c) || isDigit(c) || std::strchr("-._~%!$&'()*+,;=", c) != nullptr) continue;
        return false;
    }
    return true;
}

bool isIPv6(const std::string& host) {
    in6_addr address{};
    return inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// Digits only, at most 65535; empty means no port.
bool parsePort(std::string_view text, std::optional<int>& port) {
    if (text.empty()) return true;
    long value = 0;
    for (char c : text) {
        if (!isDigit(c)) return false;
        value = value * 10 + (c - '0');
        if (value > 65535) return false;
    }
    port = static_cast<int>(value);
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

} // namespace

std::optional<URL> URL::fromString(const String& text) {
    URL url;
    url.text_ = text.utf8();
    const std::string_view s = url.text_;
    if (s.empty() || s.size() > kMaximumLength || !hasOnlyURLCharacters(s)) return std::nullopt;

    // Scheme: a letter, then letters, digits, '+', '-', '.'; then "://".
    const std::size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAlpha(s[0])) return std::nullopt;
    for (char c : s.substr(0, colon))
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
    if (s.substr(colon + 1, 2) != "//") return std::nullopt;
    url.scheme_ = std::string(s.substr(0, colon));

    const std::size_t authorityStart = colon + 3;
    const std::size_t authorityEnd = std::min(s.find_first_of("/?#", authorityStart), s.size());
    std::string_view authority = s.substr(authorityStart, authorityEnd - authorityStart);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        if (userInfo.find_first_of("[]@") != std::string_view::npos) return std::nullopt;
        authority.remove_prefix(at + 1);
    }
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        url.host_ = std::string(authority.substr(1, close - 1));
        if (!isIPv6(url.host_)) return std::nullopt;
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return std::nullopt;
        if (!rest.empty()) portText = rest.substr(1);
    } else {
        const std::size_t portColon = authority.find(':');
        const std::string_view host = authority.substr(0, portColon);
        if (!isRegisteredName(host)) return std::nullopt;
        url.host_ = std::string(host);
        if (portColon != std::string_view::npos) portText = authority.substr(portColon + 1);
    }
    if (!parsePort(portText, url.port_)) return std::nullopt;
    if (url.host_.empty() && url.isHTTP()) return std::nullopt;

    // Path up to '?' or '#', query up to '#', fragment to the end. Brackets belong to
    // hosts only, and a fragment holds no second '#'.
    const std::string_view rest = s.substr(authorityEnd);
    if (rest.find_first_of("[]") != std::string_view::npos) return std::nullopt;
    const std::size_t hash = rest.find('#');
    const std::string_view beforeFragment = rest.substr(0, hash);
    if (hash != std::string_view::npos) {
        const std::string_view fragment = rest.substr(hash + 1);
        if (fragment.find('#') != std::string_view::npos) return std::nullopt;
        url.fragment_ = std::string(fragment);
    }
    const std::size_t question = beforeFragment.find('?');
    url.path_ = std::string(beforeFragment.substr(0, question));
    if (question != std::string_view::npos) url.query_ = std::string(beforeFragment.substr(question + 1));
    return url;
}

std::optional<String> URL::query() const {
    if (!query_) return std::nullopt;
    return String(*query_);
}

std::optional<String> URL::fragment() const {
    if (!fragment_) return std::nullopt;
    return String(*fragment_);
}

bool URL::isHTTP() const { return equalsIgnoringCase(scheme_, "http") || equalsIgnoringCase(scheme_, "https"); }

} // namespace pellavo::ns
