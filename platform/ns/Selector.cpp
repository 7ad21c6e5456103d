#include "platform/ns/Selector.hpp"

#include <mutex>
#include <unordered_set>

namespace pellavo::ns {

namespace {

struct InternTable {
    std::mutex mutex;
    std::unordered_set<std::string> names;
};

// Never destroyed: selectors held by static objects stay valid through exit.
InternTable& table() {
    static auto* t = new InternTable;
    return *t;
}

const std::string* intern(std::string_view name) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    // Node-based set: the address of an element never changes.
    return &*t.names.emplace(name).first;
}

} // namespace

Selector::Selector() {
    static const std::string* const empty = intern({});
    name_ = empty;
}

Selector::Selector(std::string_view name) : name_(intern(name)) {}

} // namespace pellavo::ns
