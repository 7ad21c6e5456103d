#pragma once

#include "platform/ns/Export.hpp"

#include <functional>
#include <memory>
#include <string>

namespace pellavo::ui {

// Where Application::run shows the screen: a desktop window, and PNG files for frames
// drawn without a display. The window system lives above ui, so the platform installs
// its host when the library loads; a host application never implements one. Used on
// the main thread only.
class PELLAVO_EXPORT ApplicationHost {
public:
    // Keys a host application may act on (Application::RunOptions::keyPressed).
    enum class Key { left, right, up, down, home, end };

    virtual ~ApplicationHost() = default;

    // Opens the window showing the main screen; false, with a log line, when there is
    // no video device.
    virtual bool open(const std::string& title) = 0;
    // Runs the opened window in real time until it is closed, or after maxFrames > 0
    // frames, then closes it. Returns the number of frames presented.
    virtual long run(long maxFrames, std::function<void(Key)> keyPressed) = 0;
    // Closes the opened window without running it.
    virtual void close() = 0;
    // Draws every visible window at the current media time into a PNG file; false,
    // with a log line, when it cannot be written.
    virtual bool writeScreenPNG(const std::string& path) = 0;

    static std::shared_ptr<ApplicationHost> installed();
    // Replaces the installed host (null removes it) and returns the previous one.
    static std::shared_ptr<ApplicationHost> install(std::shared_ptr<ApplicationHost> host);
};

} // namespace pellavo::ui
