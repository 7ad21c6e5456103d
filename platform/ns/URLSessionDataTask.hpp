#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/Data.hpp"
#include "platform/ns/Error.hpp"
#include "platform/ns/HTTPURLResponse.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/URLRequest.hpp"
#include "platform/ns/URLSessionConfiguration.hpp"

namespace pellavo::ns {

class URLTransfer;
struct URLTransferResult;

// One GET, made by URLSession::dataTask. Its completion runs on the main queue exactly
// once (after resume, or after cancel), and is released right after the call. A running
// task keeps itself alive, so neither the task nor its session needs to be held.
class PELLAVO_EXPORT URLSessionDataTask : public Object {
    struct Key {
        explicit Key() = default;
    };

public:
    enum class State { running = 0, suspended = 1, canceling = 2, completed = 3 };
    using Completion =
        std::function<void(std::optional<Data>, std::shared_ptr<const HTTPURLResponse>, std::optional<Error>)>;

    URLSessionDataTask(Key, std::uint64_t identifier, URLRequest request, URLSessionConfiguration configuration,
                       Completion completion);
    ~URLSessionDataTask() override;

    std::string_view className() const override { return "NSURLSessionDataTask"; }

    // Starts a suspended task; nothing in any other state. An unsupported scheme fails
    // on a later turn, never inside this call.
    void resume();
    // A task that has not completed finishes with a cancelled error (one completion).
    void cancel();

    State state() const { return state_; }
    std::uint64_t taskIdentifier() const { return identifier_; }
    const URLRequest& originalRequest() const { return request_; }

private:
    friend class URLSession;

    // Queues the outcome for the main queue unless one is already on its way.
    void post(URLTransferResult result);
    void complete(URLTransferResult result);
    void armTimeout(std::int64_t dueNs);
    void disarmTimeout();
    void timeoutDidFire();

    const std::uint64_t identifier_;
    const URLRequest request_;
    const URLSessionConfiguration configuration_;
    Completion completion_;
    State state_ = State::suspended;
    bool outcomePosted_ = false;
    std::weak_ptr<URLTransfer> transfer_;
    std::uint64_t timeoutEvent_ = 0;
};

} // namespace pellavo::ns
