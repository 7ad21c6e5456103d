#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/ns/Runtime.hpp"
#include "platform/ns/Selector.hpp"

namespace pellavo::ns {

// How a class declares itself to ns::Runtime, beside its own code: the constructor
// registers T under `name` with its superclass and factories (Runtime::registerClass,
// which finds a coder constructor), and the chained calls add the class's properties
// and actions. A namespace-scope constant of the class's .cpp holds it, so the class
// is known by name as soon as its library is loaded:
//
//     [[maybe_unused]] const auto registration =
//         ns::ClassRegistration<TextField>("UITextField", "UIControl")
//             .property<std::optional<ns::String>>("text", &TextField::text, &TextField::setText)
//             .action(ns::Selector("copy:"), &TextField::copy);
//
// Each call takes effect at once; the record keeps only the name. Registering from
// static initialisers is safe in any order: the runtime is built on first use, and a
// class may be named as a superclass, or given properties, before it is registered.
template <class T>
class ClassRegistration {
    static_assert(std::is_base_of_v<Object, T>, "classes registered with the runtime derive from ns::Object");

public:
    explicit ClassRegistration(std::string_view name, std::string_view superclassName = "NSObject")
        : name_(name) {
        Runtime::shared().registerClass<T>(name_, superclassName);
    }

    // A property of type V (the type an interface file's text is parsed by), as
    // Runtime::addProperty: a getter and a setter called with a T&, either nullptr.
    template <class V, class Getter, class Setter>
    ClassRegistration& property(std::string_view key, Getter getter, Setter setter) {
        Runtime::shared().addProperty<T, V>(name_, key, std::move(getter), std::move(setter));
        return *this;
    }

    // An action: a method of T (or inherited by it) taking nothing or a sender pointer.
    // The target is checked to be a T, the sender to be of the parameter's type.
    template <class C>
    ClassRegistration& action(Selector selector, void (C::*method)()) {
        Runtime::shared().addAction<T>(name_, selector, static_cast<void (T::*)()>(method));
        return *this;
    }
    template <class C, class S>
    ClassRegistration& action(Selector selector, void (C::*method)(S*)) {
        Runtime::shared().addAction<T, S>(name_, selector, static_cast<void (T::*)(S*)>(method));
        return *this;
    }

    // Runs `declare(*this)`: for declarations several classes share.
    template <class Declare>
    ClassRegistration& with(Declare&& declare) {
        std::forward<Declare>(declare)(*this);
        return *this;
    }

    const std::string& name() const { return name_; }

private:
    std::string name_;
};

} // namespace pellavo::ns
