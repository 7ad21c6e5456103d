#include "platform/ns/URLTransport.hpp"

#include <utility>

#include "platform/ns/Clock.hpp"
#include "platform/ns/InstalledSlot.hpp"

namespace pellavo::ns {

namespace {

// Immortal: workers may ask for the transport while the process exits.
InstalledSlot<URLTransport>& installedTransport() {
    static auto* slot = new InstalledSlot<URLTransport>;
    return *slot;
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

std::shared_ptr<URLTransport> URLTransport::installed() { return installedTransport().get(); }

std::shared_ptr<URLTransport> URLTransport::install(std::shared_ptr<URLTransport> transport) {
    return installedTransport().exchange(std::move(transport));
}

} // namespace pellavo::ns
