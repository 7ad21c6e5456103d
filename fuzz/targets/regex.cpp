// A pattern, a subject and a range from the input: every match lies inside the range,
// in order and without overlap, and its groups lie inside the match's subject.

#include "fuzz/FuzzSupport.hpp"
#include "platform/ns/RegularExpression.hpp"

using namespace pellavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const ns::String pattern(input.text(64));
    const ns::String subject(input.text(256));
    const auto regex = ns::RegularExpression::make(pattern);
    if (!regex) return 0;
    const ns::Range range = input.boolean() ? ns::Range{0, subject.length()} : input.rangeAround(subject.length());
    const bool valid = subject.isValidRange(range);
    std::int64_t last = range.location;
    std::int64_t count = 0;
    for (const auto& match : regex->matches(subject, range)) {
        fuzz::require(valid, "an invalid range finds nothing");
        const ns::Range whole = match.range();
        fuzz::require(whole.location >= last && whole.max() <= range.max(), "matches stay in order in the range");
        fuzz::require(match.numberOfRanges() == regex->numberOfCaptureGroups() + 1, "one range per group");
        for (std::int64_t g = 1; g < match.numberOfRanges(); ++g) {
            const ns::Range group = match.range(g);
            if (group.location != ns::notFound) fuzz::require(subject.isValidRange(group), "groups are in the subject");
        }
        last = whole.max();
        ++count;
    }
    fuzz::require(regex->numberOfMatches(subject, range) == count, "counting agrees with listing");
    const auto first = regex->firstMatch(subject, range);
    fuzz::require(first.has_value() == (count > 0), "a first match exists exactly when any does");
    return 0;
}
