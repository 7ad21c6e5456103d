#include "platform/ca/ValueInterpolation.hpp"

#include <cmath>
#include <type_traits>

#include "platform/ca/TransformDecomposition.hpp"

namespace pellavo::ca {

namespace {

using OptColor = std::optional<cg::Color>;
using Colors = std::vector<cg::Color>;
using Locations = std::optional<std::vector<double>>;
using OptPath = std::optional<cg::Path>;

// Paths interpolate point by point only when they are built of the same elements.
bool compatible(const OptPath& a, const OptPath& b) {
    if (!a || !b) return false;
    const auto& x = a->elements();
    const auto& y = b->elements();
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i].type != y[i].type) return false;
    return true;
}

OptPath lerp(const cg::Path& a, const cg::Path& b, double p) {
    std::vector<cg::PathElement> elements = a.elements();
    const auto& target = b.elements();
    for (std::size_t i = 0; i < elements.size(); ++i)
        for (std::size_t j = 0; j < elements[i].points.size(); ++j) {
            auto& q = elements[i].points[j];
            const auto& r = target[i].points[j];
            q = cg::Point((1 - p) * q.x + p * r.x, (1 - p) * q.y + p * r.y);
        }
    return cg::Path(elements);
}

double lerp(double a, double b, double p) { return (1 - p) * a + p * b; }

cg::Color orClear(const OptColor& c) { return c.value_or(cg::Color(0, 0, 0, 0)); }

cg::Color lerp(const cg::Color& a, const cg::Color& b, double p) {
    return {lerp(a.red, b.red, p), lerp(a.green, b.green, p), lerp(a.blue, b.blue, p),
            lerp(a.alpha, b.alpha, p)};
}

cg::Color plus(const cg::Color& a, const cg::Color& b, double k = 1) {
    return {a.red + k * b.red, a.green + k * b.green, a.blue + k * b.blue, a.alpha + k * b.alpha};
}

cg::Color minus(const cg::Color& a, const cg::Color& b) { return plus(a, b, -1); }

cg::Point lerp(cg::Point a, cg::Point b, double p) { return {lerp(a.x, b.x, p), lerp(a.y, b.y, p)}; }
cg::Size lerp(cg::Size a, cg::Size b, double p) {
    return {lerp(a.width, b.width, p), lerp(a.height, b.height, p)};
}
cg::Rect lerp(const cg::Rect& a, const cg::Rect& b, double p) {
    return {lerp(a.origin, b.origin, p), lerp(a.size, b.size, p)};
}

// Applies f to two values known to hold the same alternative.
template <class F>
std::optional<Value> sameKind(const Value& a, const Value& b, F&& f) {
    if (a.index() != b.index()) return std::nullopt;
    return std::visit(
        [&](const auto& x) -> std::optional<Value> {
            using T = std::decay_t<decltype(x)>;
            return f(x, std::get<T>(b));
        },
        a);
}

} // namespace

std::optional<Value> interpolate(const Value& from, const Value& to, double p) {
    return sameKind(from, to, [p](const auto& a, const auto& b) -> std::optional<Value> {
        using T = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<T, Colors>) {
            // Arrays of different lengths have no in-between: the target throughout.
            if (a.size() != b.size()) return Value(b);
        } else if constexpr (std::is_same_v<T, Locations>) {
            if (!a || !b || a->size() != b->size()) return Value(b);
        } else if constexpr (std::is_same_v<T, OptPath>) {
            // Different structures have no in-between: the target for the whole span.
            if (!compatible(a, b)) return Value(b);
        }
        if (p == 0) return Value(a);
        if (p == 1) return Value(b);
        if constexpr (std::is_same_v<T, double>) {
            return Value(lerp(a, b, p));
        } else if constexpr (std::is_same_v<T, cg::Point> || std::is_same_v<T, cg::Size> ||
                             std::is_same_v<T, cg::Rect>) {
            return Value(lerp(a, b, p));
        } else if constexpr (std::is_same_v<T, OptColor>) {
            if (!a && !b) return Value(OptColor());
            return Value(OptColor(lerp(orClear(a), orClear(b), p)));
        } else if constexpr (std::is_same_v<T, Transform3D>) {
            const auto d = TransformDecomposition::interpolate(TransformDecomposition::decompose(a),
                                                               TransformDecomposition::decompose(b), p);
            return Value(d.recompose());
        } else if constexpr (std::is_same_v<T, Colors>) {
            Colors r(a.size());
            for (size_t i = 0; i < a.size(); ++i) r[i] = lerp(a[i], b[i], p);
            return Value(r);
        } else if constexpr (std::is_same_v<T, OptPath>) {
            return Value(lerp(*a, *b, p));
        } else {
            static_assert(std::is_same_v<T, Locations>);
            std::vector<double> r(a->size());
            for (size_t i = 0; i < r.size(); ++i) r[i] = lerp((*a)[i], (*b)[i], p);
            return Value(Locations(std::move(r)));
        }
    });
}

std::optional<Value> addValues(const Value& base, const Value& delta) {
    return sameKind(base, delta, [](const auto& a, const auto& b) -> std::optional<Value> {
        using T = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<T, double>) {
            return Value(a + b);
        } else if constexpr (std::is_same_v<T, cg::Point>) {
            return Value(a + b);
        } else if constexpr (std::is_same_v<T, cg::Size>) {
            return Value(cg::Size(a.width + b.width, a.height + b.height));
        } else if constexpr (std::is_same_v<T, cg::Rect>) {
            return Value(cg::Rect(a.origin + b.origin,
                                  cg::Size(a.size.width + b.size.width, a.size.height + b.size.height)));
        } else if constexpr (std::is_same_v<T, OptColor>) {
            if (!a) return Value(b);
            if (!b) return Value(a);
            return Value(OptColor(plus(*a, *b)));
        } else if constexpr (std::is_same_v<T, Transform3D>) {
            return Value(concat(b, a));
        } else if constexpr (std::is_same_v<T, Colors>) {
            if (a.size() != b.size()) return Value(b);
            Colors r(a.size());
            for (size_t i = 0; i < a.size(); ++i) r[i] = plus(a[i], b[i]);
            return Value(r);
        } else if constexpr (std::is_same_v<T, OptPath>) {
            (void)a;
            return Value(b); // outlines do not add up: the animation's path shows
        } else {
            static_assert(std::is_same_v<T, Locations>);
            if (!a || !b || a->size() != b->size()) return Value(b);
            std::vector<double> r(a->size());
            for (size_t i = 0; i < r.size(); ++i) r[i] = (*a)[i] + (*b)[i];
            return Value(Locations(std::move(r)));
        }
    });
}

std::optional<Value> accumulate(const Value& base, const Value& start, const Value& end, double cycles) {
    if (base.index() != start.index() || base.index() != end.index()) return std::nullopt;
    if (cycles == 0) return base;
    return std::visit(
        [&](const auto& v) -> std::optional<Value> {
            using T = std::decay_t<decltype(v)>;
            const T& s = std::get<T>(start);
            const T& e = std::get<T>(end);
            const double k = cycles;
            if constexpr (std::is_same_v<T, double>) {
                return Value(v + k * (e - s));
            } else if constexpr (std::is_same_v<T, cg::Point>) {
                return Value(v + (e - s) * k);
            } else if constexpr (std::is_same_v<T, cg::Size>) {
                return Value(cg::Size(v.width + k * (e.width - s.width), v.height + k * (e.height - s.height)));
            } else if constexpr (std::is_same_v<T, cg::Rect>) {
                return Value(cg::Rect(v.origin + (e.origin - s.origin) * k,
                                      cg::Size(v.size.width + k * (e.size.width - s.size.width),
                                               v.size.height + k * (e.size.height - s.size.height))));
            } else if constexpr (std::is_same_v<T, OptColor>) {
                if (!v && !s && !e) return Value(v);
                return Value(OptColor(plus(orClear(v), minus(orClear(e), orClear(s)), k)));
            } else if constexpr (std::is_same_v<T, Transform3D>) {
                auto d = TransformDecomposition::decompose(v);
                const auto ds = TransformDecomposition::decompose(s);
                const auto de = TransformDecomposition::decompose(e);
                d.translateX += k * (de.translateX - ds.translateX);
                d.translateY += k * (de.translateY - ds.translateY);
                d.scaleX += k * (de.scaleX - ds.scaleX);
                d.scaleY += k * (de.scaleY - ds.scaleY);
                d.angle += k * (de.angle - ds.angle);
                return Value(d.recompose());
            } else if constexpr (std::is_same_v<T, OptPath>) {
                (void)s, (void)e, (void)k;
                return Value(v);
            } else if constexpr (std::is_same_v<T, Colors>) {
                if (v.size() != s.size() || v.size() != e.size()) return Value(v);
                Colors r(v.size());
                for (size_t i = 0; i < v.size(); ++i) r[i] = plus(v[i], minus(e[i], s[i]), k);
                return Value(r);
            } else {
                static_assert(std::is_same_v<T, Locations>);
                if (!v || !s || !e || v->size() != s->size() || v->size() != e->size()) return Value(v);
                std::vector<double> r(v->size());
                for (size_t i = 0; i < r.size(); ++i) r[i] = (*v)[i] + k * ((*e)[i] - (*s)[i]);
                return Value(Locations(std::move(r)));
            }
        },
        base);
}

std::optional<double> pacedDistance(const Value& a, const Value& b) {
    if (a.index() != b.index()) return std::nullopt;
    return std::visit(
        [&](const auto& x) -> std::optional<double> {
            using T = std::decay_t<decltype(x)>;
            const T& y = std::get<T>(b);
            if constexpr (std::is_same_v<T, double>) {
                return std::fabs(y - x);
            } else if constexpr (std::is_same_v<T, cg::Point>) {
                return std::hypot(y.x - x.x, y.y - x.y);
            } else if constexpr (std::is_same_v<T, cg::Size>) {
                return std::hypot(y.width - x.width, y.height - x.height);
            } else if constexpr (std::is_same_v<T, cg::Rect>) {
                const double dx = y.origin.x - x.origin.x, dy = y.origin.y - x.origin.y;
                const double dw = y.size.width - x.size.width, dh = y.size.height - x.size.height;
                return std::sqrt(dx * dx + dy * dy + dw * dw + dh * dh);
            } else if constexpr (std::is_same_v<T, OptColor>) {
                const cg::Color d = minus(orClear(y), orClear(x));
                return std::sqrt(d.red * d.red + d.green * d.green + d.blue * d.blue + d.alpha * d.alpha);
            } else {
                return std::nullopt;
            }
        },
        a);
}

Value additiveIdentity(ValueKind kind) {
    switch (kind) {
    case ValueKind::number: return 0.0;
    case ValueKind::point: return cg::Point();
    case ValueKind::size: return cg::Size();
    case ValueKind::rect: return cg::Rect();
    case ValueKind::color: return OptColor();
    case ValueKind::transform: return Transform3D::identity();
    case ValueKind::colors: return Colors();
    case ValueKind::locations: return Locations();
    case ValueKind::path: return OptPath();
    }
    return 0.0;
}

} // namespace pellavo::ca
