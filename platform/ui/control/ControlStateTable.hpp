#pragma once

#include <optional>
#include <utility>
#include <vector>

namespace pellavo::ui::detail {

// Values a control keeps per state (title, image, thumb image). States are the
// bits of Control::State; 0 is normal.
template <class V>
class ControlStateTable {
public:
    // None removes the value for exactly that state. False when the table already
    // held exactly that (V's ==).
    bool set(unsigned state, std::optional<V> value) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->first != state) continue;
            if (!value) {
                entries_.erase(it);
            } else if (it->second == *value) {
                return false;
            } else {
                it->second = std::move(*value);
            }
            return true;
        }
        if (!value) return false;
        entries_.emplace_back(state, std::move(*value));
        return true;
    }

    // Only a value set for exactly this state.
    const V* exact(unsigned state) const {
        for (const auto& entry : entries_)
            if (entry.first == state) return &entry.second;
        return nullptr;
    }

    // The exact state, then highlighted, selected and disabled as they apply, then
    // normal. An unset state therefore answers with the normal value itself.
    const V* lookup(unsigned state) const {
        const auto key = lookupKey(state);
        return key ? exact(*key) : nullptr;
    }
    // The state whose value lookup() answers with.
    std::optional<unsigned> lookupKey(unsigned state) const {
        if (exact(state)) return state;
        for (unsigned bit : {kHighlighted, kSelected, kDisabled}) {
            if ((state & bit) != 0 && exact(bit)) return bit;
        }
        if (exact(0)) return 0u;
        return std::nullopt;
    }

    std::optional<V> value(unsigned state) const {
        const V* v = lookup(state);
        return v ? std::optional<V>(*v) : std::nullopt;
    }

    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }

private:
    static constexpr unsigned kHighlighted = 1;
    static constexpr unsigned kDisabled = 2;
    static constexpr unsigned kSelected = 4;

    std::vector<std::pair<unsigned, V>> entries_;
};

} // namespace pellavo::ui::detail
