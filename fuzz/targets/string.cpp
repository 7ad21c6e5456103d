// UTF-8 bytes as a string, then ranges and offsets from the rest of the input through
// the string and attributed-string operations. Every operation that takes a range must
// succeed exactly when isValidRange accepts it, and leave the string whole.

#include <string>
#include <vector>

#include "fuzz/FuzzSupport.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/String.hpp"

using namespace pellavo;

namespace {

// The runs tile the string: contiguous from 0 to its length, none empty.
void requireWellFormed(const ns::AttributedString& text) {
    std::int64_t at = 0;
    for (const auto& run : text.runs()) {
        fuzz::require(run.range.location == at && run.range.length > 0, "runs tile the string");
        at = run.range.max();
    }
    fuzz::require(at == text.length(), "runs cover the string");
}

void stringOperation(const ns::String& s, fuzz::Input& input) {
    const std::int64_t length = s.length();
    const ns::Range range = input.rangeAround(length);
    const bool valid = s.isValidRange(range);
    switch (input.byte() % 5) {
    case 0: {
        const auto sub = s.substring(range);
        fuzz::require(sub.has_value() == valid, "substring succeeds exactly for a valid range");
        if (sub) fuzz::require(sub->length() == range.length, "a substring has the range's length");
        break;
    }
    case 1: {
        const ns::String with(input.text(12));
        const auto replaced = s.replacingCharacters(range, with);
        fuzz::require(replaced.has_value() == valid, "replacing succeeds exactly for a valid range");
        if (replaced) {
            fuzz::require(replaced->length() == length - range.length + with.length(), "replacing keeps the rest");
            fuzz::require(replaced->substring({0, range.location}) == s.substring({0, range.location}),
                          "replacing keeps the head");
        }
        break;
    }
    case 2: {
        const std::int64_t utf16 = input.offsetAround(length);
        const std::int64_t utf8 = s.utf8Offset(utf16);
        const auto bytes = static_cast<std::int64_t>(s.utf8().size());
        fuzz::require(utf8 >= 0 && utf8 <= bytes, "a UTF-8 offset stays in the string");
        const std::int64_t back = s.utf16Offset(utf8);
        fuzz::require(back >= 0 && back <= length, "a UTF-16 offset stays in the string");
        if (s.isValidRange({0, utf16})) fuzz::require(back == utf16, "offsets at boundaries round-trip");
        fuzz::require(s.utf8Offset(s.utf16Offset(input.offsetAround(bytes))) <= bytes, "offsets clamp");
        break;
    }
    case 3: {
        const auto ranges = s.graphemeRanges();
        fuzz::require(static_cast<std::int64_t>(ranges.size()) == s.graphemeCount(), "one range per grapheme");
        std::int64_t at = 0;
        for (const auto& r : ranges) {
            fuzz::require(r.location == at && r.length > 0 && s.isValidRange(r), "graphemes tile the string");
            at = r.max();
        }
        fuzz::require(at == length, "graphemes cover the string");
        const std::int64_t index = input.offsetAround(length);
        const ns::Range cluster = s.rangeOfComposedCharacterSequence(index);
        if (index >= 0 && index < length) {
            fuzz::require(cluster.contains(index) && s.isValidRange(cluster), "a cluster holds its index");
        } else {
            fuzz::require(cluster.location == ns::notFound, "no cluster outside the string");
        }
        break;
    }
    default: {
        const ns::String needle(input.text(8));
        const ns::Range found = s.range(needle);
        if (found.location != ns::notFound) {
            fuzz::require(s.isValidRange(found) && s.substring(found) == needle, "a found range holds the needle");
        }
        const auto parts = s.components(needle.isEmpty() ? ns::String(",") : needle);
        fuzz::require(!parts.empty(), "a split has at least one part");
        (void)s.replacingOccurrences(needle, ns::String(input.text(4)));
        break;
    }
    }
}

void attributedOperation(ns::MutableAttributedString& text, fuzz::Input& input) {
    const ns::AttributedString before = text;
    const ns::String string = text.string();
    const ns::Range range = input.rangeAround(text.length());
    const bool valid = string.isValidRange(range);
    const ns::AttributedStringKey key(input.boolean() ? "a" : "b");
    const ns::Value value = ns::Value::of(std::string(1, static_cast<char>('x' + input.byte() % 3)));
    switch (input.byte() % 6) {
    case 0: text.setAttributes({{key, value}}, range); break;
    case 1: text.addAttributes({{key, value}}, range); break;
    case 2: text.addAttribute(key, value, range); break;
    case 3: text.removeAttribute(key, range); break;
    case 4: {
        const ns::String with(input.text(12));
        text.replaceCharacters(range, with);
        if (valid) fuzz::require(text.string() == string.replacingCharacters(range, with), "edits the characters");
        break;
    }
    default: {
        const auto sub = before.attributedSubstring(range);
        fuzz::require(sub.has_value() == valid, "a substring exists exactly for a valid range");
        if (sub) {
            fuzz::require(sub->string() == string.substring(range), "a substring has the range's characters");
            requireWellFormed(*sub);
        }
        // Appending a substring can double the text; past a few thousand units that is time
        // spent on copying, not on finding anything.
        if (text.length() < 4096) text.append(sub.value_or(ns::AttributedString(ns::String("+"), {{key, value}})));
        return requireWellFormed(text);
    }
    }
    if (!valid) fuzz::require(text == before, "an invalid range changes nothing");
    requireWellFormed(text);
    ns::Range effective;
    (void)text.attributes(input.offsetAround(text.length()), &effective);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [utf8, program] = fuzz::splitAtNul(data, size);
    const ns::String s(utf8);
    fuzz::require(s.isValidRange({0, s.length()}), "the whole string is a valid range");
    fuzz::Input input(reinterpret_cast<const std::uint8_t*>(program.data()), program.size());
    ns::MutableAttributedString text(s);
    for (int step = 0; step < 64 && !input.empty(); ++step) {
        if (input.boolean()) {
            stringOperation(s, input);
        } else {
            attributedOperation(text, input);
        }
    }
    return 0;
}
