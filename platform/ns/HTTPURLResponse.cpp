#include "platform/ns/HTTPURLResponse.hpp"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace pellavo::ns {

namespace {

std::string lowercased(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view trimmed(std::string_view s) {
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && space(s.front())) s.remove_prefix(1);
    while (!s.empty() && space(s.back())) s.remove_suffix(1);
    return s;
}

} // namespace

HTTPURLResponse::HTTPURLResponse(URL url, int statusCode, HeaderFields headerFields,
                                 std::int64_t expectedContentLength)
    : url_(std::move(url)),
      statusCode_(statusCode),
      headerFields_(std::move(headerFields)),
      expectedContentLength_(expectedContentLength < 0 ? -1 : expectedContentLength) {}

std::optional<String> HTTPURLResponse::headerField(const String& name) const {
    const std::string wanted = lowercased(name.utf8());
    std::optional<std::string> value;
    for (const auto& [field, fieldValue] : headerFields_) {
        if (lowercased(field) != wanted) continue;
        value = value ? *value + ", " + fieldValue : fieldValue;
    }
    if (!value) return std::nullopt;
    return String(*value);
}

std::optional<String> HTTPURLResponse::mimeType() const {
    const auto contentType = headerField("Content-Type");
    if (!contentType) return std::nullopt;
    const std::string text = contentType->utf8();
    const std::string_view type = trimmed(std::string_view(text).substr(0, text.find(';')));
    if (type.empty()) return std::nullopt;
    return String(lowercased(type));
}

} // namespace pellavo::ns
