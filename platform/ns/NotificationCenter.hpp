#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ns/Value.hpp"

namespace pellavo::ns {

// Names posted by the ui layer.
inline constexpr std::string_view UIApplicationWillResignActiveNotification =
    "UIApplicationWillResignActiveNotification";
inline constexpr std::string_view UITextViewTextDidChangeNotification = "UITextViewTextDidChangeNotification";
inline constexpr std::string_view UITextFieldTextDidBeginEditingNotification =
    "UITextFieldTextDidBeginEditingNotification";
inline constexpr std::string_view UITextFieldTextDidEndEditingNotification =
    "UITextFieldTextDidEndEditingNotification";
inline constexpr std::string_view UIApplicationDidChangeStatusBarOrientationNotification =
    "UIApplicationDidChangeStatusBarOrientationNotification";

class PELLAVO_EXPORT Notification : public Object {
public:
    Notification(std::string name, std::shared_ptr<Object> object, Value userInfo = {})
        : name_(std::move(name)), object_(std::move(object)), userInfo_(std::move(userInfo)) {}

    std::string_view className() const override { return "NSNotification"; }

    const std::string& name() const { return name_; }
    // The sender; null when posted without one.
    const std::shared_ptr<Object>& object() const { return object_; }
    const Value& userInfo() const { return userInfo_; }

private:
    std::string name_;
    std::shared_ptr<Object> object_;
    Value userInfo_;
};

// Delivers notifications synchronously on the posting thread, in registration
// order, to the registrations present when the post began. Registrations removed,
// or whose observer or object died, before their turn are skipped. Thread-safe; no
// lock is held while an observer runs, so observers may post, add and remove.
class PELLAVO_EXPORT NotificationCenter {
public:
    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    // An empty name hears every name; a null object hears every sender, otherwise
    // only posts whose object is that very object. The observer and the object are
    // held weakly. The selector is performed through ns::Runtime with the
    // notification as sender, so the observer's class registers it as an action.
    void addObserver(const std::shared_ptr<Object>& observer, Selector selector, std::string_view name,
                     const std::shared_ptr<Object>& object = nullptr);
    // The registration lives as long as the returned token (or until
    // removeObserver(token)). Capture anything the block must not keep alive weakly.
    [[nodiscard]] std::shared_ptr<Object> addObserver(std::string_view name, const std::shared_ptr<Object>& object,
                                                      std::function<void(const Notification&)> block);

    // Every registration of `observer` (or of that token).
    void removeObserver(const Object* observer);
    template <class T>
    void removeObserver(const std::shared_ptr<T>& observer) {
        removeObserver(static_cast<const Object*>(observer.get()));
    }
    // Those matching `name` (empty: any) and `object` (null: any).
    void removeObserver(const Object* observer, std::string_view name, const Object* object = nullptr);

    void post(std::string_view name, const std::shared_ptr<Object>& object = nullptr, Value userInfo = {});
    void post(const std::shared_ptr<Notification>& notification);

    struct Registration;
    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace pellavo::ns
