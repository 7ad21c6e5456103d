#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/Data.hpp"
#include "platform/ns/Error.hpp"
#include "platform/ns/HTTPURLResponse.hpp"
#include "platform/ns/URL.hpp"

namespace pellavo::ns {

// What a finished load reports: on success the body and the response, on failure the
// error alone.
struct PELLAVO_EXPORT URLTransferResult {
    std::optional<Data> data;
    std::shared_ptr<const HTTPURLResponse> response;
    std::optional<Error> error;

    static URLTransferResult failure(Error error) { return {std::nullopt, nullptr, std::move(error)}; }
};

// One load handed to the transport. The task makes it and keeps it weakly; the
// transport holds it until the load ends. Members are safe from any thread.
class PELLAVO_EXPORT URLTransfer {
public:
    using Finish = std::function<void(URLTransferResult)>;

    URLTransfer(URL url, std::int64_t maximumBodyBytes, Finish finish);

    const URL& url() const { return url_; }
    std::int64_t maximumBodyBytes() const { return maximumBodyBytes_; }

    // The transport drops a cancelled transfer at its next wake-up, without a result.
    void cancel() { cancelled_.store(true, std::memory_order_release); }
    bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }

    // The load started or bytes arrived: stamps the shared clock's current instant.
    void noteActivity();
    std::int64_t lastActivity() const { return lastActivity_.load(std::memory_order_acquire); }

    // Hands the result over, once; nothing after a cancel or a first call.
    void finish(URLTransferResult result);

private:
    const URL url_;
    const std::int64_t maximumBodyBytes_;
    std::atomic<bool> cancelled_{false};
    std::atomic<std::int64_t> lastActivity_{0};
    std::mutex mutex_;
    Finish finish_;
};

// Moves bytes for URLSession. The platform installs its implementation when it
// initialises (see platform/Platform.hpp); sessions use whatever is installed when a
// task resumes.
class PELLAVO_EXPORT URLTransport {
public:
    virtual ~URLTransport() = default;

    // Called on the main thread. The transport must not finish the transfer inside this
    // call; it honours the body cap, reports activity and watches for cancellation.
    virtual void start(std::shared_ptr<URLTransfer> transfer) = 0;

    static std::shared_ptr<URLTransport> installed();
    // Replaces the installed transport (null removes it) and returns the previous one.
    static std::shared_ptr<URLTransport> install(std::shared_ptr<URLTransport> transport);
};

} // namespace pellavo::ns
