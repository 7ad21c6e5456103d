#pragma once

#include <any>
#include <compare>
#include <map>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"
#include "platform/ns/Value.hpp"

namespace pellavo::ns {

// The name of a text attribute.
class PELLAVO_EXPORT AttributedStringKey {
public:
    explicit AttributedStringKey(std::string rawValue) : rawValue_(std::move(rawValue)) {}
    const std::string& rawValue() const { return rawValue_; }

    // A ui::Font.
    static const AttributedStringKey font;
    // A ui::Color.
    static const AttributedStringKey foregroundColor;
    // An ns::ParagraphStyle.
    static const AttributedStringKey paragraphStyle;

    friend bool operator==(const AttributedStringKey&, const AttributedStringKey&) = default;
    friend std::strong_ordering operator<=>(const AttributedStringKey& a, const AttributedStringKey& b) {
        return a.rawValue_.compare(b.rawValue_) <=> 0;
    }

private:
    std::string rawValue_;
};

using Attributes = std::map<AttributedStringKey, Value>;

// Attribute values compare by value when their type is registered: numbers,
// std::string, ns::String and ns::ParagraphStyle always are, and the toolkit
// registers its fonts and colours; object pointers compare by identity. Values
// of any other type never compare equal, so runs holding them never merge.
PELLAVO_EXPORT bool attributeValuesEqual(const Value& a, const Value& b);
PELLAVO_EXPORT bool attributesEqual(const Attributes& a, const Attributes& b);

template <class T>
void registerAttributeValueType();

namespace detail {
using AnyEquality = bool (*)(const std::any&, const std::any&);
void registerAttributeEquality(std::type_index type, AnyEquality equality);
} // namespace detail

template <class T>
void registerAttributeValueType() {
    detail::registerAttributeEquality(typeid(T), [](const std::any& a, const std::any& b) {
        const T* x = std::any_cast<T>(&a);
        const T* y = std::any_cast<T>(&b);
        return x != nullptr && y != nullptr && *x == *y;
    });
}

// A string with attributes on ranges of its UTF-16 units. Every unit has
// exactly one set of attributes; neighbouring equal sets form one run.
class PELLAVO_EXPORT AttributedString {
public:
    using Key = AttributedStringKey;

    struct Run {
        Range range;
        Attributes attributes;
    };

    AttributedString() = default;
    AttributedString(String string, Attributes attributes = {});

    const String& string() const { return string_; }
    int64_t length() const { return string_.length(); }

    // The attributes at a unit and, through effectiveRange, the run holding it.
    // Outside the string: none, and the range {notFound, 0}.
    Attributes attributes(int64_t at, Range* effectiveRange = nullptr) const;
    // One attribute at a unit; nil when absent or outside the string.
    Value attribute(const Key& key, int64_t at, Range* effectiveRange = nullptr) const;
    // The runs in order, covering the string.
    std::vector<Run> runs() const;
    // Calls visit(range, attributes) for each run in order, copying nothing; the
    // attributes live as long as the string is not changed.
    template <class Visit>
    void forEachRun(Visit&& visit) const {
        int64_t start = 0;
        for (const Span& span : spans_) {
            visit(Range(start, span.length), span.attributes);
            start += span.length;
        }
    }
    // Null for a range that String::isValidRange refuses.
    std::optional<AttributedString> attributedSubstring(Range range) const;

    friend PELLAVO_EXPORT bool operator==(const AttributedString& a, const AttributedString& b);

protected:
    friend class MutableAttributedString;

    struct Span {
        int64_t length = 0;
        Attributes attributes;
    };

    // Splits the spans so that a span boundary falls on each end of the range;
    // returns the index of the first span inside it.
    std::size_t splitAt(int64_t location);
    void coalesce();
    template <class Edit>
    void editRange(Range range, Edit edit);

    String string_;
    std::vector<Span> spans_;
};

class PELLAVO_EXPORT MutableAttributedString : public AttributedString {
public:
    using AttributedString::AttributedString;
    MutableAttributedString(const AttributedString& other) : AttributedString(other) {}

    // Each edit ignores a range that String::isValidRange refuses.
    void setAttributes(const Attributes& attributes, Range range);
    void addAttributes(const Attributes& attributes, Range range);
    void addAttribute(const Key& key, const Value& value, Range range);
    void removeAttribute(const Key& key, Range range);
    // The new text takes the attributes of the first replaced unit, or of the
    // unit before the range when it is empty.
    void replaceCharacters(Range range, const String& with);

    void append(const AttributedString& other);
};

} // namespace pellavo::ns
