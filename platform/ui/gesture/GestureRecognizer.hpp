#pragma once

#include <array>
#include <cstddef>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <typeindex>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ui/gesture/GestureRecognizerDelegate.hpp"

namespace pellavo::ui {

class Event;
class GestureArena;
class TestDriver;
class Touch;
class TouchSet;
class View;

// Turns the touches on a view (and its subviews) into one gesture. The application
// shows every touch to the recognisers of the hit view and its ancestors before the
// views see it; a recogniser that begins or recognises may cancel the touches in the
// views and keeps others that share its touches from recognising too.
//
// Subclasses override the touch methods and reset(), and report progress with
// setState(): possible → ended (a discrete gesture) or possible → began → changed… →
// ended or cancelled (a continuous one), or → failed. A request to begin or to
// recognise is arbitrated (failure requirements, the delegate, other recognisers);
// state() tells what came of it.
class PELLAVO_EXPORT GestureRecognizer : public ns::Object {
public:
    enum class State : std::uint8_t { possible, began, changed, ended, cancelled, failed };
    static constexpr State recognized = State::ended;

    GestureRecognizer() { joinApplication(); }
    // Adds the first target and action.
    template <class T, class A>
    GestureRecognizer(const std::shared_ptr<T>& target, A action) {
        joinApplication();
        addTarget(target, action);
    }
    ~GestureRecognizer() override;

    std::string_view className() const override { return "UIGestureRecognizer"; }

    State state() const { return state_; }

    bool isEnabled() const { return enabled_; }
    // Turning it off cancels a gesture in progress and drops the touches it holds.
    void setIsEnabled(bool enabled);

    // The view the recogniser is attached to (View::addGestureRecognizer sets it).
    std::shared_ptr<View> view() const { return view_.lock(); }

    // ---- targets: held weakly, called in the order they were added, once per
    // distinct target and action. Actions take nothing or the recogniser (any
    // recogniser class the sender is).
    template <class T, class C>
        requires std::derived_from<T, C>
    void addTarget(const std::shared_ptr<T>& target, void (C::*action)());
    template <class T, class C, class S>
        requires std::derived_from<T, C> && std::derived_from<S, GestureRecognizer>
    void addTarget(const std::shared_ptr<T>& target, void (C::*action)(S&));
    // Performed through ns::Runtime with the recogniser as sender.
    void addTarget(const std::shared_ptr<ns::Object>& target, ns::Selector action);

    // A null target matches every target, a null action every action of the target.
    template <class T, class C>
    void removeTarget(const std::shared_ptr<T>& target, void (C::*action)());
    template <class T, class C, class S>
    void removeTarget(const std::shared_ptr<T>& target, void (C::*action)(S&));
    void removeTarget(const std::shared_ptr<ns::Object>& target, ns::Selector action);
    template <class T>
    void removeTarget(const std::shared_ptr<T>& target, std::nullptr_t) {
        removeTargets(target ? std::weak_ptr<const void>(target) : std::weak_ptr<const void>(), !target,
                      nullptr);
    }

    // Where the gesture is, in the view's bounds space (null: the window). With
    // touches down, their centroid; afterwards, where they last were.
    virtual cg::Point location(const View* view) const;
    template <class V>
        requires std::derived_from<V, View>
    cg::Point location(const std::shared_ptr<V>& view) const {
        return location(static_cast<const View*>(view.get()));
    }
    std::size_t numberOfTouches() const;

    bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
    void setCancelsTouchesInView(bool value) { cancelsTouchesInView_ = value; }
    bool delaysTouchesBegan() const { return delaysTouchesBegan_; }
    void setDelaysTouchesBegan(bool value) { delaysTouchesBegan_ = value; }
    bool delaysTouchesEnded() const { return delaysTouchesEnded_; }
    void setDelaysTouchesEnded(bool value) { delaysTouchesEnded_ = value; }

    std::shared_ptr<GestureRecognizerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<GestureRecognizerDelegate>& delegate) { delegate_ = delegate; }

    // This recogniser may begin or recognise only once `other` has failed; it fails
    // when `other` recognises. Itself, null, or a requirement that would close a cycle
    // is ignored.
    void requireToFail(const std::shared_ptr<GestureRecognizer>& other);

    // ---- for subclasses
    // Called by the application with this recogniser's share of an event.
    virtual void touchesBegan(const TouchSet& touches, const Event& event);
    virtual void touchesMoved(const TouchSet& touches, const Event& event);
    virtual void touchesEnded(const TouchSet& touches, const Event& event);
    virtual void touchesCancelled(const TouchSet& touches, const Event& event);

protected:
    // Back to the start once the gesture is over and its touches are gone. Overrides
    // call the base.
    virtual void reset();
    // The transitions a subclass reports. From inside a touch method the outcome is
    // settled after every recogniser has seen the event; from elsewhere (a timer) at
    // once.
    void setState(State state);
    // Drops a touch from this recogniser: it receives nothing more about it.
    void ignore(const Touch& touch);
    // Keeps at most `count` touches: those of `arriving` past that many are ignored.
    void holdAtMost(std::size_t count, const TouchSet& arriving);
    // The touches lifted (or were cancelled): a gesture under way ends (or is
    // cancelled); one that never began fails.
    void finishOnLift(bool cancelled);
    // The touches this recogniser holds that are still on the screen, in the order
    // they came.
    std::vector<std::shared_ptr<Touch>> activeTouches() const;
    // Centroid of the active touches in screen space; the last one when none.
    cg::Point centroidInScreen() const;
    // Screen-space point to the view's bounds space (null: the recogniser's window).
    cg::Point pointFromScreen(cg::Point screenPoint, const View* view) const;
    cg::Point pointToScreen(cg::Point point, const View* view) const;
    // A screen-space vector in the view's bounds space, measured at `screenPoint`.
    cg::Point vectorFromScreen(cg::Point vector, cg::Point screenPoint, const View* view) const;
    cg::Point vectorToScreen(cg::Point vector, cg::Point point, const View* view) const;
    // The last centroid seen, in screen space.
    cg::Point lastScreenLocation() const { return lastScreenLocation_; }
    // The test driver's values, in the recogniser's view.
    struct DrivenValues {
        cg::Point location;
        cg::Point translation;
        cg::Point velocity;
        double scale = 1;
    };
    // Takes the driver's values; subclasses call the base and keep what is theirs.
    virtual void applyDriven(const DrivenValues& values);

private:
    friend class GestureArena;
    friend class View;
    friend class TestDriver;

    // Makes sure the application shows its touches to recognisers.
    static void joinApplication();
    // The window whose space stands for a null view: the last one touched, else the
    // window of the recogniser's view.
    std::shared_ptr<View> defaultWindow() const;

    struct ActionKey {
        std::type_index type = typeid(void);
        std::array<unsigned char, 2 * sizeof(void*)> bytes{};
        ns::Selector selector;
        friend bool operator==(const ActionKey&, const ActionKey&) = default;
    };
    struct Target {
        std::weak_ptr<const void> identity;
        ActionKey key;
        std::function<bool(GestureRecognizer&)> invoke; // false once the target is gone
    };
    template <class M>
    static ActionKey keyOf(M action) {
        static_assert(sizeof(M) <= 2 * sizeof(void*), "member pointer wider than expected");
        ActionKey key;
        key.type = typeid(M);
        std::memcpy(key.bytes.data(), &action, sizeof(M));
        return key;
    }
    void addTargetEntry(Target target);
    void removeTargets(const std::weak_ptr<const void>& target, bool anyTarget, const ActionKey* key);
    void sendActions();

    // Called by View when the recogniser is added to (or removed from, null) a view.
    void moveToView(View* view);
    // Drops the gesture without actions: touches, pending requests, subclass state.
    void abandon();
    // Called by the driver: sets the values and sends the actions, without touches.
    void drive(State state, const DrivenValues& values);

    bool dependsOn(const GestureRecognizer* other) const;
    void trackTouch(const std::shared_ptr<Touch>& touch);
    bool holdsTouch(const Touch* touch) const;
    bool hasActiveTouches() const;
    void noteLocation();

    State state_ = State::possible;
    bool enabled_ = true;
    bool cancelsTouchesInView_ = true;
    bool delaysTouchesBegan_ = false;
    bool delaysTouchesEnded_ = true;
    // Took a touch since the last reset: the gesture is under way.
    bool engaged_ = false;
    // Ready to begin or recognise, waiting for failure requirements.
    bool pending_ = false;
    State pendingState_ = State::possible;
    // Bumped whenever the recogniser leaves a view or drops its touches, so that
    // stale bookkeeping about it is recognised as such.
    std::uint64_t generation_ = 0;
    std::weak_ptr<View> view_;
    std::weak_ptr<GestureRecognizerDelegate> delegate_;
    std::vector<Target> targets_;
    std::vector<std::weak_ptr<GestureRecognizer>> failureRequirements_;
    std::vector<std::weak_ptr<Touch>> touches_;
    cg::Point lastScreenLocation_;
    std::weak_ptr<View> lastWindow_;
};

// ------------------------------------------------------------------ templates

template <class T, class C>
    requires std::derived_from<T, C>
void GestureRecognizer::addTarget(const std::shared_ptr<T>& target, void (C::*action)()) {
    if (!target || !action) return;
    std::weak_ptr<T> weak = target;
    addTargetEntry(Target{target, keyOf(action), [weak, action](GestureRecognizer&) {
                              auto strong = weak.lock();
                              if (!strong) return false;
                              ((*strong).*action)();
                              return true;
                          }});
}

template <class T, class C, class S>
    requires std::derived_from<T, C> && std::derived_from<S, GestureRecognizer>
void GestureRecognizer::addTarget(const std::shared_ptr<T>& target, void (C::*action)(S&)) {
    if (!target || !action) return;
    std::weak_ptr<T> weak = target;
    addTargetEntry(Target{target, keyOf(action), [weak, action](GestureRecognizer& sender) {
                              auto strong = weak.lock();
                              if (!strong) return false;
                              if (auto* typed = dynamic_cast<S*>(&sender)) ((*strong).*action)(*typed);
                              return true;
                          }});
}

template <class T, class C>
void GestureRecognizer::removeTarget(const std::shared_ptr<T>& target, void (C::*action)()) {
    ActionKey key = keyOf(action);
    removeTargets(target ? std::weak_ptr<const void>(target) : std::weak_ptr<const void>(), !target,
                  action ? &key : nullptr);
}

template <class T, class C, class S>
void GestureRecognizer::removeTarget(const std::shared_ptr<T>& target, void (C::*action)(S&)) {
    ActionKey key = keyOf(action);
    removeTargets(target ? std::weak_ptr<const void>(target) : std::weak_ptr<const void>(), !target,
                  action ? &key : nullptr);
}

} // namespace pellavo::ui
