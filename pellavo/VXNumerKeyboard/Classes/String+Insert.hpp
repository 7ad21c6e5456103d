#pragma once

#include <cstdint>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"

// Text helpers of the regular-expression field; not part of the installed headers.
namespace pellavo::string {

// True when the text is not empty and every Unicode scalar in it is a decimal digit
// of any script (general category Nd).
PELLAVO_EXPORT bool onlyNumbers(const ns::String& text);

// The text without its spaces (U+0020), cut into groups of `interval` grapheme
// clusters, the separator following every complete group, the last one included:
// with " " and 4, "12345678" gives "1234 5678 " and "12345" gives "1234 5". An
// interval below 1 gives the text without spaces and no separators.
PELLAVO_EXPORT ns::String insert(const ns::String& text, const ns::String& separator, std::int64_t interval);

} // namespace pellavo::string
