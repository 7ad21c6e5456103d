#include "fuzz/FuzzSupport.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/dispatch/Queue.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/RunLoop.hpp"

namespace pellavo::fuzz {

std::uint8_t Input::byte() {
    if (bytes_.empty()) return 0;
    const std::uint8_t b = bytes_.front();
    bytes_ = bytes_.subspan(1);
    return b;
}

std::int64_t Input::integer(std::int64_t low, std::int64_t high) {
    if (high <= low) return low;
    const std::uint64_t span = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low);
    std::uint64_t value = 0;
    // As many bytes as the span needs, so small ranges cost one byte.
    for (std::uint64_t left = span; left != 0; left >>= 8) value = (value << 8) | byte();
    if (span != std::numeric_limits<std::uint64_t>::max()) value %= span + 1;
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(low) + value);
}

double Input::number() {
    constexpr double inf = std::numeric_limits<double>::infinity();
    static constexpr double kSpecial[] = {
        0.0, -0.0, 1.0, -1.0, 0.5, std::numeric_limits<double>::quiet_NaN(), inf, -inf,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest(),
        std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(), 1e-300, 1e300,
        32767.5, 65536.5, 1e7, 1e9, 2147483648.0, 9.3e18, -1e9, 1e-9};
    constexpr std::uint8_t count = sizeof kSpecial / sizeof kSpecial[0];
    const std::uint8_t pick = byte();
    if (pick < count) return kSpecial[pick];
    // Otherwise a signed 16-bit value with a decimal exponent from 10^-4 to 10^7.
    const auto mantissa = static_cast<std::int16_t>((byte() << 8) | byte());
    double value = mantissa;
    for (int e = pick % 12 - 4; e < 0; ++e) value /= 10;
    for (int e = pick % 12 - 4; e > 0; --e) value *= 10;
    return value;
}

std::int64_t Input::offsetAround(std::int64_t length) {
    switch (byte() % 8) {
    case 0: return 0;
    case 1: return length;
    case 2: return length + 1;
    case 3: return -integer(1, 3);
    case 4: return std::numeric_limits<std::int64_t>::max() - integer(0, 2);
    case 5: return std::numeric_limits<std::int64_t>::min() + integer(0, 2);
    default: return integer(0, length + 1);
    }
}

std::string Input::text(std::size_t maxBytes) {
    std::string out;
    while (!bytes_.empty() && out.size() < maxBytes) {
        const std::uint8_t b = byte();
        if (b == 0) break;
        out.push_back(static_cast<char>(b));
    }
    return out;
}

std::string Input::rest() {
    std::string out(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
    bytes_ = {};
    return out;
}

std::pair<std::string_view, std::string_view> splitAtNul(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = all.find('\0');
    if (nul == std::string_view::npos) return {all, {}};
    return {all.substr(0, nul), all.substr(nul + 1)};
}

namespace {

std::shared_ptr<ns::ManualClock>& sessionClock() {
    static auto clock = std::make_shared<ns::ManualClock>();
    return clock;
}

} // namespace

Session::Session() {
    console_.emplace();
    ns::Clock::setShared(sessionClock());
    ns::RunLoop::main().resetForTesting();
}

Session::~Session() {
    dispatch::waitForGlobalIdle(5);
    ns::RunLoop::main().runUntilIdle();
    ns::RunLoop::main().resetForTesting();
    console_.reset();
}

void Session::advance(double seconds) { ns::RunLoop::main().advance(seconds); }

void Session::requireNoInternalErrors() const {
    // Lines that mean the platform itself went wrong, never that it refused a value. They
    // are matched at the start: other lines quote input, which may hold these very words.
    static constexpr std::string_view kInternal[] = {"cairo error after ", "Renderer: drawing failed",
                                                     "Layout did not settle after "};
    for (const std::string& line : console_->loggedLines()) {
        for (std::string_view marker : kInternal) require(!std::string_view(line).starts_with(marker), line);
    }
}

void require(bool holds, std::string_view what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz invariant failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::fflush(stderr);
    std::abort();
}

} // namespace pellavo::fuzz
