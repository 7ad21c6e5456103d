#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"

namespace pellavo {

class VXRegexTextField;

// What a regular-expression field tells its host. The field holds its delegate
// strongly: a delegate that holds the field breaks the cycle by clearing
// setRegexDelegate(nullptr).
class PELLAVO_EXPORT VXRegexTextFieldDelegate {
public:
    virtual ~VXRegexTextFieldDelegate() = default;
    // Asked before the field's own rule, with the edit's UTF-16 range and its
    // replacement; false refuses the edit (bank-card regrouping included).
    virtual bool regexTextFieldShouldChangeCharactersIn(VXRegexTextField& field, ns::Range range,
                                                        const ns::String& replacementString) = 0;
    // After each edit the field applied from the user (typing, a key, paste, delete).
    virtual void regexTextFieldEditingChanged(VXRegexTextField& field) = 0;
};

} // namespace pellavo
