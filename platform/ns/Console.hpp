#pragma once

#include "platform/ns/Export.hpp"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pellavo::ns {

// The library's own console line (stdout). The platform never prints here.
PELLAVO_EXPORT void print(std::string_view line);
// A platform diagnostic (stderr, prefixed "pellavo: ").
PELLAVO_EXPORT void log(std::string_view message);

class PELLAVO_EXPORT Console {
public:
    using Sink = std::function<void(std::string_view line)>;
    // An empty sink restores the default stream. Return the previous sink.
    static Sink setPrintSink(Sink sink);
    static Sink setLogSink(Sink sink);
};

// Captures both channels for its lifetime; restores the previous sinks after.
class PELLAVO_EXPORT ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::vector<std::string> printedLines() const;
    std::vector<std::string> loggedLines() const;
    void clear();

private:
    struct State;
    std::shared_ptr<State> state_;
    Console::Sink previousPrint_;
    Console::Sink previousLog_;
};

} // namespace pellavo::ns
