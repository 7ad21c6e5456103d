#pragma once

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
class Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    // The name the object runtime knows this class by.
    virtual std::string_view className() const { return "NSObject"; }

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
};

// Lets other platform code (the runtime's factories) run the initialiser hook.
struct ObjectAccess {
    static void runInit(Object& object) { object.init(); }
};

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

template <class T, class... Args>
std::shared_ptr<T> make(Args&&... args) {
    auto object = std::make_shared<T>(std::forward<Args>(args)...);
    didConstruct(Constructed<T>{}, object.get());
    static_cast<Object&>(*object).init();
    return object;
}

} // namespace pellavo::ns
