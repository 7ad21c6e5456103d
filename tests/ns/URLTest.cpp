#include "platform/ns/URL.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/ns/HTTPURLResponse.hpp"
#include "platform/ns/URLRequest.hpp"

namespace pellavo::ns {
namespace {

struct Parsed {
    const char* text;
    const char* scheme;
    const char* host;
    std::optional<int> port;
    const char* path;
    std::optional<const char*> query;
};

TEST(URLTest, ParsesAbsoluteURLsIntoTheirParts) {
    const Parsed cases[] = {
        {"http://example.com", "http", "example.com", std::nullopt, "", std::nullopt},
        {"https://a.b:8443/x/y.png?w=1&h=2#top", "https", "a.b", 8443, "/x/y.png", "w=1&h=2"},
        {"http://127.0.0.1:0/", "http", "127.0.0.1", 0, "/", std::nullopt},
        {"http://[::1]:65535/p%20q", "http", "::1", 65535, "/p%20q", std::nullopt},
        {"HTTP://user:pw@Host/?", "HTTP", "Host", std::nullopt, "/", ""},
        {"http://h:/a", "http", "h", std::nullopt, "/a", std::nullopt},
        {"file:///tmp/a", "file", "", std::nullopt, "/tmp/a", std::nullopt},
        {"ftp://127.0.0.1/file", "ftp", "127.0.0.1", std::nullopt, "/file", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto url = URL::fromString(c.text);
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(url->absoluteString(), String(c.text));
        EXPECT_EQ(url->scheme(), String(c.scheme));
        EXPECT_EQ(url->host(), String(c.host));
        EXPECT_EQ(url->port(), c.port);
        EXPECT_EQ(url->path(), String(c.path));
        EXPECT_EQ(url->query(), c.query ? std::optional<String>(*c.query) : std::nullopt);
    }
}

TEST(URLTest, RefusesInvalidText) {
    const std::string tooLong = "http://h/" + std::string(64 * 1024, 'a');
    const std::string invalid[] = {
        "",
        "/relative/path",
        "example.com/x",
        "1http://h/",
        "mailto:someone@example.com",
        "http://exa mple.com/",
        "http://h/a b",
        "http://h/\t",
        std::string("http://h/\x7f"),
        "http://h/caf\xc3\xa9",
        "http://h/<x>",
        "http://h/%",
        "http://h/%4",
        "http://h/%zz",
        "http://h:65536/",
        "http://h:-1/",
        "http://h:8o/",
        "http:///path",
        "https://:80/",
        "http://[::1/",
        "http://[nonsense]/",
        "http://h/#a#b",
        "http://h/[x]",
        tooLong,
    };
    for (const auto& text : invalid) {
        SCOPED_TRACE(text.size() > 80 ? "(64 KiB + 10)" : text);
        EXPECT_FALSE(URL::fromString(text).has_value());
    }
}

TEST(URLTest, RequestTimeoutFallsBackToSixtySeconds) {
    const auto url = *URL::fromString("http://h/");
    for (double bad : {0.0, -1.0, std::nan("")}) EXPECT_EQ(URLRequest(url, {}, bad).timeoutInterval(), 60);
    URLRequest request(url);
    request.setTimeoutInterval(2.5);
    EXPECT_EQ(request.timeoutInterval(), 2.5);
    EXPECT_EQ(request.httpMethod(), String("GET"));
}

TEST(URLTest, ResponseHeaderLookupIgnoresCase) {
    const HTTPURLResponse response(*URL::fromString("http://h/"), 200,
                                   {{"Content-Type", " Image/PNG ; q=1"}, {"X-A", "1"}, {"x-a", "2"}}, -7);
    EXPECT_EQ(response.headerField("content-type"), String(" Image/PNG ; q=1"));
    EXPECT_EQ(response.headerField("X-a"), String("1, 2"));
    EXPECT_FALSE(response.headerField("Missing").has_value());
    EXPECT_EQ(response.mimeType(), String("image/png"));
    EXPECT_EQ(response.expectedContentLength(), -1);
}

} // namespace
} // namespace pellavo::ns
