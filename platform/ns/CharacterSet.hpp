#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ns {

// An immutable set of Unicode scalars, cheap to copy.
class PELLAVO_EXPORT CharacterSet {
public:
    // General category Nd in every script, not only ASCII 0-9.
    static CharacterSet decimalDigits();
    // Categories Zs, Zl and Zp, U+0009 to U+000D and U+0085.
    static CharacterSet whitespacesAndNewlines();
    // Exactly the scalars of the string (a lone surrogate counts as U+FFFD).
    static CharacterSet characters(const String& in);

    bool contains(char32_t scalar) const;
    CharacterSet inverted() const;

    struct Impl;

private:
    explicit CharacterSet(std::shared_ptr<const Impl> impl, bool inverted = false)
        : impl_(std::move(impl)), inverted_(inverted) {}
    std::shared_ptr<const Impl> impl_;
    bool inverted_ = false;
};

} // namespace pellavo::ns
