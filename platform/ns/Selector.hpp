#pragma once

#include "platform/ns/Export.hpp"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pellavo::ns {

// The name of an action method ("countDown", "handleTimerFire:"). Names are
// interned once per process, so copies are a pointer and comparison is identity.
class PELLAVO_EXPORT Selector {
public:
    // The empty selector, which no class responds to.
    Selector();
    explicit Selector(std::string_view name);

    std::string_view name() const { return *name_; }
    // A trailing ':' means the action takes the sender.
    bool takesArgument() const { return !name_->empty() && name_->back() == ':'; }
    bool isEmpty() const { return name_->empty(); }

    friend bool operator==(const Selector& a, const Selector& b) { return a.name_ == b.name_; }
    std::size_t hash() const { return std::hash<const void*>{}(name_); }

private:
    const std::string* name_;
};

} // namespace pellavo::ns

template <>
struct std::hash<pellavo::ns::Selector> {
    std::size_t operator()(const pellavo::ns::Selector& s) const noexcept { return s.hash(); }
};
