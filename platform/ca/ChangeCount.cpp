#include "platform/ca/ChangeCount.hpp"

#include <atomic>

namespace pellavo::ca {

namespace {
std::atomic<std::uint64_t> changes{0};
}

std::uint64_t ChangeCount::current() { return changes.load(std::memory_order_relaxed); }

void ChangeCount::increment() { changes.fetch_add(1, std::memory_order_relaxed); }

} // namespace pellavo::ca
