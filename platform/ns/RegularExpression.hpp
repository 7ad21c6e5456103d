#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ns {

// One match: the whole match and each capture group, in UTF-16 units.
class PELLAVO_EXPORT TextCheckingResult {
public:
    explicit TextCheckingResult(std::vector<Range> ranges) : ranges_(std::move(ranges)) {}

    Range range() const { return range(0); }
    // Group index; {notFound, 0} for a group that took no part or does not exist.
    Range range(int64_t at) const;
    int64_t numberOfRanges() const { return static_cast<int64_t>(ranges_.size()); }

private:
    std::vector<Range> ranges_;
};

// An ICU regular expression with default options. Immutable and safe to use
// from several threads at once: every call builds its own matcher. A search
// that runs past its time or backtracking limit ends quietly with the matches
// found so far. An invalid range finds nothing.
class PELLAVO_EXPORT RegularExpression {
public:
    using Block = std::function<void(const TextCheckingResult& result, bool& stop)>;

    // nullopt for an invalid or empty pattern.
    static std::optional<RegularExpression> make(const String& pattern);

    const String& pattern() const;
    int64_t numberOfCaptureGroups() const;

    // Non-overlapping matches, left to right; after an empty match the search
    // moves on by one code point.
    void enumerateMatches(const String& in, Range range, const Block& block) const;
    std::vector<TextCheckingResult> matches(const String& in, Range range) const;
    std::optional<TextCheckingResult> firstMatch(const String& in, Range range) const;
    int64_t numberOfMatches(const String& in, Range range) const;

    struct Impl;

private:
    explicit RegularExpression(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
    // Calls visit until it returns false or the matches run out.
    void search(const String& in, Range range, const std::function<bool(TextCheckingResult&&)>& visit) const;

    std::shared_ptr<const Impl> impl_;
};

} // namespace pellavo::ns
