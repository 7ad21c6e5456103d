#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"

namespace pellavo {

// The kinds of text an input field may be limited to, each checked by one fixed pattern.
enum class InputType { numberic, telephone, bankcard, identNumber };

namespace string {

// Whether any part of `text` matches the type's pattern (matches are looked for over the
// whole text, so an unanchored alternative passes as soon as one part matches).
PELLAVO_EXPORT bool checkRegex(const ns::String& text, InputType type);

} // namespace string

} // namespace pellavo
