#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <utility>

#include "platform/ns/Export.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ns/Value.hpp"

namespace pellavo::ns {

// Keeps a key-value observation alive; destroying it (or invalidate()) ends it.
class PELLAVO_EXPORT KeyValueObservation {
public:
    KeyValueObservation() = default;
    KeyValueObservation(KeyValueObservation&& other) noexcept = default;
    KeyValueObservation& operator=(KeyValueObservation&& other) noexcept;
    KeyValueObservation(const KeyValueObservation&) = delete;
    KeyValueObservation& operator=(const KeyValueObservation&) = delete;
    ~KeyValueObservation();

    void invalidate();
    bool isValid() const { return entry_ != nullptr; }

    struct Entry;

private:
    friend class Runtime;
    explicit KeyValueObservation(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
    std::shared_ptr<Entry> entry_;
};

// The object runtime: classes by name, properties by key, actions by selector and
// observation of keys. One registry per process; every member is thread-safe.
// Failures (unknown class, key or selector, a value or sender of the wrong type)
// answer null or false and write one ns::log line.
class PELLAVO_EXPORT Runtime {
public:
    static Runtime& shared();

    // ---- classes
    // Registers T under `name`; create(name) builds it with ns::make<T>(). A T with a
    // `T(const ns::Coder&)` constructor can also be made by create(name, coder); a
    // class that has only that constructor is made only that way. Registering the same
    // name again with the same superclass replaces the factories.
    template <class T>
    bool registerClass(std::string_view name, std::string_view superclassName = "NSObject");
    bool isClassRegistered(std::string_view name) const;
    // Null, with a line that tells an unknown name from a registered class that has no
    // plain factory (made only from a coder, or only in code).
    std::shared_ptr<Object> create(std::string_view name) const;
    // With the coder constructor when the class has one, else as create(name).
    std::shared_ptr<Object> create(std::string_view name, const Coder& coder) const;
    // Whether create(name, coder) uses a coder constructor.
    bool hasCoderFactory(std::string_view name) const;
    // nullopt for the root class and for unknown classes.
    std::optional<std::string> superclassName(std::string_view name) const;
    // Walks the superclass chain from object.className().
    bool isKindOfClass(const Object& object, std::string_view name) const;
    bool isSubclass(std::string_view className, std::string_view ancestorName) const;

    // ---- properties
    // `getter` is called with a T& and returns something convertible to V; `setter`
    // is called with a T& and a V. Either may be nullptr (write-only, read-only).
    // Member function pointers work for both (&View::alpha, &View::setAlpha).
    template <class T, class V, class Getter, class Setter>
    void addProperty(std::string_view className, std::string_view key, Getter getter, Setter setter);
    // Looks the key up through the superclass chain. A number converts to a numeric
    // (or enumeration) property type when it fits; any other value must have the
    // property's type, except that an object pointer converts to the property's
    // object pointer type when the object is of that class, and nil sets an empty
    // object pointer or optional.
    bool setValue(Object& object, std::string_view key, const Value& value);
    std::optional<Value> value(Object& object, std::string_view key);
    // The property's declared type, or nullopt when the class has no such key.
    std::optional<std::type_index> propertyType(std::string_view className, std::string_view key) const;

    // ---- observation
    using Observer = std::function<void(Object& object, std::string_view key)>;
    // `fn` runs after every successful setValue of `key` on `object` (also when the
    // value did not change) and on didChangeValue(object, key). The object is held
    // weakly; the observation ends with the returned token.
    [[nodiscard]] KeyValueObservation observe(const std::shared_ptr<Object>& object, std::string_view key,
                                              Observer fn);
    // For setters that change a value outside setValue.
    void didChangeValue(Object& object, std::string_view key);

    // ---- actions
    template <class T>
    void addAction(std::string_view className, Selector selector, void (T::*method)());
    // The sender reaches the method when it is an S (dynamic_cast) or null.
    template <class T, class S>
    void addAction(std::string_view className, Selector selector, void (T::*method)(S*));
    bool respondsToSelector(const Object& object, Selector selector) const;
    bool instancesRespondToSelector(std::string_view className, Selector selector) const;
    // False (and a log line) for an unknown selector or a sender of the wrong type;
    // false without a line for a null target.
    bool perform(Object* target, Selector selector, Object* sender);

    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // Implementation types, public only so that the templates above can build them.
    struct Property {
        std::type_index type;
        bool readable;
        bool writable;
        // Both answer nullopt/false when the object is not of the class that declared
        // the property; the setter also when the value cannot become the property's type.
        std::function<std::optional<Value>(Object&)> get;
        enum class SetResult { ok, wrongObject, wrongValue };
        std::function<SetResult(Object&, const Value&)> set;
    };
    struct Action {
        enum class Result { ok, wrongTarget, wrongSender };
        std::function<Result(Object& target, Object* sender)> invoke;
    };

private:
    friend class KeyValueObservation;
    Runtime();
    ~Runtime();

    using Factory = std::function<std::shared_ptr<Object>()>;
    using CoderFactory = std::function<std::shared_ptr<Object>(const Coder&)>;
    bool registerClassImpl(std::string_view name, std::string_view superclassName, Factory factory,
                           CoderFactory coderFactory = {});
    void addPropertyImpl(std::string_view className, std::string_view key, Property property);
    void addActionImpl(std::string_view className, Selector selector, Action action);

    template <class V>
    static std::optional<V> convert(const Value& value);
    // The factories registerClass stores: functions rather than closures, so that no
    // closure type (whose type information the library would export) is made per class.
    template <class T>
    static std::shared_ptr<Object> makeObject() {
        return std::static_pointer_cast<Object>(make<T>());
    }
    template <class T>
    static std::shared_ptr<Object> makeObjectFromCoder(const Coder& coder) {
        return std::static_pointer_cast<Object>(make<T>(coder));
    }

    struct State;
    std::shared_ptr<State> state_;
};

// ------------------------------------------------------------------ templates
// Inline, so that an instantiation for an internal class stays out of the exported
// symbols (-fvisibility-inlines-hidden) even in an unoptimised build.

template <class T>
inline bool Runtime::registerClass(std::string_view name, std::string_view superclassName) {
    static_assert(std::is_base_of_v<Object, T>, "classes registered with the runtime derive from ns::Object");
    Factory factory;
    if constexpr (std::is_default_constructible_v<T>) {
        factory = &Runtime::makeObject<T>;
    }
    CoderFactory coderFactory;
    if constexpr (std::is_constructible_v<T, const Coder&>) {
        coderFactory = &Runtime::makeObjectFromCoder<T>;
    }
    return registerClassImpl(name, superclassName, std::move(factory), std::move(coderFactory));
}

namespace detail {
template <class P>
struct IsObjectPointer : std::false_type {};
template <class U>
struct IsObjectPointer<std::shared_ptr<U>> : std::is_base_of<Object, U> {};
template <class P>
struct IsOptional : std::false_type {};
template <class U>
struct IsOptional<std::optional<U>> : std::true_type {};
} // namespace detail

template <class V>
inline std::optional<V> Runtime::convert(const Value& value) {
    if (const V* exact = value.get<V>()) return *exact;
    if constexpr (std::is_arithmetic_v<V> || std::is_enum_v<V>) {
        return value.as<V>();
    } else if constexpr (detail::IsObjectPointer<V>::value) {
        if (value.isNil()) return V{};
        if (!value.holdsObjectPointer()) return std::nullopt;
        auto object = value.object();
        if (object == nullptr) return V{};
        auto cast = std::dynamic_pointer_cast<typename V::element_type>(object);
        if (cast == nullptr) return std::nullopt;
        return cast;
    } else if constexpr (detail::IsOptional<V>::value) {
        if (value.isNil()) return V{};
        auto inner = convert<typename V::value_type>(value);
        if (!inner) return std::nullopt;
        return V(std::move(*inner));
    } else {
        return std::nullopt;
    }
}

template <class T, class V, class Getter, class Setter>
inline void Runtime::addProperty(std::string_view className, std::string_view key, Getter getter, Setter setter) {
    static_assert(std::is_base_of_v<Object, T>, "properties belong to ns::Object subclasses");
    Property property{typeid(V), !std::is_null_pointer_v<Getter>, !std::is_null_pointer_v<Setter>, {}, {}};
    if constexpr (!std::is_null_pointer_v<Getter>) {
        property.get = [getter](Object& object) -> std::optional<Value> {
            auto* target = dynamic_cast<T*>(&object);
            if (target == nullptr) return std::nullopt;
            return Value::of(V(std::invoke(getter, *target)));
        };
    }
    if constexpr (!std::is_null_pointer_v<Setter>) {
        property.set = [setter](Object& object, const Value& value) -> Property::SetResult {
            auto* target = dynamic_cast<T*>(&object);
            if (target == nullptr) return Property::SetResult::wrongObject;
            std::optional<V> converted = convert<V>(value);
            if (!converted) return Property::SetResult::wrongValue;
            std::invoke(setter, *target, std::move(*converted));
            return Property::SetResult::ok;
        };
    }
    addPropertyImpl(className, key, std::move(property));
}

template <class T>
inline void Runtime::addAction(std::string_view className, Selector selector, void (T::*method)()) {
    static_assert(std::is_base_of_v<Object, T>, "actions belong to ns::Object subclasses");
    addActionImpl(className, selector, Action{[method](Object& object, Object*) {
                      auto* target = dynamic_cast<T*>(&object);
                      if (target == nullptr) return Action::Result::wrongTarget;
                      (target->*method)();
                      return Action::Result::ok;
                  }});
}

template <class T, class S>
inline void Runtime::addAction(std::string_view className, Selector selector, void (T::*method)(S*)) {
    static_assert(std::is_base_of_v<Object, T>, "actions belong to ns::Object subclasses");
    addActionImpl(className, selector, Action{[method](Object& object, Object* sender) {
                      auto* target = dynamic_cast<T*>(&object);
                      if (target == nullptr) return Action::Result::wrongTarget;
                      S* typed = nullptr;
                      if (sender != nullptr) {
                          typed = dynamic_cast<S*>(sender);
                          if (typed == nullptr) return Action::Result::wrongSender;
                      }
                      (target->*method)(typed);
                      return Action::Result::ok;
                  }});
}

} // namespace pellavo::ns
