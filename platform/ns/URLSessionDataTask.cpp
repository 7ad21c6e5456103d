#include "platform/ns/URLSessionDataTask.hpp"

#include <utility>

#include "platform/ns/Clock.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/URLError.hpp"
#include "platform/ns/URLTransport.hpp"

namespace pellavo::ns {

URLSessionDataTask::URLSessionDataTask(Key, std::uint64_t identifier, URLRequest request,
                                       URLSessionConfiguration configuration, Completion completion)
    : identifier_(identifier),
      request_(std::move(request)),
      configuration_(configuration),
      completion_(std::move(completion)) {}

URLSessionDataTask::~URLSessionDataTask() { disarmTimeout(); }

void URLSessionDataTask::resume() {
    if (!isMainThread()) {
        RunLoop::main().enqueue([self = sharedFromThis<URLSessionDataTask>()] { self->resume(); });
        return;
    }
    if (state_ != State::suspended) return;
    state_ = State::running;
    if (!request_.url().isHTTP()) {
        post(URLTransferResult::failure(URLError::make(URLError::unsupportedURL, "unsupported URL")));
        return;
    }
    const auto transport = URLTransport::installed();
    if (!transport) {
        post(URLTransferResult::failure(URLError::make(URLError::unknown, "no network transport is installed")));
        return;
    }
    // The transfer keeps the task alive until the result is back on the main queue.
    auto transfer = std::make_shared<URLTransfer>(
        request_.url(), configuration_.maximumBodyBytes(),
        [self = sharedFromThis<URLSessionDataTask>()](URLTransferResult result) mutable {
            // Moved on, so the transport's thread never holds the last reference.
            RunLoop::main().enqueue([self = std::move(self), result = std::move(result)]() mutable {
                if (self->outcomePosted_) return;
                self->outcomePosted_ = true;
                self->complete(std::move(result));
            });
        });
    transfer->noteActivity();
    transfer_ = transfer;
    armTimeout(saturatingAdd(transfer->lastActivity(), secondsToNanoseconds(request_.timeoutInterval())));
    transport->start(std::move(transfer));
}

void URLSessionDataTask::cancel() {
    if (!isMainThread()) {
        RunLoop::main().enqueue([self = sharedFromThis<URLSessionDataTask>()] { self->cancel(); });
        return;
    }
    if (state_ == State::completed || outcomePosted_) return;
    state_ = State::canceling;
    if (const auto transfer = transfer_.lock()) transfer->cancel();
    post(URLTransferResult::failure(URLError::make(URLError::cancelled, "cancelled")));
}

void URLSessionDataTask::post(URLTransferResult result) {
    if (outcomePosted_) return;
    outcomePosted_ = true;
    disarmTimeout();
    RunLoop::main().enqueue([self = sharedFromThis<URLSessionDataTask>(), result = std::move(result)]() mutable {
        self->complete(std::move(result));
    });
}

void URLSessionDataTask::complete(URLTransferResult result) {
    if (state_ == State::completed) return;
    state_ = State::completed;
    disarmTimeout();
    transfer_.reset();
    // Released right after the call, whatever it captured.
    auto completion = std::exchange(completion_, nullptr);
    if (result.error) result.data.reset();
    if (completion) completion(std::move(result.data), std::move(result.response), std::move(result.error));
}

void URLSessionDataTask::armTimeout(std::int64_t dueNs) {
    disarmTimeout();
    timeoutEvent_ = RunLoop::main().schedule(dueNs, [weak = weakFromThis<URLSessionDataTask>()] {
        if (const auto self = weak.lock()) self->timeoutDidFire();
    });
}

void URLSessionDataTask::disarmTimeout() {
    if (timeoutEvent_ == 0) return;
    RunLoop::main().cancel(timeoutEvent_);
    timeoutEvent_ = 0;
}

void URLSessionDataTask::timeoutDidFire() {
    timeoutEvent_ = 0;
    const auto transfer = transfer_.lock();
    if (!transfer || outcomePosted_) return;
    // Bytes arrived since the timer was set: wait a full interval from the latest.
    const std::int64_t due = saturatingAdd(transfer->lastActivity(), secondsToNanoseconds(request_.timeoutInterval()));
    if (due > Clock::shared()->now()) {
        armTimeout(due);
        return;
    }
    transfer->cancel();
    post(URLTransferResult::failure(URLError::make(URLError::timedOut, "The request timed out.")));
}

} // namespace pellavo::ns
