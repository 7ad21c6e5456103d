// URL text: what parses keeps its text, and parsing its own text again gives the same
// URL with the same parts.

#include "fuzz/FuzzSupport.hpp"
#include "platform/ns/URL.hpp"

using namespace pellavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ns::String text(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto url = ns::URL::fromString(text);
    if (!url) return 0;
    fuzz::require(url->absoluteString() == text, "a URL keeps its text");
    fuzz::require(!url->scheme().isEmpty() && text.hasPrefix(url->scheme()), "the scheme starts the text");
    fuzz::require(!url->port() || (*url->port() >= 0 && *url->port() <= 65535), "ports are in range");
    fuzz::require(!url->isHTTP() || !url->host().isEmpty(), "an http URL has a host");
    for (const ns::String& part : {url->host(), url->path(), url->query().value_or(""), url->fragment().value_or("")})
        fuzz::require(part.isEmpty() || text.contains(part), "parts come from the text");
    const auto again = ns::URL::fromString(url->absoluteString());
    fuzz::require(again.has_value() && *again == *url, "the text parses again");
    fuzz::require(again->host() == url->host() && again->port() == url->port() && again->path() == url->path() &&
                      again->query() == url->query() && again->fragment() == url->fragment(),
                  "parsing again gives the same parts");
    return 0;
}
