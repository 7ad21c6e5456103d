#pragma once

#include <cstdint>
#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/URL.hpp"
#include "platform/ns/URLRequest.hpp"
#include "platform/ns/URLSessionConfiguration.hpp"
#include "platform/ns/URLSessionDataTask.hpp"

namespace pellavo::ns {

// Makes data tasks that load over the installed transport and complete on the main
// queue. There are no delegates; a session released while its tasks run does not stop
// them.
class PELLAVO_EXPORT URLSession : public Object {
    struct Key {
        explicit Key() = default;
    };

public:
    static std::shared_ptr<URLSession> make(
        URLSessionConfiguration configuration = URLSessionConfiguration::ephemeral());

    URLSession(Key, URLSessionConfiguration configuration) : configuration_(configuration) {}

    std::string_view className() const override { return "NSURLSession"; }

    const URLSessionConfiguration& configuration() const { return configuration_; }

    // A suspended task; identifiers count from 1 within the session.
    std::shared_ptr<URLSessionDataTask> dataTask(const URLRequest& request, URLSessionDataTask::Completion completion);
    std::shared_ptr<URLSessionDataTask> dataTask(const URL& url, URLSessionDataTask::Completion completion);

private:
    const URLSessionConfiguration configuration_;
    std::uint64_t nextIdentifier_ = 1;
};

} // namespace pellavo::ns
