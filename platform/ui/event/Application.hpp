#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/ns/String.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/view/InterfaceOrientation.hpp"
#include "platform/ui/view/Responder.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchSet.hpp"

namespace pellavo::ui {

class Keyboard;
class TouchInterceptor;
class View;
class Window;

// The running application: its windows, the key window, and touch delivery.
class Application : public Responder {
public:
    static Application& shared();

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
