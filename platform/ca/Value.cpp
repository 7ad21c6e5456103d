#include "platform/ca/Value.hpp"

#include <cmath>
#include <type_traits>

namespace pellavo::ca {

namespace {

bool finite(const cg::Color& c) {
    return std::isfinite(c.red) && std::isfinite(c.green) && std::isfinite(c.blue) && std::isfinite(c.alpha);
}

} // namespace

bool isFinite(const Value& value) {
    return std::visit(
        [](const auto& v) -> bool {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, double>) {
                return std::isfinite(v);
            } else if constexpr (std::is_same_v<T, cg::Point> || std::is_same_v<T, cg::Size> ||
                                 std::is_same_v<T, cg::Rect> || std::is_same_v<T, Transform3D>) {
                return v.isFinite();
            } else if constexpr (std::is_same_v<T, std::optional<cg::Color>>) {
                return !v || finite(*v);
            } else if constexpr (std::is_same_v<T, std::vector<cg::Color>>) {
                for (const auto& c : v)
                    if (!finite(c)) return false;
                return true;
            } else if constexpr (std::is_same_v<T, std::optional<cg::Path>>) {
                if (v)
                    for (const auto& e : v->elements())
                        for (const auto& p : e.points)
                            if (!p.isFinite()) return false;
                return true;
            } else {
                static_assert(std::is_same_v<T, std::optional<std::vector<double>>>);
                if (v)
                    for (double x : *v)
                        if (!std::isfinite(x)) return false;
                return true;
            }
        },
        value);
}

} // namespace pellavo::ca
