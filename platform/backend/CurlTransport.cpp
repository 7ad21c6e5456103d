#include "platform/backend/CurlTransport.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <strings.h>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ns/Console.hpp"
#include "platform/ns/URLError.hpp"

namespace pellavo::backend {

namespace {

constexpr int kWakeIntervalMs = 50;
constexpr long kMaximumRedirects = 10;

// A transfer while the worker drives it. Lives at a fixed address: curl holds a
// pointer to it in its callbacks.
struct Active {
    std::shared_ptr<ns::URLTransfer> transfer;
    CURL* easy = nullptr;
    std::string url;
    std::vector<std::byte> body;
    ns::HTTPURLResponse::HeaderFields headers;
    bool tooLarge = false;
    // A request went out and the blank line ending its response's head has not come.
    bool awaitingHead = false;
    // The head declared its body's length in a way that cannot be trusted.
    bool badLength = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    ~Active() {
        if (easy) curl_easy_cleanup(easy);
    }
};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool exceedsCap(std::int64_t size, std::int64_t cap) { return size > cap; }

// The body length a head declares: -1 when it declares none, nullopt when it is not a
// plain decimal count that fits or when the head gives two different counts (a peer
// that could mean either must not be believed).
std::optional<std::int64_t> declaredLength(const ns::HTTPURLResponse::HeaderFields& headers) {
    std::int64_t length = -1;
    for (const auto& [name, value] : headers) {
        if (name.size() != 14 || strncasecmp(name.c_str(), "Content-Length", 14) != 0) continue;
        // "n, n" is the same count repeated, as when a proxy folded two equal fields.
        std::string_view rest = value;
        do {
            const auto comma = rest.find(',');
            const std::string_view item = trimmed(rest.substr(0, comma));
            rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
            std::int64_t parsed = -1;
            const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), parsed);
            if (item.empty() || error != std::errc() || end != item.data() + item.size() || parsed < 0)
                return std::nullopt;
            if (length >= 0 && parsed != length) return std::nullopt;
            length = parsed;
        } while (!rest.empty());
    }
    return length;
}

int onRequest(void* user, char*, char*, int, int) {
    static_cast<Active*>(user)->awaitingHead = true;
    return CURL_PREREQFUNC_OK;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto& active = *static_cast<Active*>(user);
    const size_t bytes = size * count;
    active.transfer->noteActivity();
    if (exceedsCap(static_cast<std::int64_t>(active.body.size() + bytes), active.transfer->maximumBodyBytes())) {
        active.tooLarge = true;
        return 0;  // curl stops with a write error
    }
    const auto* first = reinterpret_cast<const std::byte*>(data);
    active.body.insert(active.body.end(), first, first + bytes);
    return bytes;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto& active = *static_cast<Active*>(user);
    const size_t bytes = size * count;
    // Header lines are not progress: a peer that drips them without ever ending the head
    // meets the idle time-out. A whole head is.
    const std::string_view line(data, bytes);
    if (line.starts_with("HTTP/")) {
        // A new response (after a redirect or an interim one): its fields replace the old.
        active.headers.clear();
        active.awaitingHead = true;
    } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
        active.headers.emplace_back(std::string(trimmed(line.substr(0, colon))),
                                    std::string(trimmed(line.substr(colon + 1))));
    } else if (trimmed(line).empty()) {
        // End of a head. A final response that announces too large a body stops now.
        active.awaitingHead = false;
        active.transfer->noteActivity();
        const auto length = declaredLength(active.headers);
        if (!length) {
            active.badLength = true;
            return 0;
        }
        long status = 0;
        curl_easy_getinfo(active.easy, CURLINFO_RESPONSE_CODE, &status);
        const bool redirect = status >= 300 && status < 400;
        if (!redirect && *length >= 0 && exceedsCap(*length, active.transfer->maximumBodyBytes())) {
            active.tooLarge = true;
            return 0;
        }
    }
    return bytes;
}

std::int64_t errorCode(const Active& active, CURLcode code) {
    using E = ns::URLError;
    if (active.tooLarge) return E::dataLengthExceedsMaximum;
    if (active.badLength) return E::badServerResponse;
    // The URL was fine; the answer was not. Curl calls a connection closed inside the head
    // a success, an oversized header line running out of memory and an unreadable status
    // line an unsupported protocol.
    if (active.awaitingHead &&
        (code == CURLE_OK || code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_OUT_OF_MEMORY))
        return E::badServerResponse;
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL: return E::unsupportedURL;
    case CURLE_URL_MALFORMAT: return E::badURL;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return E::cannotFindHost;
    case CURLE_COULDNT_CONNECT: return E::cannotConnectToHost;
    case CURLE_OPERATION_TIMEDOUT: return E::timedOut;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING: return E::networkConnectionLost;
    case CURLE_TOO_MANY_REDIRECTS: return E::httpTooManyRedirects;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM: return E::badServerResponse;
    case CURLE_FILESIZE_EXCEEDED: return E::dataLengthExceedsMaximum;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT: return E::secureConnectionFailed;
    default: return E::unknown;
    }
}

ns::URLTransferResult failure(const char* description) {
    return ns::URLTransferResult::failure(ns::URLError::make(ns::URLError::unknown, description));
}

ns::URLTransferResult resultOf(Active& active, CURLcode code) {
    if (code != CURLE_OK || active.awaitingHead) {
        const std::string description = active.tooLarge        ? "resource exceeds maximum size"
                                        : active.badLength     ? "the response declares its length ambiguously"
                                        : code == CURLE_OK     ? "the connection closed inside the response head"
                                        : active.errorBuffer[0] ? active.errorBuffer
                                                                : curl_easy_strerror(code);
        return ns::URLTransferResult::failure(ns::URLError::make(errorCode(active, code), description));
    }
    long status = 0;
    curl_easy_getinfo(active.easy, CURLINFO_RESPONSE_CODE, &status);
    // The final response's own Content-Length; curl's figure may describe a redirect.
    const std::int64_t length = declaredLength(active.headers).value_or(-1);
    char* effective = nullptr;
    curl_easy_getinfo(active.easy, CURLINFO_EFFECTIVE_URL, &effective);
    auto url = effective ? ns::URL::fromString(effective) : std::nullopt;
    if (!url) url = active.transfer->url();
    const int statusCode = static_cast<int>(std::clamp<long>(status, 0, 999));
    return {.data = ns::Data(std::move(active.body)),
            .response = std::make_shared<const ns::HTTPURLResponse>(*url, statusCode, std::move(active.headers),
                                                                   length),
            .error = std::nullopt};
}

class CurlTransport final : public ns::URLTransport {
public:
    CurlTransport() : multi_(curl_multi_init()) {}

    ~CurlTransport() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        if (multi_) curl_multi_wakeup(multi_);
        if (worker_.joinable()) worker_.join();
        // Unfinished transfers end here, without a result.
        for (auto& active : active_) curl_multi_remove_handle(multi_, active->easy);
        active_.clear();
        incoming_.clear();
        if (multi_) curl_multi_cleanup(multi_);
    }

    void start(std::shared_ptr<ns::URLTransfer> transfer) override {
        {
            std::lock_guard lock(mutex_);
            if (stopping_ || !multi_) return;
            incoming_.push_back(std::move(transfer));
            if (!worker_.joinable()) worker_ = std::thread([this] { work(); });
        }
        curl_multi_wakeup(multi_);
    }

private:
    void work() {
        for (;;) {
            std::vector<std::shared_ptr<ns::URLTransfer>> incoming;
            {
                std::lock_guard lock(mutex_);
                if (stopping_) return;
                incoming.swap(incoming_);
            }
            for (auto& transfer : incoming) add(std::move(transfer));
            dropCancelled();
            int running = 0;
            curl_multi_perform(multi_, &running);
            collectFinished();
            curl_multi_poll(multi_, nullptr, 0, kWakeIntervalMs, nullptr);
        }
    }

    void add(std::shared_ptr<ns::URLTransfer> transfer) {
        if (transfer->isCancelled()) return;
        auto active = std::make_unique<Active>();
        active->transfer = std::move(transfer);
        active->url = active->transfer->url().absoluteString().utf8();
        active->easy = curl_easy_init();
        if (!active->easy) {
            active->transfer->finish(failure("curl_easy_init failed"));
            return;
        }
        CURL* easy = active->easy;
        curl_easy_setopt(easy, CURLOPT_URL, active->url.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaximumRedirects);
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, active.get());
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, active.get());
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, active->errorBuffer);
        curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, onRequest);
        curl_easy_setopt(easy, CURLOPT_PREREQDATA, active.get());
        // The session's idle time-out runs on the platform clock; curl keeps none of its own.
        active->transfer->noteActivity();
        if (curl_multi_add_handle(multi_, easy) != CURLM_OK) {
            active->transfer->finish(failure("curl_multi_add_handle failed"));
            return;
        }
        active_.push_back(std::move(active));
    }

    void dropCancelled() {
        std::erase_if(active_, [this](const std::unique_ptr<Active>& active) {
            if (!active->transfer->isCancelled()) return false;
            curl_multi_remove_handle(multi_, active->easy);
            return true;
        });
    }

    void collectFinished() {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            const auto it = std::find_if(active_.begin(), active_.end(),
                                         [&](const auto& active) { return active->easy == message->easy_handle; });
            if (it == active_.end()) continue;
            const CURLcode code = message->data.result;
            std::unique_ptr<Active> active = std::move(*it);
            active_.erase(it);
            curl_multi_remove_handle(multi_, active->easy);
            active->transfer->finish(resultOf(*active, code));
        }
    }

    CURLM* multi_;
    std::mutex mutex_;
    bool stopping_ = false;
    std::vector<std::shared_ptr<ns::URLTransfer>> incoming_;
    std::thread worker_;
    // The worker's own.
    std::vector<std::unique_ptr<Active>> active_;
};

} // namespace

void curlGlobalInit() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) ns::log("CurlTransport: curl_global_init failed");
}

void curlGlobalCleanup() { curl_global_cleanup(); }

std::shared_ptr<ns::URLTransport> makeCurlTransport() { return std::make_shared<CurlTransport>(); }

} // namespace pellavo::backend
