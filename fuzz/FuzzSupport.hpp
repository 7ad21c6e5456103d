#pragma once

// What every fuzz target shares: reading typed values off the input bytes, a quiet
// platform for one input, and invariant checks that stop the run loudly.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ns/Console.hpp"
#include "platform/ns/Range.hpp"

// The entry point libFuzzer, and the replay main of the sanitizer build, call.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace pellavo::fuzz {

// Reads values off the front of the input; once the bytes run out every read answers
// zero, the empty string or the first choice, so any input is a complete program.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    bool empty() const { return bytes_.empty(); }
    std::size_t remaining() const { return bytes_.size(); }

    std::uint8_t byte();
    bool boolean() { return (byte() & 1) != 0; }
    // In [low, high]; low when high < low.
    std::int64_t integer(std::int64_t low, std::int64_t high);
    // Mostly ordinary values, with NaN, ±∞, ±0, the extremes of double and values
    // just past the limits a rasteriser's fixed point can hold.
    double number();
    // A UTF-16 offset or length around a string of `length` units: inside it, at its
    // ends, just past them, negative, or absurdly large.
    std::int64_t offsetAround(std::int64_t length);
    ns::Range rangeAround(std::int64_t length) { return {offsetAround(length), offsetAround(length)}; }
    // Up to `maxBytes` raw bytes, ended early by a NUL (which is consumed).
    std::string text(std::size_t maxBytes = 256);
    // Everything that is left.
    std::string rest();

private:
    std::span<const std::uint8_t> bytes_;
};

// Splits the input at its first NUL: the part before and the part after (empty without one).
std::pair<std::string_view, std::string_view> splitAtNul(const std::uint8_t* data, std::size_t size);

// One input's platform: a manual clock as the shared clock, a captured console and an
// empty main run loop; afterwards the run loop is drained and reset, so nothing one input
// scheduled reaches the next.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Moves the manual clock through the main run loop.
    void advance(double seconds);
    // Stops with the offending line when a logged line reports a drawing or layout fault
    // of the platform itself rather than a refused value.
    void requireNoInternalErrors() const;
    std::vector<std::string> loggedLines() const { return console_->loggedLines(); }

private:
    std::optional<ns::ConsoleCapture> console_;
};

// Stops the run (abort) with `what` on stderr when the invariant does not hold.
void require(bool holds, std::string_view what);

} // namespace pellavo::fuzz
