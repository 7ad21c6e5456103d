#include "platform/ns/CharacterSet.hpp"

#include <unicode/uchar.h>

#include <algorithm>
#include <vector>

namespace pellavo::ns {

struct CharacterSet::Impl {
    enum class Kind { decimalDigits, whitespacesAndNewlines, explicitScalars };
    Kind kind;
    std::vector<char32_t> scalars;  // sorted, for explicitScalars
};

CharacterSet CharacterSet::decimalDigits() {
    static const auto impl = std::make_shared<const Impl>(Impl{Impl::Kind::decimalDigits, {}});
    return CharacterSet(impl);
}

CharacterSet CharacterSet::whitespacesAndNewlines() {
    static const auto impl = std::make_shared<const Impl>(Impl{Impl::Kind::whitespacesAndNewlines, {}});
    return CharacterSet(impl);
}

CharacterSet CharacterSet::characters(const String& in) {
    std::u32string scalars = in.unicodeScalars();
    std::vector<char32_t> sorted(scalars.begin(), scalars.end());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    return CharacterSet(std::make_shared<const Impl>(Impl{Impl::Kind::explicitScalars, std::move(sorted)}));
}

bool CharacterSet::contains(char32_t scalar) const {
    bool member = false;
    if (scalar <= 0x10FFFF) {
        const auto c = static_cast<UChar32>(scalar);
        switch (impl_->kind) {
        case Impl::Kind::decimalDigits:
            member = u_charType(c) == U_DECIMAL_DIGIT_NUMBER;
            break;
        case Impl::Kind::whitespacesAndNewlines: {
            const int8_t type = u_charType(c);
            member = type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR ||
                     (scalar >= 0x09 && scalar <= 0x0D) || scalar == 0x85;
            break;
        }
        case Impl::Kind::explicitScalars:
            member = std::binary_search(impl_->scalars.begin(), impl_->scalars.end(), scalar);
            break;
        }
    }
    return member != inverted_;
}

CharacterSet CharacterSet::inverted() const { return CharacterSet(impl_, !inverted_); }

} // namespace pellavo::ns
