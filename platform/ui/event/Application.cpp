#include "platform/ui/event/Application.hpp"
#include "platform/ui/text/Keyboard.hpp"

#include <algorithm>

#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchInterceptor.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

struct Application::Batch {
    std::shared_ptr<View> view;
    std::shared_ptr<Window> window;
    Touch::Phase phase;
    TouchSet touches;
};

Application& Application::shared() {
    // Outlives static destruction: windows and views may still point here then.
    static auto* instance = new std::shared_ptr<Application>(ns::make<Application>());
    return **instance;
}

// ---------------------------------------------------------------- windows

void Application::windowDidBecomeVisible(const std::shared_ptr<Window>& window) {
    if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) return;
    ns::checkInitialised(*window);
    windows_.push_back(window);
}

void Application::windowDidBecomeKey(const std::shared_ptr<Window>& window) {
    std::erase_if(keyHistory_, [&](const std::weak_ptr<Window>& w) {
        const auto locked = w.lock();
        return !locked || locked == window;
    });
    keyHistory_.push_back(window);
}

void Application::removeWindow(const std::shared_ptr<Window>& window) {
    std::erase(windows_, window);
}

std::shared_ptr<Window> Application::keyWindow() const {
    for (auto it = keyHistory_.rbegin(); it != keyHistory_.rend(); ++it) {
        auto window = it->lock();
        if (window && !window->isHidden() && std::find(windows_.begin(), windows_.end(), window) != windows_.end())
            return window;
    }
    return nullptr;
}

// ---------------------------------------------------------------- delivery

template <class Fn>
void Application::asDelivery(const Fn& fn) {
    if (delivering_) {
        fn();
        return;
    }
    delivering_ = true;
    struct Done {
        Application& app;
        ~Done() { app.delivering_ = false; }
    } done{*this};
    fn();
    while (!pending_.empty()) {
        const Event next = std::move(pending_.front());
        pending_.pop_front();
        deliver(next);
    }
}

void Application::sendEvent(const Event& event) {
    if (delivering_) {
        pending_.push_back(event);
        return;
    }
    asDelivery([&] { deliver(event); });
}

void Application::setTouchInterceptor(std::shared_ptr<TouchInterceptor> interceptor) {
    interceptor_ = std::move(interceptor);
}

void Application::addToBatch(std::vector<Batch>& batches, const std::shared_ptr<Touch>& touch, Touch::Phase phase,
                const std::shared_ptr<View>& view, const std::shared_ptr<Window>& window) {
    for (auto& batch : batches) {
        if (batch.view == view && batch.phase == phase) {
            batch.touches.insert(touch);
            return;
        }
    }
    batches.push_back({view, window, phase, TouchSet{touch}});
}

void Application::hitTestNewTouch(const std::shared_ptr<Touch>& touch, const Event& event) {
    live_.insert(touch);
    const auto assign = [&](std::shared_ptr<View> view, const std::shared_ptr<Window>& window) {
        touch->view_ = std::move(view);
        touch->window_ = window;
        holding_.insert(touch);
        touch->delivery_ = startsInView(*touch) ? Touch::ViewDelivery::active : Touch::ViewDelivery::none;
    };
    // The keyboard is above every window; touches outside its view pass through.
    if (const auto keyboardWindow = keyboard_->window()) {
        auto hit = keyboardWindow->hitTest(keyboardWindow->convertFromScreen(touch->screenLocation()), &event);
        if (hit && hit != keyboardWindow) {
            assign(std::move(hit), keyboardWindow);
            return;
        }
    }
    const std::vector<std::shared_ptr<Window>> windows = windows_;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const auto& window = *it;
        if (window->isHidden()) continue;
        auto hit = window->hitTest(window->convertFromScreen(touch->screenLocation()), &event);
        if (!hit) continue;
        assign(std::move(hit), window);
        return;
    }
}

bool Application::startsInView(const Touch& touch) const {
    const View* view = touch.view_.get();
    const auto window = touch.window_.lock();
    for (const auto& other : live_) {
        if (other.get() == &touch || other->isFinished() || !other->view_) continue;
        if (other->window_.lock() != window) continue;
        // An exclusive-touch view starts nothing while another touch is live.
        if (view->isExclusiveTouch()) return false;
        const bool held = other->delivery_ == Touch::ViewDelivery::active || other->delivery_ == Touch::ViewDelivery::endWaiting;
        if (!held) continue;
        // No other view starts a touch while an exclusive-touch view holds one.
        if (other->view_->isExclusiveTouch()) return false;
        // A view that is not multiple-touch hears only the first touch of its sequence.
        if (other->view_.get() == view && !view->isMultipleTouchEnabled()) return false;
    }
    return true;
}

void Application::deliver(const Event& event) {
    const Event* previous = currentEvent_;
    currentEvent_ = &event;
    struct Restore {
        const Event*& slot;
        const Event* value;
        ~Restore() { slot = value; }
    } restore{currentEvent_, previous};

    const std::vector<std::shared_ptr<Touch>> touches = event.allTouches().asVector();
    for (const auto& touch : touches) {
        if (touch->phase_ == Touch::Phase::began && !touch->hitTested_) {
            touch->hitTested_ = true;
            hitTestNewTouch(touch, event);
        }
    }

    // Steps 1 and 2: the recognisers.
    if (const auto interceptor = interceptor_) interceptor->interceptEvent(event);

    // Step 3: the views.
    std::vector<Batch> batches;
    for (const auto& touch : touches) {
        if (!touch->view_ || touch->delivery_ != Touch::ViewDelivery::active) continue;
        const auto window = touch->window_.lock();
        switch (touch->phase_) {
        case Touch::Phase::began:
            if (!touch->beganDelivered_ && !(interceptor_ && interceptor_->shouldDelayTouchBegan(*touch)))
                addToBatch(batches, touch, Touch::Phase::began, touch->view_, window);
            break;
        case Touch::Phase::moved:
            if (touch->beganDelivered_) addToBatch(batches, touch, Touch::Phase::moved, touch->view_, window);
            break;
        case Touch::Phase::stationary:
            break;
        case Touch::Phase::ended:
            if (interceptor_ && interceptor_->shouldDelayTouchEnded(*touch)) {
                // Also when its began is still held: both may follow.
                touch->delivery_ = Touch::ViewDelivery::endWaiting;
            } else if (!touch->beganDelivered_) {
                touch->delivery_ = Touch::ViewDelivery::done;
            } else {
                addToBatch(batches, touch, Touch::Phase::ended, touch->view_, window);
            }
            break;
        case Touch::Phase::cancelled:
            if (touch->beganDelivered_)
                addToBatch(batches, touch, Touch::Phase::cancelled, touch->view_, window);
            else
                touch->delivery_ = Touch::ViewDelivery::done;
            break;
        }
    }
    deliverBatches(batches, &event);

    for (const auto& touch : touches)
        if (touch->isFinished()) retire(touch);
}

void Application::deliverBatches(std::vector<Batch>& batches, const Event* event) {
    for (auto& batch : batches) {
        // An earlier callback may have taken touches away from their views.
        TouchSet touches;
        for (const auto& touch : batch.touches) {
            const bool waiting = touch->delivery_ == Touch::ViewDelivery::endWaiting;
            bool ok = false;
            switch (batch.phase) {
            case Touch::Phase::began: ok = (touch->delivery_ == Touch::ViewDelivery::active || waiting) && !touch->beganDelivered_; break;
            case Touch::Phase::moved: ok = touch->delivery_ == Touch::ViewDelivery::active && touch->beganDelivered_; break;
            case Touch::Phase::ended:
            case Touch::Phase::cancelled:
                ok = (touch->delivery_ == Touch::ViewDelivery::active || waiting) && touch->beganDelivered_;
                break;
            case Touch::Phase::stationary: break;
            }
            if (ok) touches.insert(touch);
        }
        if (touches.empty()) continue;
        // A view removed from its window hears nothing more.
        const bool present = batch.window && batch.view->window() == batch.window;
        for (const auto& touch : touches) {
            if (!present || batch.phase == Touch::Phase::ended || batch.phase == Touch::Phase::cancelled)
                touch->delivery_ = Touch::ViewDelivery::done;
            else if (batch.phase == Touch::Phase::began)
                touch->beganDelivered_ = true;
        }
        if (!present) continue;
        switch (batch.phase) {
        case Touch::Phase::began: batch.view->touchesBegan(touches, event); break;
        case Touch::Phase::moved: batch.view->touchesMoved(touches, event); break;
        case Touch::Phase::ended: batch.view->touchesEnded(touches, event); break;
        case Touch::Phase::cancelled: batch.view->touchesCancelled(touches, event); break;
        case Touch::Phase::stationary: break;
        }
    }
}

void Application::retire(const std::shared_ptr<Touch>& touch) {
    live_.erase(touch.get());
    if (touch->delivery_ != Touch::ViewDelivery::endWaiting) releaseView(touch);
}

void Application::releaseView(const std::shared_ptr<Touch>& touch) {
    holding_.erase(touch.get());
    if (!touch->view_) return;
    touch->viewAfterEnd_ = touch->view_;
    touch->view_.reset();
}

void Application::cancelTouchesInViews(const TouchSet& touches) {
    asDelivery([&] {
        std::vector<Batch> batches;
        for (const auto& touch : touches) {
            if (!touch->view_) continue;
            if (touch->delivery_ != Touch::ViewDelivery::active && touch->delivery_ != Touch::ViewDelivery::endWaiting) continue;
            if (touch->beganDelivered_)
                addToBatch(batches, touch, Touch::Phase::cancelled, touch->view_, touch->window_.lock());
            else
                touch->delivery_ = Touch::ViewDelivery::done;
        }
        const Event fallback(touches);
        deliverBatches(batches, currentEvent_ ? currentEvent_ : &fallback);
        for (const auto& touch : touches)
            if (touch->isFinished() && !live_.contains(touch)) retire(touch);
    });
}

void Application::deliverDelayedTouchesBegan(const TouchSet& touches) {
    asDelivery([&] {
        std::vector<Batch> batches;
        for (const auto& touch : touches) {
            const bool held = touch->delivery_ == Touch::ViewDelivery::active || touch->delivery_ == Touch::ViewDelivery::endWaiting;
            if (touch->view_ && held && !touch->beganDelivered_)
                addToBatch(batches, touch, Touch::Phase::began, touch->view_, touch->window_.lock());
        }
        const Event fallback(touches);
        deliverBatches(batches, currentEvent_ ? currentEvent_ : &fallback);
    });
}

void Application::deliverDelayedTouchesEnded(const TouchSet& touches) {
    asDelivery([&] {
        std::vector<Batch> batches;
        for (const auto& touch : touches)
            if (touch->view_ && touch->delivery_ == Touch::ViewDelivery::endWaiting)
                addToBatch(batches, touch, Touch::Phase::ended, touch->view_, touch->window_.lock());
        const Event fallback(touches);
        deliverBatches(batches, currentEvent_ ? currentEvent_ : &fallback);
        for (const auto& touch : touches)
            if (touch->isFinished() && !live_.contains(touch)) retire(touch);
    });
}

// ---------------------------------------------------------------- state and text

void Application::postWillResignActive() {
    ns::NotificationCenter::defaultCenter().post(ns::UIApplicationWillResignActiveNotification, sharedFromThis());
}

Application::Application() : keyboard_(std::make_unique<Keyboard>()) {}

Application::~Application() = default;

void Application::insertText(const ns::String& text) { keyboard_->insertText(text); }

void Application::deleteBackward() { keyboard_->deleteBackward(); }

void Application::returnKey() { keyboard_->returnKey(); }

std::vector<std::shared_ptr<Window>> Application::displayWindows() const {
    std::vector<std::shared_ptr<Window>> result;
    for (const auto& window : windows_)
        if (!window->isHidden()) result.push_back(window);
    if (auto keyboardWindow = keyboard_->window()) result.push_back(std::move(keyboardWindow));
    return result;
}

void Application::resetForTesting() { forgetSession(); }

void Application::terminate() {
    forgetSession();
    ns::RunLoop::main().reset();
}

void Application::forgetSession() {
    windows_.clear();
    keyHistory_.clear();
    // Forgotten touches no longer keep their views alive.
    const std::vector<std::shared_ptr<Touch>> held = holding_.asVector();
    for (const auto& touch : held) releaseView(touch);
    live_ = TouchSet();
    holding_ = TouchSet();
    pending_.clear();
    networkActivityIndicatorVisible_ = false;
    statusBarOrientation_ = InterfaceOrientation::portrait;
    if (interceptor_) interceptor_->reset();
    keyboard_->reset();
}

} // namespace pellavo::ui
