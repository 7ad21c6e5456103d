#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ui {

// The process-local pasteboard (the SDL backend mirrors it to the system clipboard).
class PELLAVO_EXPORT Pasteboard {
public:
    static Pasteboard& general();

    std::optional<ns::String> string() const { return string_; }
    void setString(std::optional<ns::String> string) {
        string_ = std::move(string);
        ++changeCount_;
    }
    bool hasStrings() const { return string_.has_value(); }
    // Goes up with every setString, so that a mirror (the SDL backend's system
    // clipboard) can tell when to copy the contents out.
    long changeCount() const { return changeCount_; }

private:
    std::optional<ns::String> string_;
    long changeCount_ = 0;
};

} // namespace pellavo::ui
