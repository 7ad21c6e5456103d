#include "platform/ns/String.hpp"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>

namespace pellavo::ns {

namespace {

// ICU converters take int32 lengths, so long texts are converted in pieces cut
// where no sequence can straddle the cut.
constexpr size_t kConversionChunk = size_t{1} << 20;

// The break iterator returns int32 offsets; longer texts are segmented in windows.
constexpr int64_t kBreakWindow = int64_t{1} << 30;

bool isLead(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isTrail(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::u16string decodeUtf8(std::string_view in) {
    std::u16string out;
    // A UTF-8 byte never yields more than one UTF-16 unit.
    out.reserve(in.size());
    size_t pos = 0;
    while (pos < in.size()) {
        size_t end = std::min(in.size(), pos + kConversionChunk);
        if (end < in.size()) {
            // Cut before a lead byte: an ill-formed run ends there, a well-formed
            // one cannot continue past it. Four continuation bytes in a row cannot
            // all belong to one sequence, so cutting after them is safe too.
            size_t e = end;
            for (int back = 0; back < 3 && e > pos + 1 && isUtf8Continuation(in[e]); ++back) --e;
            if (!isUtf8Continuation(in[e])) end = e;
        }
        const auto count = static_cast<int32_t>(end - pos);
        const size_t base = out.size();
        out.resize(base + static_cast<size_t>(count));
        int32_t written = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data() + base), count, &written, in.data() + pos,
                             count, 0xFFFD, nullptr, &status);
        if (U_FAILURE(status)) {
            out.resize(base);
            out.push_back(u'\uFFFD');
        } else {
            out.resize(base + static_cast<size_t>(written));
        }
        pos = end;
    }
    return out;
}

// Appends the UTF-8 of in[0, size) to out.
void encodeUtf8(const char16_t* in, size_t size, std::string& out) {
    size_t pos = 0;
    while (pos < size) {
        size_t end = std::min(size, pos + kConversionChunk);
        if (end < size && isTrail(in[end]) && isLead(in[end - 1])) --end;
        const auto count = static_cast<int32_t>(end - pos);
        const size_t base = out.size();
        // At most three bytes per unit (a pair is four bytes for two units).
        out.resize(base + static_cast<size_t>(count) * 3);
        int32_t written = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strToUTF8WithSub(out.data() + base, count * 3, &written, reinterpret_cast<const UChar*>(in + pos), count,
                           0xFFFD, nullptr, &status);
        if (U_FAILURE(status)) {
            out.resize(base);
            out += "\xEF\xBF\xBD";
        } else {
            out.resize(base + static_cast<size_t>(written));
        }
        pos = end;
    }
}

// One character break iterator per thread: creating one loads rules, and an
// iterator is not safe to share between threads.
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) it.reset();
        return it;
    }();
    return iterator.get();
}

// Calls visit(start, end) for each grapheme cluster of units, in order.
template <class Visit>
void forEachGrapheme(const std::u16string& units, Visit&& visit) {
    const auto n = static_cast<int64_t>(units.size());
    icu::BreakIterator* it = characterIterator();
    if (it == nullptr) {
        // Without segmentation rules, a code point is the best guess.
        for (int64_t i = 0; i < n;) {
            const int64_t next = (isLead(units[i]) && i + 1 < n && isTrail(units[i + 1])) ? i + 2 : i + 1;
            visit(i, next);
            i = next;
        }
        return;
    }
    int64_t base = 0;
    while (base < n) {
        const int64_t windowEnd = std::min(n, base + kBreakWindow);
        const bool last = windowEnd == n;
        UErrorCode status = U_ZERO_ERROR;
        UText text = UTEXT_INITIALIZER;
        utext_openUChars(&text, reinterpret_cast<const UChar*>(units.data() + base), windowEnd - base, &status);
        it->setText(&text, status);
        int64_t previous = 0;
        if (U_SUCCESS(status)) {
            for (int32_t b = it->next(); b != icu::BreakIterator::DONE; b = it->next()) {
                // The window's own end is not a real boundary: read on from the
                // last cluster in the next window.
                if (!last && b == windowEnd - base) break;
                visit(base + previous, base + b);
                previous = b;
            }
        }
        utext_close(&text);
        if (last && previous == windowEnd - base) break;
        if (previous == 0) {
            // A failure, or one cluster longer than a window: cut it, never inside a pair.
            int64_t cut = windowEnd;
            if (cut < n && isTrail(units[cut]) && isLead(units[cut - 1]) && cut - 1 > base) --cut;
            visit(base, cut);
            previous = cut - base;
        }
        base += previous;
    }
}

bool splitsPair(const std::u16string& units, int64_t index) {
    const auto n = static_cast<int64_t>(units.size());
    return index > 0 && index < n && isLead(units[index - 1]) && isTrail(units[index]);
}

// Literal occurrences of target at or after from whose ends never split a pair.
int64_t findFrom(const std::u16string& units, const std::u16string& target, int64_t from) {
    if (target.empty()) return notFound;
    auto pos = static_cast<size_t>(from);
    while ((pos = units.find(target, pos)) != std::u16string::npos) {
        const auto at = static_cast<int64_t>(pos);
        if (!splitsPair(units, at) && !splitsPair(units, at + static_cast<int64_t>(target.size()))) return at;
        ++pos;
    }
    return notFound;
}

} // namespace

String::String(const char* utf8) : units_(utf8 == nullptr ? std::u16string() : decodeUtf8(utf8)) {}
String::String(std::string_view utf8) : units_(decodeUtf8(utf8)) {}
String::String(const std::string& utf8) : units_(decodeUtf8(utf8)) {}
String::String(const char16_t* utf16) : units_(utf16 == nullptr ? std::u16string() : std::u16string(utf16)) {}

String String::slice(int64_t start, int64_t end) const {
    String piece;
    piece.units_.assign(units_, static_cast<size_t>(start), static_cast<size_t>(end - start));
    return piece;
}

std::string String::utf8() const {
    std::string out;
    encodeUtf8(units_.data(), units_.size(), out);
    return out;
}

bool String::appendUtf8(Range range, std::string& out) const {
    if (!isValidRange(range)) return false;
    encodeUtf8(units_.data() + range.location, static_cast<size_t>(range.length), out);
    return true;
}

char16_t String::characterAt(int64_t index) const {
    if (index < 0 || index >= length()) return 0;
    return units_[static_cast<size_t>(index)];
}

int64_t String::graphemeCount() const {
    int64_t count = 0;
    forEachGrapheme(units_, [&](int64_t, int64_t) { ++count; });
    return count;
}

std::vector<String> String::graphemes() const {
    std::vector<String> out;
    forEachGrapheme(units_, [&](int64_t start, int64_t end) {
        out.push_back(slice(start, end));
    });
    return out;
}

std::vector<Range> String::graphemeRanges() const {
    std::vector<Range> out;
    forEachGrapheme(units_, [&](int64_t start, int64_t end) { out.emplace_back(start, end - start); });
    return out;
}

Range String::rangeOfComposedCharacterSequence(int64_t index) const {
    if (index < 0 || index >= length()) return {notFound, 0};
    Range found{notFound, 0};
    // Clusters are short; segmenting from the start keeps context rules (flags) right.
    forEachGrapheme(units_, [&](int64_t start, int64_t end) {
        if (found.location == notFound && index >= start && index < end) found = {start, end - start};
    });
    return found;
}

std::u32string String::unicodeScalars() const {
    std::u32string out;
    out.reserve(units_.size());
    const size_t n = units_.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t u = units_[i];
        if (isLead(u) && i + 1 < n && isTrail(units_[i + 1])) {
            out.push_back(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units_[i + 1] - 0xDC00));
            ++i;
        } else if (isLead(u) || isTrail(u)) {
            out.push_back(0xFFFD);
        } else {
            out.push_back(u);
        }
    }
    return out;
}

bool String::isValidRange(Range range) const {
    const int64_t n = length();
    if (range.location < 0 || range.length < 0 || range.location > n || range.length > n - range.location)
        return false;
    return !splitsPair(units_, range.location) && !splitsPair(units_, range.location + range.length);
}

std::optional<String> String::substring(Range range) const {
    if (!isValidRange(range)) return std::nullopt;
    return slice(range.location, range.location + range.length);
}

std::optional<String> String::replacingCharacters(Range range, const String& replacement) const {
    if (!isValidRange(range)) return std::nullopt;
    std::u16string out;
    out.reserve(units_.size() - static_cast<size_t>(range.length) + replacement.units_.size());
    out.append(units_, 0, static_cast<size_t>(range.location));
    out += replacement.units_;
    out.append(units_, static_cast<size_t>(range.location + range.length));
    return String(std::move(out));
}

String String::replacingOccurrences(const String& of, const String& with) const {
    if (of.isEmpty()) return *this;
    std::u16string out;
    int64_t from = 0;
    for (int64_t at = findFrom(units_, of.units_, 0); at != notFound; at = findFrom(units_, of.units_, from)) {
        out.append(units_, static_cast<size_t>(from), static_cast<size_t>(at - from));
        out += with.units_;
        from = at + of.length();
    }
    if (from == 0) return *this;
    out.append(units_, static_cast<size_t>(from));
    return String(std::move(out));
}

std::vector<String> String::components(const String& separatedBy) const {
    if (separatedBy.isEmpty()) return {*this};
    std::vector<String> out;
    int64_t from = 0;
    for (int64_t at = findFrom(units_, separatedBy.units_, 0); at != notFound;
         at = findFrom(units_, separatedBy.units_, from)) {
        out.push_back(slice(from, at));
        from = at + separatedBy.length();
    }
    out.push_back(slice(from, length()));
    return out;
}

Range String::range(const String& of) const {
    const int64_t at = findFrom(units_, of.units_, 0);
    if (at == notFound) return {notFound, 0};
    return {at, of.length()};
}

bool String::hasPrefix(const String& prefix) const {
    return !prefix.isEmpty() && units_.size() >= prefix.units_.size() &&
           units_.compare(0, prefix.units_.size(), prefix.units_) == 0;
}

bool String::hasSuffix(const String& suffix) const {
    return !suffix.isEmpty() && units_.size() >= suffix.units_.size() &&
           units_.compare(units_.size() - suffix.units_.size(), suffix.units_.size(), suffix.units_) == 0;
}

int64_t String::utf8Offset(int64_t utf16Offset) const {
    const int64_t end = std::clamp<int64_t>(utf16Offset, 0, length());
    int64_t bytes = 0;
    for (int64_t i = 0; i < end; ++i) {
        const char16_t u = units_[static_cast<size_t>(i)];
        if (isLead(u) && i + 1 < length() && isTrail(units_[static_cast<size_t>(i + 1)])) {
            bytes += 4;
            ++i;
        } else if (u < 0x80) {
            bytes += 1;
        } else if (u < 0x800) {
            bytes += 2;
        } else {
            bytes += 3;  // other BMP units, and a lone surrogate's U+FFFD
        }
    }
    return bytes;
}

int64_t String::utf16Offset(int64_t utf8Offset) const {
    if (utf8Offset <= 0) return 0;
    int64_t bytes = 0;
    const int64_t n = length();
    for (int64_t i = 0; i < n;) {
        const char16_t u = units_[static_cast<size_t>(i)];
        const bool pair = isLead(u) && i + 1 < n && isTrail(units_[static_cast<size_t>(i + 1)]);
        const int64_t size = pair ? 4 : u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
        if (bytes + size > utf8Offset) return i;
        bytes += size;
        i += pair ? 2 : 1;
    }
    return n;
}

String String::describing(double value) {
    if (std::isnan(value)) return String("nan");
    if (std::isinf(value)) return String(value > 0 ? "inf" : "-inf");
    char buffer[64];
    const double magnitude = std::fabs(value);
    // Plain decimals between 1e-4 and 2^53; exponent form outside, as the
    // platform's description of a double does.
    const bool exponent = magnitude != 0 && (magnitude < 1e-4 || magnitude >= 9007199254740992.0);
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      exponent ? std::chars_format::scientific : std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    if (!exponent && text.find('.') == std::string::npos) text += ".0";
    return String(text);
}

std::ostream& operator<<(std::ostream& os, const String& s) { return os << s.utf8(); }

} // namespace pellavo::ns
