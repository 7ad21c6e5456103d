#include "platform/ns/URLSession.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/dispatch/Queue.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/URLError.hpp"
#include "platform/ns/URLTransport.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "tests/support/LoopbackServer.hpp"
#include "tests/support/PlatformTest.hpp"

namespace pellavo::ns {
namespace {

// What a task's completion received.
struct Outcome {
    int calls = 0;
    bool onMainThread = false;
    std::optional<Data> data;
    std::shared_ptr<const HTTPURLResponse> response;
    std::optional<Error> error;

    std::string body() const {
        const auto bytes = data ? data->bytes() : std::span<const std::byte>{};
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
};

class URLSessionTest : public testing::PlatformTest {
protected:
    std::shared_ptr<URLSessionDataTask> task(const std::string& text, const std::shared_ptr<Outcome>& outcome,
                                             double timeout = 60) {
        const auto url = URL::fromString(text);
        EXPECT_TRUE(url.has_value()) << text;
        return session_->dataTask(URLRequest(*url, {}, timeout), [outcome](auto data, auto response, auto error) {
            ++outcome->calls;
            outcome->onMainThread = dispatch::isMainThread();
            outcome->data = std::move(data);
            outcome->response = std::move(response);
            outcome->error = std::move(error);
        });
    }

    // Resumes and waits for the completion.
    std::shared_ptr<Outcome> load(const std::string& url) {
        auto outcome = std::make_shared<Outcome>();
        task(url, outcome)->resume();
        testing::runUntil([&] { return outcome->calls > 0; });
        return outcome;
    }

    testing::LoopbackServer server_;
    std::shared_ptr<URLSession> session_ = URLSession::make();
};

TEST_F(URLSessionTest, LoadsBodiesStatusesAndRedirects) {
    const std::string text = "not an image";
    const struct {
        const char* path;
        int status;
        const char* mimeType;
        std::string body;
        const char* finalPath;
    } cases[] = {
        {"/image.png", 200, "image/png",
         std::string(reinterpret_cast<const char*>(server_.pngBytes().data()), server_.pngBytes().size()),
         "/image.png"},
        {"/text", 200, "text/plain", text, "/text"},
        {"/missing", 404, "text/plain", "nothing here", "/missing"},
        {"/redirect", 200, "text/plain", text, "/text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto outcome = load(server_.url(c.path));
        ASSERT_EQ(outcome->calls, 1);
        EXPECT_FALSE(outcome->error.has_value());
        ASSERT_TRUE(outcome->response);
        EXPECT_EQ(outcome->response->statusCode(), c.status);
        EXPECT_EQ(outcome->response->mimeType(), String(c.mimeType));
        EXPECT_EQ(outcome->response->url().absoluteString(), String(server_.url(c.finalPath)));
        EXPECT_EQ(outcome->body(), c.body);
    }
    const auto png = load(server_.url("/image.png"));
    EXPECT_EQ(png->response->expectedContentLength(), static_cast<std::int64_t>(server_.pngBytes().size()));
    const auto image = ui::Image::fromData(png->data->bytes());
    EXPECT_EQ(image.size(), (cg::Size{4, 3}));
}

TEST_F(URLSessionTest, FailuresCompleteLaterWithTheirCodeAndNoData) {
    auto capped = URLSessionConfiguration::ephemeral();
    capped.setMaximumBodyBytes(1024 * 1024);
    const auto cappedSession = URLSession::make(capped);
    const struct {
        std::string url;
        std::int64_t code;
        bool underCap;
    } cases[] = {
        {"http://127.0.0.1:" + std::to_string(testing::LoopbackServer::closedPort()) + "/",
         URLError::cannotConnectToHost, false},
        {server_.url("/loop"), URLError::httpTooManyRedirects, false},
        {server_.url("/redirect-ftp"), URLError::unsupportedURL, false},
        {"ftp://127.0.0.1/file", URLError::unsupportedURL, false},
        {server_.url("/large"), URLError::dataLengthExceedsMaximum, true},
        {server_.url("/large-chunked"), URLError::dataLengthExceedsMaximum, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        if (c.underCap) session_ = cappedSession;
        auto outcome = std::make_shared<Outcome>();
        const auto dataTask = task(c.url, outcome);
        dataTask->resume();
        EXPECT_EQ(outcome->calls, 0) << "completed inside resume";
        testing::runUntil([&] { return outcome->calls > 0; });
        ASSERT_TRUE(outcome->error.has_value());
        EXPECT_EQ(outcome->error->domain, String("NSURLErrorDomain"));
        EXPECT_EQ(outcome->error->code, c.code);
        EXPECT_FALSE(outcome->data.has_value());
        EXPECT_EQ(dataTask->state(), URLSessionDataTask::State::completed);
    }
}

TEST_F(URLSessionTest, AnswersThatAreNotWholeHttpFailWithTheirCode) {
    const struct {
        const char* path;
        std::int64_t code;
    } cases[] = {
        {"/hostile/unterminated-head", URLError::badServerResponse},
        {"/hostile/header-drip", URLError::timedOut},
        {"/hostile/huge-length", URLError::badServerResponse},
        {"/hostile/two-lengths", URLError::badServerResponse},
        {"/hostile/bad-version", URLError::badServerResponse},
        {"/hostile/http09", URLError::badServerResponse},
        {"/hostile/garbage-status", URLError::badServerResponse},
        {"/hostile/negative-status", URLError::badServerResponse},
        {"/hostile/long-header", URLError::badServerResponse},
        {"/hostile/empty", URLError::networkConnectionLost},
        {"/hostile/short-body", URLError::networkConnectionLost},
        {"/hostile/nul-header", URLError::badServerResponse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        auto outcome = std::make_shared<Outcome>();
        task(server_.url(c.path), outcome, 2)->resume();
        if (c.code == URLError::timedOut) {
            // Header lines keep coming across both steps of the clock; only a whole head
            // would count as progress.
            for (const double step : {1.0, 1.1}) {
                const int sent = server_.headerLinesDripped();
                ASSERT_TRUE(testing::runUntil([&] { return server_.headerLinesDripped() >= sent + 2; }));
                advance(step);
            }
        }
        testing::runUntil([&] { return outcome->calls > 0; });
        ASSERT_TRUE(outcome->error.has_value());
        EXPECT_EQ(outcome->error->code, c.code) << outcome->error->description.utf8();
        EXPECT_FALSE(outcome->response);
        EXPECT_EQ(server_.requests(c.path), 1);
    }
}

TEST_F(URLSessionTest, StalledRequestTimesOutOnTheClock) {
    auto outcome = std::make_shared<Outcome>();
    const auto slow = task(server_.url("/slow"), outcome, 5);
    slow->resume();
    testing::runUntil([&] { return server_.slowArrivals() == 1; });
    advance(4.9);
    EXPECT_EQ(outcome->calls, 0);
    advance(0.2);
    testing::runUntil([&] { return outcome->calls > 0; });
    ASSERT_TRUE(outcome->error.has_value());
    EXPECT_EQ(outcome->error->code, URLError::timedOut);
}

// Stands in for the network: the test says when bytes arrive, so the clock and the
// arrivals interleave exactly.
class ScriptedTransport : public URLTransport {
public:
    void start(std::shared_ptr<URLTransfer> transfer) override { started.push_back(std::move(transfer)); }
    std::vector<std::shared_ptr<URLTransfer>> started;
};

TEST_F(URLSessionTest, IdleTimeOutRearmsWhileBytesArriveAndFiresOnceTheyStop) {
    const auto scripted = std::make_shared<ScriptedTransport>();
    const auto previous = URLTransport::install(scripted);
    const auto url = server_.url("/text");
    std::shared_ptr<Outcome> outcomes[] = {std::make_shared<Outcome>(), std::make_shared<Outcome>(),
                                           std::make_shared<Outcome>()};
    for (const auto& outcome : outcomes) task(url, outcome, 5)->resume();
    ASSERT_EQ(scripted->started.size(), 3u);
    auto& [stalled, fed, finished] = outcomes;

    // Bytes reach the second and third loads every 4 s, well past the 5 s interval.
    for (int step = 0; step < 3; ++step) {
        advance(4);
        scripted->started[1]->noteActivity();
        scripted->started[2]->noteActivity();
    }
    EXPECT_EQ(stalled->calls, 1);
    ASSERT_TRUE(stalled->error.has_value());
    EXPECT_EQ(stalled->error->code, URLError::timedOut);
    EXPECT_EQ(fed->calls, 0);
    scripted->started[2]->finish({Data(std::vector<std::byte>(3, std::byte{'x'})), nullptr, std::nullopt});
    advance(4.9);  // 16.9 s: the last bytes came at 12 s
    EXPECT_EQ(fed->calls, 0);
    EXPECT_EQ(finished->calls, 1);
    EXPECT_FALSE(finished->error.has_value());
    EXPECT_EQ(finished->body(), "xxx");
    advance(0.2);
    EXPECT_EQ(fed->calls, 1);
    ASSERT_TRUE(fed->error.has_value());
    EXPECT_EQ(fed->error->code, URLError::timedOut);
    EXPECT_EQ(URLTransport::install(previous), scripted);
}

// Hands every load to the real transport, keeping the transfers to read their stamps.
class WatchedTransport : public URLTransport {
public:
    explicit WatchedTransport(std::shared_ptr<URLTransport> real) : real_(std::move(real)) {}
    void start(std::shared_ptr<URLTransfer> transfer) override {
        started.push_back(transfer);
        real_->start(std::move(transfer));
    }
    std::vector<std::shared_ptr<URLTransfer>> started;

private:
    std::shared_ptr<URLTransport> real_;
};

TEST_F(URLSessionTest, BytesFromTheServerPastTheTimeOutKeepTheLoadAlive) {
    const auto watched = std::make_shared<WatchedTransport>(URLTransport::installed());
    const auto previous = URLTransport::install(watched);
    auto outcome = std::make_shared<Outcome>();
    task(server_.url("/drip"), outcome, 5)->resume();
    ASSERT_EQ(watched->started.size(), 1u);
    const auto& transfer = *watched->started[0];
    // Each byte is sent with the clock stopped at a known instant, and the worker's
    // stamp shows when it has arrived; only then does the clock move on.
    for (int step = 1; step <= 3; ++step) {
        advance(4);
        const std::int64_t now = Clock::shared()->now();
        server_.drip();
        ASSERT_TRUE(testing::runUntil([&] { return transfer.lastActivity() == now; }));
        EXPECT_EQ(outcome->calls, 0) << step;
    }
    server_.endDrip();
    testing::runUntil([&] { return outcome->calls > 0; });
    EXPECT_FALSE(outcome->error.has_value());
    EXPECT_EQ(outcome->body(), "xxx");
    URLTransport::install(previous);
}

TEST_F(URLSessionTest, CancelBeforeOrDuringGivesOneCancelledCompletion) {
    auto before = std::make_shared<Outcome>();
    const auto suspended = task(server_.url("/text"), before);
    suspended->cancel();
    suspended->resume();  // after cancel: nothing
    auto during = std::make_shared<Outcome>();
    const auto running = task(server_.url("/slow"), during);
    running->resume();
    testing::runUntil([&] { return server_.slowArrivals() == 1; });
    running->cancel();
    running->cancel();
    EXPECT_EQ(running->state(), URLSessionDataTask::State::canceling);
    testing::runUntil([&] { return before->calls > 0 && during->calls > 0; });
    server_.releaseSlow();
    advance(120);  // past any time-out
    for (const auto& outcome : {before, during}) {
        EXPECT_EQ(outcome->calls, 1);
        ASSERT_TRUE(outcome->error.has_value());
        EXPECT_EQ(outcome->error->code, URLError::cancelled);
    }
    EXPECT_EQ(running->state(), URLSessionDataTask::State::completed);
    EXPECT_EQ(server_.slowArrivals(), 1);
}

TEST_F(URLSessionTest, ReleasedSessionStillCompletesOnMainOnceAndDropsTheCompletion) {
    auto outcome = std::make_shared<Outcome>();
    auto token = std::make_shared<int>(0);
    const std::weak_ptr<int> captured = token;
    auto first = session_->dataTask(*URL::fromString(server_.url("/text")),
                                    [outcome, token = std::move(token)](auto data, auto, auto) {
                                        ++outcome->calls;
                                        outcome->onMainThread = dispatch::isMainThread();
                                        outcome->data = std::move(data);
                                    });
    const auto second = session_->dataTask(*URL::fromString(server_.url("/text")), nullptr);
    EXPECT_NE(first->taskIdentifier(), second->taskIdentifier());
    EXPECT_EQ(first->originalRequest().url().path(), String("/text"));
    EXPECT_EQ(first->state(), URLSessionDataTask::State::suspended);
    first->resume();
    EXPECT_EQ(first->state(), URLSessionDataTask::State::running);
    const std::weak_ptr<URLSessionDataTask> weakTask = first;
    first.reset();
    session_.reset();
    testing::runUntil([&] { return outcome->calls > 0; });
    settle();
    EXPECT_EQ(outcome->calls, 1);
    EXPECT_TRUE(outcome->onMainThread);
    EXPECT_EQ(outcome->body(), "not an image");
    EXPECT_TRUE(captured.expired());
    EXPECT_TRUE(weakTask.expired());
}

} // namespace
} // namespace pellavo::ns
