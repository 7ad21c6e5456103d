#include "pellavo/VXNumerKeyboard/Classes/Regex.hpp"

#include "platform/ns/RegularExpression.hpp"

namespace pellavo {

std::optional<ns::String> RegexMatchCaptureGenerator::next() {
    if (items.empty()) {
        return std::nullopt;
    }
    ns::String first = std::move(items.front());
    items.erase(items.begin());
    return first;
}

ns::String RegexMatchResult::operator[](std::int64_t index) const {
    if (index < 0 || index >= static_cast<std::int64_t>(items.size())) {
        return ns::String();
    }
    return items[static_cast<std::size_t>(index)];
}

RegexMatchCaptureGenerator RegexMatchResult::generate() const {
    RegexMatchCaptureGenerator generator;
    generator.items = items;
    return generator;
}

RegexMatchResult regexMatch(const ns::String& text, const ns::String& pattern) {
    RegexMatchResult result;
    const auto re = ns::RegularExpression::make(pattern);
    if (!re) {
        return result;
    }
    // The engine's ranges are UTF-16 offsets into this same string, so a match never
    // splits a surrogate pair.
    re->enumerateMatches(text, ns::Range{0, text.length()}, [&](const ns::TextCheckingResult& r, bool&) {
        if (auto match = text.substring(r.range())) {
            result.items.push_back(std::move(*match));
        }
    });
    return result;
}

} // namespace pellavo
