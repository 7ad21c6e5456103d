#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/Value.hpp"

namespace pellavo::ns {

// A keyed archive of values that a class decodes itself from. The interface-file
// loader hands one to each object it makes: the frame, the objects made for it
// ("subviews", "view") and anything else the file gave under a key.
class PELLAVO_EXPORT Coder {
public:
    static constexpr std::string_view frameKey = "frame";
    static constexpr std::string_view subviewsKey = "subviews";
    static constexpr std::string_view viewKey = "view";
    static constexpr std::string_view statesKey = "states";

    // Replaces what the key held.
    // A coder holding one value: lets an initialiser that takes the value directly
    // go through the coder initialiser and share its defaults.
    template <class T>
    static Coder with(std::string_view key, T&& value) {
        Coder coder;
        coder.encode(key, std::forward<T>(value));
        return coder;
    }

    void encode(std::string_view key, Value value) { values_[std::string(key)] = std::move(value); }
    template <class T>
    void encode(std::string_view key, T&& value) {
        encode(key, Value::of(std::forward<T>(value)));
    }
    // A list of objects: decode<std::vector<std::shared_ptr<U>>> gives those that are U.
    void encodeObjects(std::string_view key, std::vector<std::shared_ptr<Object>> objects) {
        encode(key, Value::of(std::move(objects)));
    }

    bool containsValue(std::string_view key) const { return values_.find(key) != values_.end(); }
    const Value* value(std::string_view key) const {
        auto it = values_.find(key);
        return it == values_.end() ? nullptr : &it->second;
    }
    std::vector<std::string> keys() const {
        std::vector<std::string> result;
        for (const auto& [key, v] : values_) result.push_back(key);
        return result;
    }

    // The value as a T: the exact type, a number that fits a numeric or enumeration T,
    // or an object of T's class for an object pointer. nullopt for a missing key or a
    // value of another type.
    template <class T>
    std::optional<T> decode(std::string_view key) const;

private:
    template <class P>
    struct ObjectPointer : std::false_type {};
    template <class U>
    struct ObjectPointer<std::shared_ptr<U>> : std::is_base_of<Object, U> {};
    template <class P>
    struct ObjectList : std::false_type {};
    template <class U>
    struct ObjectList<std::vector<std::shared_ptr<U>>> : std::is_base_of<Object, U> {};

    std::map<std::string, Value, std::less<>> values_;
};

template <class T>
std::optional<T> Coder::decode(std::string_view key) const {
    const Value* v = value(key);
    if (v == nullptr) return std::nullopt;
    if (const T* exact = v->get<T>()) return *exact;
    if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) {
        return v->as<T>();
    } else if constexpr (ObjectPointer<T>::value) {
        if (!v->holdsObjectPointer()) return std::nullopt;
        auto cast = std::dynamic_pointer_cast<typename T::element_type>(v->object());
        if (cast == nullptr) return std::nullopt;
        return cast;
    } else if constexpr (ObjectList<T>::value) {
        const auto* objects = v->get<std::vector<std::shared_ptr<Object>>>();
        if (objects == nullptr) return std::nullopt;
        T result;
        for (const auto& object : *objects) {
            if (auto cast = std::dynamic_pointer_cast<typename T::value_type::element_type>(object))
                result.push_back(std::move(cast));
        }
        return result;
    } else {
        return std::nullopt;
    }
}

} // namespace pellavo::ns
