#include "platform/ns/RegularExpression.hpp"

#include <unicode/regex.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>

#include <limits>

namespace pellavo::ns {

namespace {

// Match-engine steps, roughly a second of work: a runaway pattern gives up.
constexpr int32_t kTimeLimit = 1000;
// Bytes of backtracking state one matcher may use.
constexpr int32_t kStackLimit = 8 * 1024 * 1024;

} // namespace

struct RegularExpression::Impl {
    String pattern;
    std::unique_ptr<icu::RegexPattern> compiled;
};

Range TextCheckingResult::range(int64_t at) const {
    if (at < 0 || at >= numberOfRanges()) return {notFound, 0};
    return ranges_[static_cast<size_t>(at)];
}

std::optional<RegularExpression> RegularExpression::make(const String& pattern) {
    if (pattern.isEmpty() || pattern.length() > std::numeric_limits<int32_t>::max()) return std::nullopt;
    const icu::UnicodeString source(reinterpret_cast<const UChar*>(pattern.utf16().data()),
                                    static_cast<int32_t>(pattern.length()));
    UParseError parseError{};
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(source, 0, parseError, status));
    if (U_FAILURE(status) || compiled == nullptr) return std::nullopt;
    auto impl = std::make_shared<Impl>();
    impl->pattern = pattern;
    impl->compiled = std::move(compiled);
    return RegularExpression(std::move(impl));
}

const String& RegularExpression::pattern() const { return impl_->pattern; }

int64_t RegularExpression::numberOfCaptureGroups() const {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(impl_->compiled->matcher(status));
    if (U_FAILURE(status) || matcher == nullptr) return 0;
    return matcher->groupCount();
}

void RegularExpression::search(const String& in, Range range,
                               const std::function<bool(TextCheckingResult&&)>& visit) const {
    if (!in.isValidRange(range)) return;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(impl_->compiled->matcher(status));
    if (U_FAILURE(status) || matcher == nullptr) return;
    matcher->setTimeLimit(kTimeLimit, status);
    matcher->setStackLimit(kStackLimit, status);
    UText text = UTEXT_INITIALIZER;
    utext_openUChars(&text, reinterpret_cast<const UChar*>(in.utf16().data()), in.length(), &status);
    if (U_FAILURE(status)) {
        utext_close(&text);
        return;
    }
    matcher->reset(&text);
    // Default bounds: anchors match at the range's ends and look-around stays inside it.
    matcher->region(range.location, range.location + range.length, status);
    const int32_t groups = matcher->groupCount();
    // find() itself steps past an empty match by one code point, so the
    // matches never overlap and never split a surrogate pair.
    while (U_SUCCESS(status) && matcher->find(status) && U_SUCCESS(status)) {
        std::vector<Range> ranges;
        ranges.reserve(static_cast<size_t>(groups) + 1);
        for (int32_t g = 0; g <= groups; ++g) {
            const int64_t start = matcher->start64(g, status);
            const int64_t end = matcher->end64(g, status);
            if (U_FAILURE(status)) break;
            ranges.push_back(start < 0 ? Range{notFound, 0} : Range{start, end - start});
        }
        if (U_FAILURE(status)) break;
        if (!visit(TextCheckingResult(std::move(ranges)))) break;
    }
    // A time-out or stack overflow ends the search with what was found.
    matcher.reset();
    utext_close(&text);
}

void RegularExpression::enumerateMatches(const String& in, Range range, const Block& block) const {
    if (!block) return;
    // The block may change the caller's string; the search reads its own copy.
    const String text = in;
    search(text, range, [&](TextCheckingResult&& result) {
        bool stop = false;
        block(result, stop);
        return !stop;
    });
}

std::vector<TextCheckingResult> RegularExpression::matches(const String& in, Range range) const {
    std::vector<TextCheckingResult> out;
    search(in, range, [&](TextCheckingResult&& result) {
        out.push_back(std::move(result));
        return true;
    });
    return out;
}

std::optional<TextCheckingResult> RegularExpression::firstMatch(const String& in, Range range) const {
    std::optional<TextCheckingResult> out;
    search(in, range, [&](TextCheckingResult&& result) {
        out = std::move(result);
        return false;
    });
    return out;
}

int64_t RegularExpression::numberOfMatches(const String& in, Range range) const {
    int64_t count = 0;
    search(in, range, [&](TextCheckingResult&&) {
        ++count;
        return true;
    });
    return count;
}

} // namespace pellavo::ns
