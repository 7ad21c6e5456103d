#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::backend {

// The screen in a desktop window (the only code that uses SDL). The window shows the
// main screen (375 × 667 points), rendered at the screen scale and scaled down when the
// display is too small for it. The left button is a finger, Ctrl+drag a pinch about the
// press point; typed text, Backspace and Return go to the application's text input;
// losing focus cancels the touches; Esc or closing the window quits. Text input is
// on while the keyboard is up; Ctrl+A/C/X/V send the edit actions; the pasteboard
// and the system clipboard mirror each other (read on paste, written on change).
class PELLAVO_EXPORT SdlBackend {
public:
    // Keys the host may act on.
    enum class Key { left, right, up, down, home, end };

    SdlBackend();
    ~SdlBackend();
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    // Opens the window; false, with a log line, when there is no video device.
    bool open(const std::string& title);
    // The window's size in the coordinates of its mouse events; (0, 0) before open().
    cg::Size windowSize() const;

    // Runs the application in real time on the shared clock until Esc, the window is
    // closed or stop() is called. Each window event is one run-loop turn, then the work
    // that is due runs. A frame is drawn at most 60 times a second, and only when a
    // layer changed or is animating; in between it sleeps until the next due time.
    // With maxFrames > 0 every 1/60 s presents a frame and the run ends after that
    // many. Returns the number of frames presented.
    long run(long maxFrames = 0);
    void stop();

    // Called inside a turn for the keys above.
    std::function<void(Key)> keyPressed;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace pellavo::backend
