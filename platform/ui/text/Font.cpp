#include "platform/ui/text/Font.hpp"

#include <cmath>

#include "platform/ns/AttributedString.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/FontSystem.hpp"

namespace pellavo::ui {

namespace {

// The platform's system font names; they map like any other name.
constexpr std::string_view systemName = ".System";
constexpr std::string_view boldSystemName = ".System-Bold";
constexpr std::string_view lightSystemName = ".System-Light";

struct NameMapping {
    std::string_view name;
    Font::Face face;
};

// The one table from platform font names to the pinned faces.
constexpr NameMapping nameTable[] = {
    {systemName, Font::Face::regular},
    {boldSystemName, Font::Face::bold},
    {lightSystemName, Font::Face::extraLight},
    {"AvenirNext-Bold", Font::Face::bold},
    {"HelveticaNeue-Light", Font::Face::extraLight},
};

Font::Face faceForName(std::string_view name) {
    for (const NameMapping& entry : nameTable) {
        if (entry.name == name) return entry.face;
    }
    if (name.ends_with("-Bold")) return Font::Face::bold;
    return Font::Face::regular;
}

double normalisedSize(double size) {
    if (!std::isfinite(size) || size <= 0) return 0;
    return std::fmin(size, detail::maximumPointSize);
}

} // namespace

Font::Font(std::string name, Face face, double size)
    : name_(std::move(name)), face_(face), size_(normalisedSize(size)) {}

Font::Font(std::string_view name, double size) : Font(std::string(name), faceForName(name), size) {}

Font Font::systemFont(double size, Weight weight) {
    switch (weight) {
    case Weight::ultraLight:
    case Weight::thin:
    case Weight::light:
        return Font(std::string(lightSystemName), Face::extraLight, size);
    case Weight::semibold:
    case Weight::bold:
    case Weight::heavy:
    case Weight::black:
        return Font(std::string(boldSystemName), Face::bold, size);
    case Weight::regular:
    case Weight::medium:
        break;
    }
    return Font(std::string(systemName), Face::regular, size);
}

Font Font::boldSystemFont(double size) { return systemFont(size, Weight::bold); }

std::string Font::familyName() const { return "DejaVu Sans"; }

std::string Font::faceName() const {
    switch (face_) {
    case Face::bold:
        return "DejaVu Sans Bold";
    case Face::extraLight:
        return "DejaVu Sans ExtraLight";
    case Face::regular:
        break;
    }
    return "DejaVu Sans";
}

double Font::ascender() const { return detail::faceMetrics(*this).ascender * size_; }

double Font::descender() const { return detail::faceMetrics(*this).descender * size_; }

double Font::lineHeight() const { return detail::faceMetrics(*this).lineHeight * size_; }

Font Font::withSize(double size) const { return Font(name_, face_, size); }

} // namespace pellavo::ui

namespace pellavo {
namespace {
// Attribute runs holding equal fonts or colours compare equal and merge.
[[maybe_unused]] const bool textAttributeTypesRegistered = [] {
    ns::registerAttributeValueType<ui::Font>();
    ns::registerAttributeValueType<ui::Color>();
    return true;
}();
} // namespace
} // namespace pellavo
