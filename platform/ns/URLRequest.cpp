#include "platform/ns/URLRequest.hpp"

#include <utility>

namespace pellavo::ns {

URLRequest::URLRequest(URL url, CachePolicy cachePolicy, double timeoutInterval)
    : url_(std::move(url)), cachePolicy_(cachePolicy) {
    setTimeoutInterval(timeoutInterval);
}

void URLRequest::setTimeoutInterval(double seconds) {
    // NaN fails the comparison too.
    timeoutInterval_ = seconds > 0 ? seconds : defaultTimeoutInterval;
}

} // namespace pellavo::ns
