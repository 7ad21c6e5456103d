#pragma once

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/gesture/GestureRecognizer.hpp"
#include "platform/ui/view/InterfaceOrientation.hpp"

namespace pellavo::ui {

class Touch;
class Window;

// The library's event-synthesis API, for automation, tests and hosts that pose a state
// (a finger held mid-drag in a screenshot): touches as a finger makes them, keys and
// rotation, all through Application::sendEvent as real input arrives. Each call
// sends one event in one run-loop turn at the current time (so the end-of-turn
// passes follow it); only drag moves the clock, between its steps. Points are in the
// coordinates of the given window, or of the key window at the time of the call.
// Unknown or finished touch ids are ignored.
class PELLAVO_EXPORT TestDriver {
public:
    using TouchId = int;

    explicit TestDriver(std::shared_ptr<Window> window = nullptr);

    TouchId touchDown(cg::Point point);
    // Several fingers landing in one event.
    std::vector<TouchId> touchDown(const std::vector<cg::Point>& points);
    void move(TouchId id, cg::Point point);
    // Several fingers moving in one event.
    void move(const std::vector<std::pair<TouchId, cg::Point>>& moves);
    void up(TouchId id);
    void up(TouchId id, cg::Point point);
    void cancel(TouchId id);
    void cancelAll();
    // `taps` touch-downs and lifts at the point (two events each).
    void tap(cg::Point point, int taps = 1);
    // Down at `from`, `steps` moves evenly spaced in place and time over `seconds`,
    // then up at `to`.
    void drag(cg::Point from, cg::Point to, int steps = 10, double seconds = 0.25);
    // ---- keys, each followed by one main-queue turn
    // One Application::insertText per grapheme cluster.
    void type(const ns::String& text);
    void backspace();
    void returnKey();
    // Puts the text on the general pasteboard, then sends "paste:" through
    // targetForAction from the key window's first responder.
    void paste(const ns::String& text);

    // Turns the device (Application::simulateRotation) in one run-loop turn.
    void rotate(InterfaceOrientation orientation);

    // What driveGesture sets, in the recogniser's view: the location, a pan's
    // translation and velocity (points per second), a pinch's scale (its velocity is
    // velocity.x).
    struct GestureValues {
        cg::Point location;
        cg::Point translation;
        cg::Point velocity;
        double scale = 1;
    };
    // Puts the recogniser in `state` with these values and sends its actions, in one
    // run-loop turn, without touches and without arbitration; a finished state then
    // resets it. For gestures too small to recognise from touches (a pan within the
    // hysteresis).
    void driveGesture(GestureRecognizer& recognizer, GestureRecognizer::State state, const GestureValues& values);

    // The touch behind an id while the driver knows it (also after it ended), or null.
    std::shared_ptr<Touch> touch(TouchId id) const;

private:
    struct Entry;

    cg::Point toScreen(cg::Point point) const;
    // Sends one event carrying every live touch: the changed ones in their new phase,
    // the others stationary.
    void send(const std::vector<std::shared_ptr<Touch>>& changed);
    std::shared_ptr<Touch> live(TouchId id) const;

    std::weak_ptr<Window> window_;
    bool hasWindow_ = false;
    TouchId nextId_ = 1;
    std::map<TouchId, std::shared_ptr<Touch>> touches_;
};

} // namespace pellavo::ui
