#pragma once

#include "platform/ns/Export.hpp"

#include <any>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace pellavo::ns {

class Object;

// A value of any type, as the object runtime passes it around (property values,
// user info). Numbers remember their kind so that they convert between numeric
// types; a conversion that would lose the value's meaning (NaN or an infinity to
// an integer or a bool, or a number out of the target's range) gives nullopt.
class PELLAVO_EXPORT Value {
public:
    // nil.
    Value() = default;

    template <class T>
    static Value of(T&& value);
    // C strings are kept as std::string.
    static Value of(const char* text) { return of(std::string(text != nullptr ? text : "")); }

    bool isNil() const { return !any_.has_value(); }
    const std::type_info& type() const { return any_.type(); }
    const std::any& any() const { return any_; }

    // The stored value when it is exactly a T, else null.
    template <class T>
    const T* get() const {
        return std::any_cast<T>(&any_);
    }

    bool isNumber() const { return number_.kind != Kind::none; }
    std::optional<bool> asBool() const { return as<bool>(); }
    std::optional<int64_t> asInt64() const { return as<int64_t>(); }
    // A double, float or integer; a floating value comes back as it is, NaN included.
    std::optional<double> asDouble() const { return as<double>(); }

    // The number converted to an arithmetic or enumeration type N, when it fits.
    template <class N>
    std::optional<N> as() const;

    // The object when the value holds a std::shared_ptr to an ns::Object subclass
    // (null for a null pointer), else null.
    std::shared_ptr<Object> object() const { return toObject_ != nullptr ? toObject_(any_) : nullptr; }
    bool holdsObjectPointer() const { return toObject_ != nullptr; }

private:
    enum class Kind { none, boolean, signedInteger, unsignedInteger, floating };
    struct Number {
        Kind kind = Kind::none;
        int64_t s = 0;
        uint64_t u = 0;
        double d = 0;
    };

    template <class P>
    struct IsObjectPointer : std::false_type {};
    template <class U>
    struct IsObjectPointer<std::shared_ptr<U>>
        : std::bool_constant<std::is_base_of_v<Object, U> && !std::is_const_v<U>> {};

    template <class I>
    static std::optional<I> integerFromDouble(double d);

    std::any any_;
    Number number_;
    std::shared_ptr<Object> (*toObject_)(const std::any&) = nullptr;
};

template <class T>
Value Value::of(T&& value) {
    using D = std::decay_t<T>;
    if constexpr (std::is_same_v<D, const char*> || std::is_same_v<D, char*>) {
        return of(static_cast<const char*>(value));
    } else if constexpr (std::is_same_v<D, Value>) {
        return std::forward<T>(value);
    } else {
        Value v;
        if constexpr (std::is_same_v<D, bool>) {
            v.number_.kind = Kind::boolean;
            v.number_.u = value ? 1 : 0;
        } else if constexpr (std::is_enum_v<D>) {
            using U = std::underlying_type_t<D>;
            if constexpr (std::is_signed_v<U>) {
                v.number_.kind = Kind::signedInteger;
                v.number_.s = static_cast<int64_t>(static_cast<U>(value));
            } else {
                v.number_.kind = Kind::unsignedInteger;
                v.number_.u = static_cast<uint64_t>(static_cast<U>(value));
            }
        } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
            v.number_.kind = Kind::signedInteger;
            v.number_.s = static_cast<int64_t>(value);
        } else if constexpr (std::is_integral_v<D>) {
            v.number_.kind = Kind::unsignedInteger;
            v.number_.u = static_cast<uint64_t>(value);
        } else if constexpr (std::is_floating_point_v<D>) {
            v.number_.kind = Kind::floating;
            // A long double beyond double's range becomes an infinity, never UB.
            if constexpr (std::is_same_v<D, long double>) {
                const long double limit = std::numeric_limits<double>::max();
                v.number_.d = std::isnan(value) ? std::numeric_limits<double>::quiet_NaN()
                              : value > limit   ? std::numeric_limits<double>::infinity()
                              : value < -limit  ? -std::numeric_limits<double>::infinity()
                                                : static_cast<double>(value);
            } else {
                v.number_.d = static_cast<double>(value);
            }
        }
        if constexpr (IsObjectPointer<D>::value) {
            v.toObject_ = [](const std::any& a) -> std::shared_ptr<Object> { return *std::any_cast<D>(&a); };
        }
        v.any_ = D(std::forward<T>(value));
        return v;
    }
}

template <class I>
std::optional<I> Value::integerFromDouble(double d) {
    if (!std::isfinite(d)) return std::nullopt;
    if constexpr (std::numeric_limits<I>::digits <= 53) {
        // Both bounds are exact in a double.
        const double lo = static_cast<double>(std::numeric_limits<I>::min()) - 1.0;
        const double hi = static_cast<double>(std::numeric_limits<I>::max()) + 1.0;
        if (!(d > lo && d < hi)) return std::nullopt;
    } else if constexpr (std::is_signed_v<I>) {
        const double bound = std::ldexp(1.0, std::numeric_limits<I>::digits);  // 2^63
        if (!(d >= -bound && d < bound)) return std::nullopt;
    } else {
        const double bound = std::ldexp(1.0, std::numeric_limits<I>::digits);  // 2^64
        if (!(d > -1.0 && d < bound)) return std::nullopt;
    }
    return static_cast<I>(d);
}

template <class N>
std::optional<N> Value::as() const {
    if constexpr (std::is_enum_v<N>) {
        using U = std::underlying_type_t<N>;
        if (const N* exact = get<N>()) return *exact;
        auto raw = as<U>();
        if (!raw) return std::nullopt;
        return static_cast<N>(*raw);
    } else {
        static_assert(std::is_arithmetic_v<N>, "Value::as converts numbers to arithmetic or enumeration types");
        const Number& n = number_;
        if constexpr (std::is_same_v<N, bool>) {
            switch (n.kind) {
            case Kind::boolean:
            case Kind::unsignedInteger: return n.u != 0;
            case Kind::signedInteger: return n.s != 0;
            case Kind::floating:
                if (!std::isfinite(n.d)) return std::nullopt;
                return n.d != 0;
            case Kind::none: return std::nullopt;
            }
            return std::nullopt;
        } else if constexpr (std::is_integral_v<N>) {
            switch (n.kind) {
            case Kind::boolean:
            case Kind::unsignedInteger:
                if (n.u > static_cast<uint64_t>(std::numeric_limits<N>::max())) return std::nullopt;
                return static_cast<N>(n.u);
            case Kind::signedInteger:
                if constexpr (std::is_signed_v<N>) {
                    if (n.s < static_cast<int64_t>(std::numeric_limits<N>::min()) ||
                        n.s > static_cast<int64_t>(std::numeric_limits<N>::max()))
                        return std::nullopt;
                } else {
                    if (n.s < 0 || static_cast<uint64_t>(n.s) > static_cast<uint64_t>(std::numeric_limits<N>::max()))
                        return std::nullopt;
                }
                return static_cast<N>(n.s);
            case Kind::floating: return integerFromDouble<N>(n.d);
            case Kind::none: return std::nullopt;
            }
            return std::nullopt;
        } else {
            double d = 0;
            switch (n.kind) {
            case Kind::boolean:
            case Kind::unsignedInteger: d = static_cast<double>(n.u); break;
            case Kind::signedInteger: d = static_cast<double>(n.s); break;
            case Kind::floating: d = n.d; break;
            case Kind::none: return std::nullopt;
            }
            if constexpr (std::is_same_v<N, float>) {
                // A finite double beyond float's range has no float value.
                if (std::isfinite(d) && std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max()))
                    return std::nullopt;
            }
            return static_cast<N>(d);
        }
    }
}

} // namespace pellavo::ns
