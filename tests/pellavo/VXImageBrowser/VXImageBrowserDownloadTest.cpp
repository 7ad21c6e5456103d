#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ns/URL.hpp"
#include "tests/pellavo/VXImageBrowser/VXImageBrowserTestSupport.hpp"
#include "tests/support/LoopbackServer.hpp"

namespace pellavo::testing {
namespace {

class VXImageBrowserDownloadTest : public BrowserTest {
protected:
    std::shared_ptr<Browser> loadBrowser(const std::string& url) {
        auto browser = ns::make<Browser>(VXImageInfo(first, Mode::aspectFit, ns::URL::fromString(url)));
        browser->view()->setFrame({0, 0, 375, 667});
        browser->view()->layoutIfNeeded();
        return browser;
    }

    LoopbackServer server;
    const ui::Image first = drawnImage({600, 400});
};

TEST_F(VXImageBrowserDownloadTest, ADecodedImageReplacesTheFirstButKeepsItsGeometry) {
    const auto browser = loadBrowser(server.url("/image.png"));
    const auto& image = Access::imageView(*browser);
    const auto& scroll = Access::scrollView(*browser);
    const cg::Rect frame = image->frame();
    const double limit = scroll->maximumZoomScale();
    EXPECT_TRUE(Access::hasSession(*browser));
    runUntil([&] { return image->image() != first; });
    ASSERT_TRUE(image->image());
    EXPECT_EQ(image->image()->size(), (cg::Size{4, 3}));
    EXPECT_EQ(image->frame(), frame);
    EXPECT_EQ(scroll->maximumZoomScale(), limit);
    EXPECT_EQ(server.requests("/image.png"), 1);
    EXPECT_TRUE(printedLines().empty());

    const auto none = ns::make<Browser>(VXImageInfo(first, Mode::aspectFit));
    none->view();
    EXPECT_FALSE(Access::hasSession(*none));
}

TEST_F(VXImageBrowserDownloadTest, FailuresOfEveryKindKeepTheFirstImageSilently) {
    const std::string urls[] = {
        server.url("/text"),
        server.url("/missing"),
        server.url("/bomb.png"),
        "http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) + "/image.png",
    };
    for (const auto& url : urls) {
        auto browser = loadBrowser(url);
        const auto image = Access::imageView(*browser);
        // The request holds the browser until it ends: its release tells the end.
        const std::weak_ptr<Browser> weak = browser;
        browser.reset();
        runUntil([&] { return weak.expired(); });
        EXPECT_EQ(image->image(), first) << url;
    }
    EXPECT_EQ(server.requests("/bomb.png"), 1);
    EXPECT_TRUE(printedLines().empty());
}

TEST_F(VXImageBrowserDownloadTest, ASlowDownloadKeepsTheBrowserUntilItTimesOut) {
    auto browser = loadBrowser(server.url("/slow"));
    const auto image = Access::imageView(*browser);
    const std::weak_ptr<Browser> weak = browser;
    browser.reset();
    runUntil([&] { return server.slowArrivals() == 1; });
    advance(14.9);
    EXPECT_FALSE(weak.expired());
    advance(0.2);
    runUntil([&] { return weak.expired(); });
    EXPECT_EQ(image->image(), first);
    EXPECT_TRUE(printedLines().empty());
}

} // namespace
} // namespace pellavo::testing
