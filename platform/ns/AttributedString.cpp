#include "platform/ns/AttributedString.hpp"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <unordered_map>

namespace pellavo::ns {

const AttributedStringKey AttributedStringKey::font{"font"};
const AttributedStringKey AttributedStringKey::foregroundColor{"foregroundColor"};
const AttributedStringKey AttributedStringKey::paragraphStyle{"paragraphStyle"};

namespace {

struct EqualityRegistry {
    std::mutex mutex;
    std::unordered_map<std::type_index, detail::AnyEquality> equalities;

    EqualityRegistry() {
        add<std::string>();
        add<String>();
        add<ParagraphStyle>();
    }
    template <class T>
    void add() {
        equalities[typeid(T)] = [](const std::any& a, const std::any& b) {
            const T* x = std::any_cast<T>(&a);
            const T* y = std::any_cast<T>(&b);
            return x != nullptr && y != nullptr && *x == *y;
        };
    }
    detail::AnyEquality find(std::type_index type) {
        std::lock_guard lock(mutex);
        auto found = equalities.find(type);
        return found == equalities.end() ? nullptr : found->second;
    }
};

EqualityRegistry& registry() {
    static EqualityRegistry instance;
    return instance;
}

} // namespace

namespace detail {
void registerAttributeEquality(std::type_index type, AnyEquality equality) {
    EqualityRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    r.equalities[type] = equality;
}
} // namespace detail

bool attributeValuesEqual(const Value& a, const Value& b) {
    if (a.isNil() || b.isNil()) return a.isNil() && b.isNil();
    if (a.type() != b.type()) return false;
    if (a.isNumber()) {
        // Same stored type. A value must equal itself, so NaN equals NaN here;
        // integers beyond a double's precision compare as integers.
        const double x = a.asDouble().value_or(0);
        const double y = b.asDouble().value_or(0);
        if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
        if (x != y) return false;
        if (auto ix = a.asInt64(), iy = b.asInt64(); ix && iy) return *ix == *iy;
        if (auto ux = a.as<uint64_t>(), uy = b.as<uint64_t>(); ux && uy) return *ux == *uy;
        return true;
    }
    if (a.holdsObjectPointer()) return a.object() == b.object();
    detail::AnyEquality equality = registry().find(std::type_index(a.type()));
    return equality != nullptr && equality(a.any(), b.any());
}

bool attributesEqual(const Attributes& a, const Attributes& b) {
    if (a.size() != b.size()) return false;
    for (auto x = a.begin(), y = b.begin(); x != a.end(); ++x, ++y) {
        if (x->first != y->first || !attributeValuesEqual(x->second, y->second)) return false;
    }
    return true;
}

// ---------------------------------------------------------------- AttributedString

AttributedString::AttributedString(String string, Attributes attributes) : string_(std::move(string)) {
    if (string_.length() > 0) spans_.push_back({string_.length(), std::move(attributes)});
}

Attributes AttributedString::attributes(int64_t at, Range* effectiveRange) const {
    if (at < 0 || at >= length()) {
        if (effectiveRange != nullptr) *effectiveRange = Range(notFound, 0);
        return {};
    }
    int64_t start = 0;
    for (const Span& span : spans_) {
        if (at < start + span.length) {
            if (effectiveRange != nullptr) *effectiveRange = Range(start, span.length);
            return span.attributes;
        }
        start += span.length;
    }
    if (effectiveRange != nullptr) *effectiveRange = Range(notFound, 0);
    return {};
}

Value AttributedString::attribute(const Key& key, int64_t at, Range* effectiveRange) const {
    Attributes all = attributes(at, effectiveRange);
    auto found = all.find(key);
    return found == all.end() ? Value() : found->second;
}

std::vector<AttributedString::Run> AttributedString::runs() const {
    std::vector<Run> result;
    result.reserve(spans_.size());
    forEachRun([&](Range range, const Attributes& attributes) { result.push_back({range, attributes}); });
    return result;
}

std::optional<AttributedString> AttributedString::attributedSubstring(Range range) const {
    auto text = string_.substring(range);
    if (!text) return std::nullopt;
    AttributedString result;
    result.string_ = std::move(*text);
    int64_t start = 0;
    for (const Span& span : spans_) {
        const int64_t from = std::max(start, range.location);
        const int64_t to = std::min(start + span.length, range.location + range.length);
        if (from < to) result.spans_.push_back({to - from, span.attributes});
        start += span.length;
    }
    return result;
}

bool operator==(const AttributedString& a, const AttributedString& b) {
    if (a.string_ != b.string_ || a.spans_.size() != b.spans_.size()) return false;
    for (std::size_t i = 0; i < a.spans_.size(); ++i) {
        if (a.spans_[i].length != b.spans_[i].length ||
            !attributesEqual(a.spans_[i].attributes, b.spans_[i].attributes))
            return false;
    }
    return true;
}

std::size_t AttributedString::splitAt(int64_t location) {
    int64_t start = 0;
    for (std::size_t i = 0; i < spans_.size(); ++i) {
        if (location == start) return i;
        if (location < start + spans_[i].length) {
            Span tail{start + spans_[i].length - location, spans_[i].attributes};
            spans_[i].length = location - start;
            spans_.insert(spans_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
            return i + 1;
        }
        start += spans_[i].length;
    }
    return spans_.size();
}

void AttributedString::coalesce() {
    std::vector<Span> merged;
    merged.reserve(spans_.size());
    for (Span& span : spans_) {
        if (span.length <= 0) continue;
        if (!merged.empty() && attributesEqual(merged.back().attributes, span.attributes)) {
            merged.back().length += span.length;
        } else {
            merged.push_back(std::move(span));
        }
    }
    spans_ = std::move(merged);
}

template <class Edit>
void AttributedString::editRange(Range range, Edit edit) {
    if (!string_.isValidRange(range) || range.length == 0) return;
    const std::size_t first = splitAt(range.location);
    const std::size_t end = splitAt(range.location + range.length);
    for (std::size_t i = first; i < end; ++i) edit(spans_[i].attributes);
    coalesce();
}

// ---------------------------------------------------------------- MutableAttributedString

void MutableAttributedString::setAttributes(const Attributes& attributes, Range range) {
    editRange(range, [&](Attributes& a) { a = attributes; });
}

void MutableAttributedString::addAttributes(const Attributes& attributes, Range range) {
    editRange(range, [&](Attributes& a) {
        for (const auto& [key, value] : attributes) a.insert_or_assign(key, value);
    });
}

void MutableAttributedString::addAttribute(const Key& key, const Value& value, Range range) {
    editRange(range, [&](Attributes& a) { a.insert_or_assign(key, value); });
}

void MutableAttributedString::removeAttribute(const Key& key, Range range) {
    editRange(range, [&](Attributes& a) { a.erase(key); });
}

void MutableAttributedString::replaceCharacters(Range range, const String& with) {
    auto replaced = string_.replacingCharacters(range, with);
    if (!replaced) return;
    const int64_t probe = range.length > 0 ? range.location : range.location - 1;
    Attributes inherited = attributes(probe < 0 ? 0 : probe);
    const std::size_t first = splitAt(range.location);
    const std::size_t end = splitAt(range.location + range.length);
    spans_.erase(spans_.begin() + static_cast<std::ptrdiff_t>(first),
                 spans_.begin() + static_cast<std::ptrdiff_t>(end));
    if (with.length() > 0) {
        spans_.insert(spans_.begin() + static_cast<std::ptrdiff_t>(first), Span{with.length(), std::move(inherited)});
    }
    string_ = std::move(*replaced);
    coalesce();
}

void MutableAttributedString::append(const AttributedString& other) {
    string_ += other.string_;
    spans_.insert(spans_.end(), other.spans_.begin(), other.spans_.end());
    coalesce();
}

} // namespace pellavo::ns
