#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ns/URL.hpp"

namespace pellavo::ns {

// What to load: a GET of one URL, with an idle time-out.
class PELLAVO_EXPORT URLRequest {
public:
    enum class CachePolicy { useProtocolCachePolicy, reloadIgnoringLocalCacheData };

    static constexpr double defaultTimeoutInterval = 60;

    explicit URLRequest(URL url, CachePolicy cachePolicy = CachePolicy::useProtocolCachePolicy,
                        double timeoutInterval = defaultTimeoutInterval);

    const URL& url() const { return url_; }
    // Stored only: nothing is cached.
    CachePolicy cachePolicy() const { return cachePolicy_; }
    void setCachePolicy(CachePolicy policy) { cachePolicy_ = policy; }
    // Seconds without a received byte before the load fails; ≤ 0 or NaN means 60.
    double timeoutInterval() const { return timeoutInterval_; }
    void setTimeoutInterval(double seconds);
    String httpMethod() const { return "GET"; }

private:
    URL url_;
    CachePolicy cachePolicy_;
    double timeoutInterval_ = defaultTimeoutInterval;
};

} // namespace pellavo::ns
