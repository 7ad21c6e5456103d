#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"

namespace pellavo {

class RegexMatchResult;

// Hands out a match result's items one at a time, front first.
class PELLAVO_EXPORT RegexMatchCaptureGenerator {
public:
    std::vector<ns::String> items;  // the items not yet returned

    // The first remaining item, removed; nullopt once none is left (and on every later call).
    std::optional<ns::String> next();

private:
    RegexMatchCaptureGenerator() = default;  // made by RegexMatchResult::generate() only
    friend class RegexMatchResult;
};

// Every whole match of a pattern in a text. Capture groups are not collected.
class PELLAVO_EXPORT RegexMatchResult {
public:
    std::vector<ns::String> items;  // every whole match, in the order found

    bool boolValue() const { return !items.empty(); }
    // "" for an index outside [0, size).
    ns::String operator[](std::int64_t index) const;
    // A generator over all items.
    RegexMatchCaptureGenerator generate() const;

private:
    RegexMatchResult() = default;
    friend RegexMatchResult regexMatch(const ns::String& text, const ns::String& pattern);
};

// The library's matching operator (`text =~ pattern`; C++ has no =~, so it is this
// function): every non-overlapping whole match of `pattern` over the whole text, in
// UTF-16 units. An invalid or empty pattern gives no items and prints nothing; a search
// past the engine's time or backtracking limit gives the matches found so far. Each call
// builds its own expression, so it is safe from any thread.
PELLAVO_EXPORT RegexMatchResult regexMatch(const ns::String& text, const ns::String& pattern);

} // namespace pellavo
