#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ui/text/TextField.hpp"

namespace pellavo {

// The standard edit actions a field can be told to offer or refuse.
enum class ResponderStandardEditActions {
    cut, copy, paste, select, selectAll, delete_, // `delete` is a C++ keyword
    makeTextWritingDirectionLeftToRight, makeTextWritingDirectionRightToLeft,
    toggleBoldface, toggleItalics, toggleUnderline, increaseSize, decreaseSize
};

// The action's selector: its name followed by ":" ("delete:" for delete_).
PELLAVO_EXPORT ns::Selector selector(ResponderStandardEditActions action);

// A text field whose edit actions come from an allow list or a deny list. Setting a
// non-empty list empties the other; with both empty the platform decides.
class PELLAVO_EXPORT TextField : public ui::TextField {
public:
    explicit TextField(cg::Rect frame = {});
    explicit TextField(const ns::Coder& coder);
    std::string_view className() const override { return "TextField"; }

    const std::vector<ResponderStandardEditActions>& allowedActions() const { return allowedActions_; }
    void setAllowedActions(std::vector<ResponderStandardEditActions> actions);
    const std::vector<ResponderStandardEditActions>& notAllowedActions() const { return notAllowedActions_; }
    void setNotAllowedActions(std::vector<ResponderStandardEditActions> actions);

    // An allow list offers exactly its actions, whatever the field's state; a deny list
    // offers everything else (targetForAction still needs a handler to send anything).
    bool canPerformAction(ns::Selector action, ns::Object* sender) const override;

private:
    std::vector<ResponderStandardEditActions> allowedActions_;
    std::vector<ResponderStandardEditActions> notAllowedActions_;
};

} // namespace pellavo
