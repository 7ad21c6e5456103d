#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ui {

// The user-edit path of a text input. The keyboard sends these only while the
// implementing responder is its active input.
class PELLAVO_EXPORT KeyInput {
public:
    virtual ~KeyInput() = default;
    virtual bool hasText() const = 0;
    virtual void insertText(const ns::String& text) = 0;
    virtual void deleteBackward() = 0;
    // The Return key; by default a line break typed like any other text.
    virtual void returnKey() { insertText(ns::String("\n")); }
};

} // namespace pellavo::ui
