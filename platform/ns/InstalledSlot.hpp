#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace pellavo::ns {

// The one implementation a seam installs into (a transport, an application host): any
// thread may read it while the composition root replaces it. Keep the slot immortal
// (`static auto* slot = new InstalledSlot<T>`), since workers may ask while the process exits.
template <class T>
class InstalledSlot {
public:
    std::shared_ptr<T> get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }
    // Puts `value` in and answers what was there.
    std::shared_ptr<T> exchange(std::shared_ptr<T> value) {
        std::lock_guard lock(mutex_);
        return std::exchange(value_, std::move(value));
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<T> value_;
};

} // namespace pellavo::ns
