#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace pellavo::testing {

// An HTTP server on 127.0.0.1 (never any other address) for network tests. Routes:
//   /image.png        a small PNG (pngBytes())
//   /text             "not an image" as text/plain
//   /missing          404 with the body "nothing here"
//   /slow             waits until releaseSlow() (or teardown), then "finally"
//   /drip             chunked: one "x" for each drip(), ending at endDrip() (or teardown)
//   /large            oversizeBytes with a Content-Length
//   /large-chunked    oversizeBytes, chunked (no length known up front)
//   /redirect         302 to /text
//   /redirect-ftp     302 to an ftp:// URL
//   /loop             302 to itself
//   /bomb.png         a PNG whose header claims 100000 × 100000 pixels
// and, from a second listener that writes raw bytes, answers no HTTP server would give
// (see hostileRoutes() in the source):
//   /hostile/<name>
class LoopbackServer {
public:
    static constexpr std::size_t oversizeBytes = 2 * 1024 * 1024;

    LoopbackServer();
    // Releases the slow route, then stops and joins the server.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    std::string url(std::string_view path) const;
    const std::vector<std::byte>& pngBytes() const { return png_; }

    // Requests that have reached `path` so far, whatever came of them.
    int requests(std::string_view path) const;

    // Requests that have reached the slow route so far.
    int slowArrivals() const;
    // Lets the drip route send one more byte; ends its body after those allowed.
    void drip();
    void endDrip();
    void releaseSlow();

    // Header lines the /hostile/header-drip route has sent so far (one each 10 ms of real
    // time, for 2 s, never ending the head).
    int headerLinesDripped() const { return headerLinesDripped_.load(); }

    // A port on 127.0.0.1 that nothing listens on: bound, read, closed.
    static int closedPort();

private:
    void serveHostile();
    void answerHostile(int fd);

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = -1;
    std::vector<std::byte> png_;
    mutable std::mutex mutex_;
    std::condition_variable slowReleased_;
    bool released_ = false;
    int slowArrivals_ = 0;
    int dripsAllowed_ = 0;
    bool dripEnded_ = false;
    std::vector<std::string> requestPaths_;
    int hostileListener_ = -1;
    int hostilePort_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<int> headerLinesDripped_{0};
    std::thread hostileThread_;
};

// Pumps the main run loop until the predicate holds. Fails the test after 10 s of real
// time: a guard against hangs, not a speed assertion.
bool runUntil(const std::function<bool()>& predicate);

} // namespace pellavo::testing
