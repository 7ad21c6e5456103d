#pragma once

#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

class Touch;
class Event;

enum class ContentHorizontalAlignment { center, left, right };

// A view that tracks one touch at a time and reports what happens to it as
// control events sent to targets. Touches it receives never travel further up the
// responder chain.
class PELLAVO_EXPORT Control : public View {
public:
    enum class State : unsigned { normal = 0, highlighted = 1 << 0, disabled = 1 << 1, selected = 1 << 2 };

    enum class Event : unsigned {
        touchDown = 1u << 0,
        touchUpInside = 1u << 6,
        touchUpOutside = 1u << 7,
        touchCancel = 1u << 8,
        valueChanged = 1u << 12,
        editingDidBegin = 1u << 16,
        editingChanged = 1u << 17,
        editingDidEnd = 1u << 18,
        editingDidEndOnExit = 1u << 19,
        allEvents = 0xFFFFFFFFu,
    };

    // A touch released within the bounds grown by this much counts as inside.
    static constexpr cg::Float kTouchTolerance = 70;

    explicit Control(const cg::Rect& frame = {});
    // As View's: the decoded frame and subviews.
    explicit Control(const ns::Coder& coder);
    std::string_view className() const override { return "UIControl"; }

    // ---- state
    bool isEnabled() const { return enabled_; }
    virtual void setIsEnabled(bool enabled);
    // Virtual so that a control keeping its own selection answers the runtime's "selected"
    // too; state() reads the stored flag.
    virtual bool isSelected() const { return selected_; }
    virtual void setIsSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setIsHighlighted(bool highlighted);
    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }
    State state() const;

    ContentHorizontalAlignment contentHorizontalAlignment() const { return contentHorizontalAlignment_; }
    void setContentHorizontalAlignment(ContentHorizontalAlignment alignment);

    // ---- targets
    // Targets are held weakly. Adding the same target, action and events again
    // stores nothing new; the same target and action with other events adds them.
    template <class T>
    void addTarget(const std::shared_ptr<T>& target, void (T::*action)(), Event events);
    template <class T, class Sender>
    void addTarget(const std::shared_ptr<T>& target, void (T::*action)(Sender&), Event events);
    // Sent through the object runtime, with this control as the sender.
    void addTarget(const std::weak_ptr<ns::Object>& target, ns::Selector action, Event events);

    // Takes the events away from matching registrations; a null target matches every
    // target, a null action every action of the target.
    template <class T>
    void removeTarget(const std::shared_ptr<T>& target, void (T::*action)(), Event events);
    template <class T, class Sender>
    void removeTarget(const std::shared_ptr<T>& target, void (T::*action)(Sender&), Event events);
    template <class T>
    void removeTarget(const std::shared_ptr<T>& target, ns::Selector action, Event events);
    template <class T>
    void removeTarget(const std::shared_ptr<T>& target, std::nullptr_t action, Event events);
    void removeTarget(std::nullptr_t target, ns::Selector action, Event events);
    void removeTarget(std::nullptr_t target, std::nullptr_t action, Event events);

    // Calls every live target registered for any of the events, synchronously, in
    // registration order, over a snapshot: a registration removed during the send is
    // not called after its removal, one added is called from the next send on.
    // Dead targets are pruned.
    void sendActions(Event events);
    // Whether a live target is registered for any of the events.
    bool hasTargets(Event events) const;
    // Live registrations (after pruning the dead ones).
    std::size_t targetCount();

    // ---- tracking; overrides call the base or return its answer
    virtual bool beginTracking(const Touch& touch, const ui::Event* event);
    virtual bool continueTracking(const Touch& touch, const ui::Event* event);
    virtual void endTracking(const Touch* touch, const ui::Event* event);
    virtual void cancelTracking(const ui::Event* event);

    void touchesBegan(const TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const TouchSet& touches, const ui::Event* event) override;
    void didMoveToWindow() override;

protected:
    // Whether a point in the control's own space is within the touch tolerance.
    bool isWithinTouchTolerance(cg::Point point) const;

private:
    // What identifies an action: the member function's bytes and type, or a selector.
    struct ActionKey {
        std::type_index type = typeid(void);
        unsigned char bytes[32] = {};
        ns::Selector selector;
        bool isSelector = false;
        friend bool operator==(const ActionKey& a, const ActionKey& b) {
            return a.isSelector == b.isSelector && a.type == b.type && a.selector == b.selector &&
                   std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
        }
    };
    struct Registration {
        std::weak_ptr<const void> target;
        const void* targetAddress = nullptr;
        ActionKey action;
        unsigned events = 0;
        // Called with the locked target.
        std::function<void(const std::shared_ptr<const void>& target, Control& sender)> invoke;
    };

    template <class Pmf>
    static ActionKey memberKey(Pmf action);
    static ActionKey selectorKey(ns::Selector selector);
    // The address of the whole object, so that a target is the same whichever base it is seen through.
    template <class T>
    static const void* identity(const T* object) {
        if constexpr (std::is_polymorphic_v<T>) {
            return object ? dynamic_cast<const void*>(object) : nullptr;
        } else {
            return static_cast<const void*>(object);
        }
    }
    void addRegistration(std::weak_ptr<const void> target, const void* address, ActionKey action, unsigned events,
                         std::function<void(const std::shared_ptr<const void>&, Control&)> invoke);
    void removeRegistrations(const void* address, const ActionKey* action, unsigned events);
    void clearTrackingState();

    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    bool tracking_ = false;
    bool touchInside_ = false;
    ContentHorizontalAlignment contentHorizontalAlignment_ = ContentHorizontalAlignment::center;
    std::weak_ptr<Touch> trackingTouch_;
    std::vector<std::shared_ptr<Registration>> registrations_;
};

constexpr Control::State operator|(Control::State a, Control::State b) {
    return static_cast<Control::State>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr Control::State operator&(Control::State a, Control::State b) {
    return static_cast<Control::State>(static_cast<unsigned>(a) & static_cast<unsigned>(b));
}
constexpr Control::Event operator|(Control::Event a, Control::Event b) {
    return static_cast<Control::Event>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr Control::Event operator&(Control::Event a, Control::Event b) {
    return static_cast<Control::Event>(static_cast<unsigned>(a) & static_cast<unsigned>(b));
}

// ------------------------------------------------------------------ templates

template <class Pmf>
Control::ActionKey Control::memberKey(Pmf action) {
    static_assert(sizeof(Pmf) <= sizeof(ActionKey::bytes), "member function pointers fit the key");
    ActionKey key;
    key.type = typeid(Pmf);
    std::memcpy(key.bytes, &action, sizeof action);
    return key;
}

template <class T>
void Control::addTarget(const std::shared_ptr<T>& target, void (T::*action)(), Event events) {
    if (!target || !action) return;
    addRegistration(std::weak_ptr<const void>(target), identity(target.get()), memberKey(action),
                    static_cast<unsigned>(events), [action](const std::shared_ptr<const void>& locked, Control&) {
                        auto* object = const_cast<T*>(static_cast<const T*>(locked.get()));
                        (object->*action)();
                    });
}

template <class T, class Sender>
void Control::addTarget(const std::shared_ptr<T>& target, void (T::*action)(Sender&), Event events) {
    if (!target || !action) return;
    addRegistration(std::weak_ptr<const void>(target), identity(target.get()), memberKey(action),
                    static_cast<unsigned>(events),
                    [action](const std::shared_ptr<const void>& locked, Control& sender) {
                        auto* typed = dynamic_cast<Sender*>(&sender);
                        if (typed == nullptr) return;
                        auto* object = const_cast<T*>(static_cast<const T*>(locked.get()));
                        (object->*action)(*typed);
                    });
}

template <class T>
void Control::removeTarget(const std::shared_ptr<T>& target, void (T::*action)(), Event events) {
    const ActionKey key = memberKey(action);
    removeRegistrations(identity(target.get()), action ? &key : nullptr, static_cast<unsigned>(events));
}

template <class T, class Sender>
void Control::removeTarget(const std::shared_ptr<T>& target, void (T::*action)(Sender&), Event events) {
    const ActionKey key = memberKey(action);
    removeRegistrations(identity(target.get()), action ? &key : nullptr, static_cast<unsigned>(events));
}

template <class T>
void Control::removeTarget(const std::shared_ptr<T>& target, ns::Selector action, Event events) {
    const ActionKey key = selectorKey(action);
    removeRegistrations(identity(target.get()), &key, static_cast<unsigned>(events));
}

template <class T>
void Control::removeTarget(const std::shared_ptr<T>& target, std::nullptr_t, Event events) {
    removeRegistrations(identity(target.get()), nullptr, static_cast<unsigned>(events));
}

} // namespace pellavo::ui
