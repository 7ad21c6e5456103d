#include "tests/support/LoopbackServer.hpp"

#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>

#include "platform/cg/Image.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/graphics/Image.hpp"

namespace pellavo::testing {

namespace {

std::vector<std::byte> makePNG() {
    auto pixels = std::make_shared<cg::Image>(4, 3);
    for (std::size_t i = 0; i + 3 < pixels->byteCount(); i += 4) {
        // Opaque orange in premultiplied ARGB32 (little-endian B, G, R, A).
        pixels->mutableData()[i] = 0x20;
        pixels->mutableData()[i + 1] = 0x80;
        pixels->mutableData()[i + 2] = 0xF0;
        pixels->mutableData()[i + 3] = 0xFF;
    }
    return ui::Image(pixels).pngData();
}

std::uint32_t crc32(const unsigned char* bytes, std::size_t count) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string be32(std::uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
}

// A well-formed signature and header that promise a picture far over any decode cap,
// followed by a scrap of data and the end chunk.
std::string makeBombPNG() {
    const auto chunk = [](const std::string& type, const std::string& data) {
        std::string body = type + data;
        const std::uint32_t crc = crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size());
        return be32(static_cast<std::uint32_t>(data.size())) + body + be32(crc);
    };
    std::string header = be32(100000) + be32(100000);
    header += std::string{8, 6, 0, 0, 0}; // 8-bit RGBA, no interlace
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", std::string(16, '\0')) +
           chunk("IEND", "");
}

// What a hostile peer answers, byte for byte, by path; the connection closes after.
const std::map<std::string, std::string, std::less<>>& hostileRoutes() {
    using namespace std::string_literals;
    static const std::map<std::string, std::string, std::less<>> routes{
        {"/hostile/unterminated-head", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"},
        {"/hostile/huge-length", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\nabc"},
        {"/hostile/two-lengths", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 5\r\n\r\nabcde"},
        {"/hostile/bad-version", "HTTP/7.3 200 OK\r\nContent-Length: 3\r\n\r\nabc"},
        {"/hostile/http09", "abc"},
        {"/hostile/garbage-status", "HTTP/1.1 2x0 OK\r\nContent-Length: 3\r\n\r\nabc"},
        {"/hostile/negative-status", "HTTP/1.1 -200 OK\r\nContent-Length: 3\r\n\r\nabc"},
        {"/hostile/long-header", "HTTP/1.1 200 OK\r\nX-Long: " + std::string(2 * 1024 * 1024, 'a') + "\r\n\r\nabc"},
        {"/hostile/empty", ""},
        {"/hostile/short-body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"},
        {"/hostile/nul-header", "HTTP/1.1 200 OK\r\nX-Nul: a\0b\r\nContent-Length: 3\r\n\r\nabc"s},
    };
    return routes;
}

bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

} // namespace

LoopbackServer::LoopbackServer() : server_(std::make_unique<httplib::Server>()), png_(makePNG()) {
    auto& server = *server_;
    server.set_tcp_nodelay(true);
    // One request per connection, so stopping never waits for an idle keep-alive.
    server.set_keep_alive_max_count(1);
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard lock(mutex_);
        requestPaths_.push_back(req.path);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Get("/image.png", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(reinterpret_cast<const char*>(png_.data()), png_.size(), "image/png");
    });
    server.Get("/text", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("not an image", "text/plain; charset=utf-8");
    });
    server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("nothing here", "text/plain");
    });
    server.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
        std::unique_lock lock(mutex_);
        ++slowArrivals_;
        slowReleased_.wait(lock, [this] { return released_; });
        res.set_content("finally", "text/plain");
    });
    server.Get("/large", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(oversizeBytes, 'x'), "application/octet-stream");
    });
    server.Get("/large-chunked", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [sent = std::size_t{0}](
                                                                         size_t, httplib::DataSink& sink) mutable {
            if (sent >= oversizeBytes) {
                sink.done();
                return true;
            }
            const std::string chunk(64 * 1024, 'y');
            sent += chunk.size();
            return sink.write(chunk.data(), chunk.size());
        });
    });
    server.Get("/redirect", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/text"); });
    server.Get("/redirect-ftp", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("ftp://127.0.0.1/file");
    });
    server.Get("/bomb.png", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(makeBombPNG(), "image/png");
    });
    // Not a text type: the server would compress it and hold the single bytes back.
    server.Get("/drip", [this](const httplib::Request&, httplib::Response& res) {
        auto provider = [this, sent = 0](size_t, httplib::DataSink& sink) mutable {
            std::unique_lock lock(mutex_);
            slowReleased_.wait(lock, [&] { return released_ || dripEnded_ || dripsAllowed_ > sent; });
            if (dripsAllowed_ > sent && !released_) {
                ++sent;
                lock.unlock();
                return sink.write("x", 1);
            }
            lock.unlock();
            sink.done();
            return true;
        };
        res.set_chunked_content_provider("application/octet-stream", std::move(provider));
    });
    server.Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });

    hostileListener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (hostileListener_ >= 0 && ::bind(hostileListener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(hostileListener_, 16) == 0 &&
        ::getsockname(hostileListener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        hostilePort_ = ntohs(address.sin_port);
        hostileThread_ = std::thread([this] { serveHostile(); });
    } else {
        ADD_FAILURE() << "LoopbackServer: cannot listen for the hostile routes";
    }

    port_ = server.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        ADD_FAILURE() << "LoopbackServer: cannot bind 127.0.0.1";
        return;
    }
    thread_ = std::thread([&server] { server.listen_after_bind(); });
    // The accept loop starts within milliseconds; the bound only guards against a hang.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server.is_running() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    if (!server.is_running()) ADD_FAILURE() << "LoopbackServer: the server did not start";
}

LoopbackServer::~LoopbackServer() {
    releaseSlow();
    server_->stop();
    if (thread_.joinable()) thread_.join();
    stopping_ = true;
    if (hostileThread_.joinable()) hostileThread_.join();
    if (hostileListener_ >= 0) ::close(hostileListener_);
}

std::string LoopbackServer::url(std::string_view path) const {
    const int port = path.starts_with("/hostile/") ? hostilePort_ : port_;
    return "http://127.0.0.1:" + std::to_string(port) + std::string(path);
}

void LoopbackServer::serveHostile() {
    // One connection at a time; the poll lets teardown stop the loop.
    while (!stopping_) {
        pollfd listener{hostileListener_, POLLIN, 0};
        if (::poll(&listener, 1, 20) <= 0) continue;
        const int fd = ::accept(hostileListener_, nullptr, nullptr);
        if (fd < 0) continue;
        answerHostile(fd);
        ::close(fd);
    }
}

void LoopbackServer::answerHostile(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 64 * 1024) {
        pollfd peer{fd, POLLIN, 0};
        if (::poll(&peer, 1, 2000) <= 0) return;
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    // "GET <path> HTTP/1.1"
    const auto start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    {
        std::lock_guard lock(mutex_);
        requestPaths_.push_back(path);
    }
    if (path == "/hostile/header-drip") {
        if (!sendAll(fd, "HTTP/1.1 200 OK\r\n")) return;
        for (int line = 0; line < 200 && !stopping_; ++line) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!sendAll(fd, "X-Drip: " + std::to_string(line) + "\r\n")) return;
            ++headerLinesDripped_;
        }
        return;
    }
    const auto& routes = hostileRoutes();
    const auto route = routes.find(path);
    sendAll(fd, route != routes.end() ? std::string_view(route->second)
                                      : "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
}

int LoopbackServer::requests(std::string_view path) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(requestPaths_.begin(), requestPaths_.end(), path));
}

int LoopbackServer::slowArrivals() const {
    std::lock_guard lock(mutex_);
    return slowArrivals_;
}

void LoopbackServer::releaseSlow() {
    {
        std::lock_guard lock(mutex_);
        released_ = true;
    }
    slowReleased_.notify_all();
}

void LoopbackServer::drip() {
    {
        std::lock_guard lock(mutex_);
        ++dripsAllowed_;
    }
    slowReleased_.notify_all();
}

void LoopbackServer::endDrip() {
    {
        std::lock_guard lock(mutex_);
        dripEnded_ = true;
    }
    slowReleased_.notify_all();
}

int LoopbackServer::closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = -1;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) ::close(fd);
    return port;
}

bool runUntil(const std::function<bool()>& predicate) {
    // Short slices: the predicate may watch another thread (the server) that never
    // wakes the run loop.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ns::RunLoop::main().runUntil(predicate, 0.01)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ADD_FAILURE() << "runUntil: the condition did not hold within 10 s of real time";
            return false;
        }
    }
    return true;
}

} // namespace pellavo::testing
