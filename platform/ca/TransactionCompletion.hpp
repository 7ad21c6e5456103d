#pragma once

#include "platform/ns/Export.hpp"

#include <functional>
#include <mutex>

namespace pellavo::ca {

// A transaction's completion block and the animations it waits for.
class PELLAVO_EXPORT TransactionCompletion {
public:
    void setBlock(std::function<void()> block);
    void track();
    // One tracked animation reached its end or was removed.
    void release();
    // The outermost transaction around this one has committed.
    void outermostCommitted();

private:
    void fireIfDoneLocked(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::function<void()> block_;
    int pending_ = 0;
    bool committed_ = false;
    bool fired_ = false;
};

} // namespace pellavo::ca
