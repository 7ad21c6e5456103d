#pragma once

#include "platform/ns/Export.hpp"

#include <memory>
#include <string_view>
#include <utility>

namespace pellavo::ns {

class Object;

template <class T, class... Args>
std::shared_ptr<T> make(Args&&... args);

// Root of everything with identity. Objects live in a std::shared_ptr and are
// created in two phases: the constructor stores defaults, then init() runs once
// with weakFromThis() valid and virtual calls reaching the most-derived class.
class PELLAVO_EXPORT Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    // The name the object runtime knows this class by.
    virtual std::string_view className() const { return "NSObject"; }

    // Called by the interface-file loader on every object of a file, parents first,
    // once all of the file's connections exist. Overrides call the base first.
    virtual void awakeFromNib() {}

    template <class T = Object>
    std::shared_ptr<T> sharedFromThis() {
        return std::dynamic_pointer_cast<T>(shared_from_this());
    }
    template <class T = Object>
    std::shared_ptr<const T> sharedFromThis() const {
        return std::dynamic_pointer_cast<const T>(shared_from_this());
    }
    template <class T = Object>
    std::weak_ptr<T> weakFromThis() {
        return std::weak_ptr<T>(sharedFromThis<T>());
    }

protected:
    // Overrides call the base first.
    virtual void init() {}

private:
    template <class T, class... Args>
    friend std::shared_ptr<T> make(Args&&... args);
    friend struct ObjectAccess;
    friend void checkInitialised(const Object& object);

    // Set just before init() runs: by ns::make, or ObjectAccess::runInit.
    bool initialised_ = false;
};

// Lets other platform code (the runtime's factories) run the initialiser hook.
struct PELLAVO_EXPORT ObjectAccess {
    static void runInit(Object& object) {
        object.initialised_ = true;
        object.init();
    }
};

namespace detail {
// Writes the line for checkInitialised, once per class.
void reportSkippedInit(const Object& object);
} // namespace detail

// The check on first use: an object that did not come from ns::make (nor had its
// init() run by ObjectAccess) logs "<class> was created without ns::make; its init()
// never ran", once per class, and carries on. The platform calls it where an object is
// first used in earnest: a view added to a superview, a window shown, a controller's
// view loaded, a layer added to a tree, a recogniser added to a view.
inline void checkInitialised(const Object& object) {
    if (!object.initialised_) detail::reportSkippedInit(object);
}

// Tag carrying the type ns::make built, for the post-construction customisation point.
template <class T>
struct Constructed {};

// ns::make<T> calls didConstruct(Constructed<T>{}, object) after the constructor and
// before init(), found by argument-dependent lookup. A base class that wants to know
// its most-derived type at compile time declares a better match beside itself, e.g.
// `template <class T> friend void didConstruct(ns::Constructed<T>, Base* object)`.
// This fallback takes anything and does nothing.
template <class T>
void didConstruct(Constructed<T>, ...) {}

// The one way to make an object: construct, then init(). A constructor may not call
// virtual functions of the most-derived class nor take weakFromThis(), so everything
// that needs either lives in init(), and an object made otherwise (std::make_shared,
// new) has skipped it. The decision: the compiler does not forbid that (constructors
// stay public, so the runtime's factories, subclasses and `using View::View` keep
// working), but it is loud. ns::make marks the object initialised, and the platform
// calls checkInitialised where an object is first used in earnest, which logs the class
// once. Plain objects with no init() of their own (delegates, targets) may still come
// from std::make_shared.
template <class T, class... Args>
std::shared_ptr<T> make(Args&&... args) {
    auto object = std::make_shared<T>(std::forward<Args>(args)...);
    didConstruct(Constructed<T>{}, object.get());
    Object& base = *object;
    // Marked before init(), which may itself hand the object to code that checks.
    base.initialised_ = true;
    base.init();
    return object;
}

} // namespace pellavo::ns
