#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/event/ApplicationHost.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/view/InterfaceOrientation.hpp"
#include "platform/ui/view/Responder.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchSet.hpp"

namespace pellavo::ui {

class Keyboard;
class TouchInterceptor;
class View;
class ViewController;
class Window;

// The running application: its windows, the key window, and touch delivery.
//
// A host application hands its first screen to run() and returns what it answers:
//
//   int main(int argc, char** argv) {
//       return ui::Application::run(argc, argv, [](ui::Window&) { return ns::make<MyController>(); });
//   }
//
// The platform initialises itself when the library loads (platform/Platform.hpp), so
// nothing has to be called before.
class PELLAVO_EXPORT Application : public Responder {
public:
    static Application& shared();

    // ---- running a host application
    struct RunOptions {
        // The desktop window's title.
        std::string title = "Pellavo";
        // > 0: the run ends after this many frames of 1/60 s.
        long frames = 0;
        // Not empty: no window. The application runs on a manual clock, one turn and
        // then `frames` / 60 s, and the screen is written to this PNG file.
        std::string png;
        // Called inside a turn for the window's arrow, Home and End keys.
        std::function<void(ApplicationHost::Key)> keyPressed;
    };
    // Builds the first screen: gets the key window (the screen's size, not yet shown)
    // and answers its root view controller.
    using Launch = std::function<std::shared_ptr<ViewController>(Window& window)>;
    // Makes the key window with the controller `launch` answers, shows it, and runs
    // the event loop in a desktop window until it is closed (or draws the frames to a
    // PNG file, see RunOptions); then terminate(). Main thread only. Returns 0, or 1
    // when no window opens, the PNG cannot be written or `launch` answers null.
    static int run(const Launch& launch, const RunOptions& options);
    static int run(const Launch& launch) { return run(launch, RunOptions{}); }
    // run() with the options from the command line: `--frames N`, `--png FILE` and
    // `--title TEXT`; anything else prints the usage and returns 2.
    static int run(int argc, char** argv, const Launch& launch);
    // A command-line count such as `--frames N` takes: a whole decimal number above 0,
    // nothing else trailing; none for anything else.
    static std::optional<long> parseCount(const char* text);
    // Ends the session: the windows, the key history, the touches and the queued
    // events are forgotten and the flags cleared, and the main run loop drops its
    // timers and queued work. run() ends with it; a host that draws several screens
    // in one process (the gallery's PNG mode) calls it between them.
    void terminate();

    Application();
    ~Application() override;
    std::string_view className() const override { return "UIApplication"; }

    // ---- windows
    // Held strongly, in the order they were first made visible.
    const std::vector<std::shared_ptr<Window>>& windows() const { return windows_; }
    void removeWindow(const std::shared_ptr<Window>& window);
    // The latest window made key that is still listed and visible, or null.
    std::shared_ptr<Window> keyWindow() const;

    // ---- events
    // A new touch goes to the topmost visible window whose hit-test finds a view.
    // Recognisers see the event first (see TouchInterceptor), then the views: a view
    // that is not multiple-touch hears only the first touch of its sequence; while an
    // exclusive-touch view holds a touch no other view in its window starts one, and
    // an exclusive-touch view starts nothing while another touch is live. Delivery
    // runs over snapshots; an event sent during a delivery waits until it is over.
    void sendEvent(const Event& event);
    // Touches that have begun and not yet ended, in the order they began.
    const TouchSet& liveTouches() const { return live_; }

    // ---- gesture seam
    // Not cleared by resetForTesting (its reset() is called instead).
    void setTouchInterceptor(std::shared_ptr<TouchInterceptor> interceptor);
    const std::shared_ptr<TouchInterceptor>& touchInterceptor() const { return interceptor_; }
    // The views of these touches hear touchesCancelled now (also those whose end is
    // held back) and nothing more about them.
    void cancelTouchesInViews(const TouchSet& touches);
    // Delivers the held-back touchesBegan of these touches (their ends stay held
    // while they are).
    void deliverDelayedTouchesBegan(const TouchSet& touches);
    // Delivers the held-back touchesEnded of these touches.
    void deliverDelayedTouchesEnded(const TouchSet& touches);

    // ---- state
    bool isNetworkActivityIndicatorVisible() const { return networkActivityIndicatorVisible_; }
    void setIsNetworkActivityIndicatorVisible(bool visible) { networkActivityIndicatorVisible_ = visible; }
    // Posts UIApplicationWillResignActiveNotification with the application as object.
    void postWillResignActive();

    // ---- rotation
    InterfaceOrientation statusBarOrientation() const { return statusBarOrientation_; }
    // Turns the interface as the device would, when `orientation` differs from the
    // current one: the controllers hear willTransition (when their traits change) and
    // viewWillTransition, the screen and every window take the new size in one 0.3 s
    // animation, UIApplicationDidChangeStatusBarOrientationNotification is posted,
    // then traitCollectionDidChange; the coordinator's completions run at the end.
    void simulateRotation(InterfaceOrientation orientation);

    // ---- text input: forwarded to the keyboard's active input
    void insertText(const ns::String& text);
    void deleteBackward();
    void returnKey();
    Keyboard& keyboard() { return *keyboard_; }
    // What is on screen, bottom to top: the visible windows, then the keyboard's.
    std::vector<std::shared_ptr<Window>> displayWindows() const;

    // Forgets windows, key history, touches and queued events; clears the flags.
    void resetForTesting();

private:
    friend class Window;

    struct Batch;

    // What resetForTesting and terminate forget of the application itself.
    void forgetSession();

    void windowDidBecomeVisible(const std::shared_ptr<Window>& window);
    void windowDidBecomeKey(const std::shared_ptr<Window>& window);

    void deliver(const Event& event);
    void hitTestNewTouch(const std::shared_ptr<Touch>& touch, const Event& event);
    bool startsInView(const Touch& touch) const;
    static void addToBatch(std::vector<Batch>& batches, const std::shared_ptr<Touch>& touch, Touch::Phase phase,
                           const std::shared_ptr<View>& view, const std::shared_ptr<Window>& window);
    void deliverBatches(std::vector<Batch>& batches, const Event* event);
    void retire(const std::shared_ptr<Touch>& touch);
    void releaseView(const std::shared_ptr<Touch>& touch);
    // Runs fn as a delivery: events sent meanwhile queue, and run after it.
    template <class Fn>
    void asDelivery(const Fn& fn);

    std::vector<std::shared_ptr<Window>> windows_;
    std::unique_ptr<Keyboard> keyboard_;
    std::vector<std::weak_ptr<Window>> keyHistory_;
    TouchSet live_;
    // Touches still holding their view: the live ones and those whose end is held back.
    TouchSet holding_;
    std::deque<Event> pending_;
    std::shared_ptr<TouchInterceptor> interceptor_;
    const Event* currentEvent_ = nullptr;
    bool delivering_ = false;
    bool networkActivityIndicatorVisible_ = false;
    InterfaceOrientation statusBarOrientation_ = InterfaceOrientation::portrait;
};

} // namespace pellavo::ui
