#include "platform/ns/URLSession.hpp"

#include <utility>

namespace pellavo::ns {

std::shared_ptr<URLSession> URLSession::make(URLSessionConfiguration configuration) {
    return ns::make<URLSession>(Key{}, configuration);
}

std::shared_ptr<URLSessionDataTask> URLSession::dataTask(const URLRequest& request,
                                                         URLSessionDataTask::Completion completion) {
    return ns::make<URLSessionDataTask>(URLSessionDataTask::Key{}, nextIdentifier_++, request, configuration_,
                                        std::move(completion));
}

std::shared_ptr<URLSessionDataTask> URLSession::dataTask(const URL& url, URLSessionDataTask::Completion completion) {
    return dataTask(URLRequest(url), std::move(completion));
}

} // namespace pellavo::ns
