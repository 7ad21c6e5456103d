#include "platform/ui/event/TouchSet.hpp"

#include <algorithm>

namespace pellavo::ui {

TouchSet::TouchSet(std::initializer_list<value_type> touches) {
    for (const auto& touch : touches) insert(touch);
}

bool TouchSet::insert(const value_type& touch) {
    if (!touch || contains(touch.get())) return false;
    touches_.push_back(touch);
    return true;
}

bool TouchSet::erase(const Touch* touch) {
    const auto it = std::find_if(touches_.begin(), touches_.end(), [&](const value_type& t) { return t.get() == touch; });
    if (it == touches_.end()) return false;
    touches_.erase(it);
    return true;
}

bool TouchSet::contains(const Touch* touch) const {
    return touch && std::any_of(touches_.begin(), touches_.end(), [&](const value_type& t) { return t.get() == touch; });
}

} // namespace pellavo::ui
