#include "platform/ns/URLTransport.hpp"

#include <utility>

#include "platform/ns/Clock.hpp"

namespace pellavo::ns {

namespace {

// Immortal: workers may ask for the transport while the process exits.
struct Installed {
    std::mutex mutex;
    std::shared_ptr<URLTransport> transport;
};

Installed& installedTransport() {
    static auto* state = new Installed;
    return *state;
}

} // namespace

URLTransfer::URLTransfer(URL url, std::int64_t maximumBodyBytes, Finish finish)
    : url_(std::move(url)), maximumBodyBytes_(maximumBodyBytes), finish_(std::move(finish)) {}

void URLTransfer::noteActivity() { lastActivity_.store(Clock::shared()->now(), std::memory_order_release); }

void URLTransfer::finish(URLTransferResult result) {
    Finish finish;
    {
        std::lock_guard lock(mutex_);
        finish = std::exchange(finish_, nullptr);
    }
    if (finish && !isCancelled()) finish(std::move(result));
}

std::shared_ptr<URLTransport> URLTransport::installed() {
    auto& state = installedTransport();
    std::lock_guard lock(state.mutex);
    return state.transport;
}

std::shared_ptr<URLTransport> URLTransport::install(std::shared_ptr<URLTransport> transport) {
    auto& state = installedTransport();
    std::lock_guard lock(state.mutex);
    return std::exchange(state.transport, std::move(transport));
}

} // namespace pellavo::ns
