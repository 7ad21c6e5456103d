#include "platform/ns/Console.hpp"

#include <cstdio>
#include <memory>
#include <mutex>
#include <utility>

namespace pellavo::ns {

namespace {

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}
Console::Sink& printSink() {
    static Console::Sink s;
    return s;
}
Console::Sink& logSink() {
    static Console::Sink s;
    return s;
}

void emit(Console::Sink& sink, std::FILE* stream, std::string_view prefix, std::string_view line) {
    // One call is one whole line, even with several threads writing.
    std::lock_guard lock(sinkMutex());
    if (sink) {
        sink(line);
        return;
    }
    std::string text;
    text.reserve(prefix.size() + line.size() + 1);
    text.append(prefix).append(line).push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

} // namespace

void print(std::string_view line) { emit(printSink(), stdout, "", line); }
void log(std::string_view message) { emit(logSink(), stderr, "pellavo: ", message); }

Console::Sink Console::setPrintSink(Sink sink) {
    std::lock_guard lock(sinkMutex());
    return std::exchange(printSink(), std::move(sink));
}

Console::Sink Console::setLogSink(Sink sink) {
    std::lock_guard lock(sinkMutex());
    return std::exchange(logSink(), std::move(sink));
}

struct ConsoleCapture::State {
    mutable std::mutex mutex;
    std::vector<std::string> printed;
    std::vector<std::string> logged;
};

ConsoleCapture::ConsoleCapture() : state_(std::make_shared<State>()) {
    auto state = state_;
    // The sinks run under the console's own lock, so State needs its own only for readers.
    previousPrint_ = Console::setPrintSink([state](std::string_view line) {
        std::lock_guard lock(state->mutex);
        state->printed.emplace_back(line);
    });
    previousLog_ = Console::setLogSink([state](std::string_view line) {
        std::lock_guard lock(state->mutex);
        state->logged.emplace_back(line);
    });
}

ConsoleCapture::~ConsoleCapture() {
    Console::setPrintSink(std::move(previousPrint_));
    Console::setLogSink(std::move(previousLog_));
}

std::vector<std::string> ConsoleCapture::printedLines() const {
    std::lock_guard lock(state_->mutex);
    return state_->printed;
}

std::vector<std::string> ConsoleCapture::loggedLines() const {
    std::lock_guard lock(state_->mutex);
    return state_->logged;
}

void ConsoleCapture::clear() {
    std::lock_guard lock(state_->mutex);
    state_->printed.clear();
    state_->logged.clear();
}

} // namespace pellavo::ns
