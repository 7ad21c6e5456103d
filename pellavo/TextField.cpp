#include "pellavo/TextField.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"

namespace pellavo {

ns::Selector selector(ResponderStandardEditActions action) {
    static const std::array<ns::Selector, 13> selectors{
        ns::Selector("cut:"), ns::Selector("copy:"), ns::Selector("paste:"), ns::Selector("select:"),
        ns::Selector("selectAll:"), ns::Selector("delete:"), ns::Selector("makeTextWritingDirectionLeftToRight:"),
        ns::Selector("makeTextWritingDirectionRightToLeft:"), ns::Selector("toggleBoldface:"),
        ns::Selector("toggleItalics:"), ns::Selector("toggleUnderline:"), ns::Selector("increaseSize:"),
        ns::Selector("decreaseSize:")};
    return selectors.at(static_cast<std::size_t>(action));
}

TextField::TextField(cg::Rect frame) : ui::TextField(frame) {}

TextField::TextField(const ns::Coder& coder) : ui::TextField(coder) {}

void TextField::setAllowedActions(std::vector<ResponderStandardEditActions> actions) {
    allowedActions_ = std::move(actions);
    if (!allowedActions_.empty()) notAllowedActions_.clear();
}

void TextField::setNotAllowedActions(std::vector<ResponderStandardEditActions> actions) {
    notAllowedActions_ = std::move(actions);
    if (!notAllowedActions_.empty()) allowedActions_.clear();
}

namespace {

bool listHolds(const std::vector<ResponderStandardEditActions>& list, const ns::Selector& action) {
    return std::any_of(list.begin(), list.end(), [&](auto each) { return selector(each) == action; });
}

// The lists are not visible by name; the edit actions are found through UITextField.
[[maybe_unused]] const auto registration = ns::ClassRegistration<TextField>("TextField", "UITextField");

} // namespace

bool TextField::canPerformAction(ns::Selector action, ns::Object* sender) const {
    if (!allowedActions_.empty()) return listHolds(allowedActions_, action);
    if (!notAllowedActions_.empty()) return !listHolds(notAllowedActions_, action);
    return ui::TextField::canPerformAction(action, sender);
}

} // namespace pellavo
