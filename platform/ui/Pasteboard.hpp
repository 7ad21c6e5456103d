#pragma once

#include <optional>

#include "platform/ns/String.hpp"

namespace pellavo::ui {

// The process-local pasteboard (the SDL backend mirrors it to the system clipboard).
class Pasteboard {
public:
    static Pasteboard& general();

    std::optional<ns::String> string() const { return string_; }
    void setString(std::optional<ns::String> string) { string_ = std::move(string); }
    bool hasStrings() const { return string_.has_value(); }

private:
    std::optional<ns::String> string_;
};

} // namespace pellavo::ui
