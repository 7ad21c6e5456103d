#pragma once

#include "platform/ns/Export.hpp"

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <vector>

namespace pellavo::ui {

class Touch;

// A set of touches that keeps the order they were added in.
class PELLAVO_EXPORT TouchSet {
public:
    using value_type = std::shared_ptr<Touch>;
    using const_iterator = std::vector<value_type>::const_iterator;

    TouchSet() = default;
    TouchSet(std::initializer_list<value_type> touches);

    // False for null and for a touch already present.
    bool insert(const value_type& touch);
    bool erase(const Touch* touch);
    bool contains(const Touch* touch) const;
    bool contains(const value_type& touch) const { return contains(touch.get()); }

    std::size_t size() const { return touches_.size(); }
    bool empty() const { return touches_.empty(); }
    // The first touch added, or null.
    value_type first() const { return touches_.empty() ? nullptr : touches_.front(); }
    const_iterator begin() const { return touches_.begin(); }
    const_iterator end() const { return touches_.end(); }
    const std::vector<value_type>& asVector() const { return touches_; }

private:
    std::vector<value_type> touches_;
};

} // namespace pellavo::ui
