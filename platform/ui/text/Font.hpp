#pragma once

#include "platform/ns/Export.hpp"

#include <string>
#include <string_view>

namespace pellavo::ui {

// A font value: a requested name and size mapped onto the pinned faces. Never
// fails; an unknown name keeps its name and draws in the default face.
class PELLAVO_EXPORT Font {
public:
    enum class Weight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };

    // The blank font: no name, size 0 (measures nothing, draws nothing).
    Font() = default;
    // Sizes <= 0, NaN or infinite become 0; very large sizes are capped.
    Font(std::string_view name, double size);

    static Font systemFont(double size, Weight weight = Weight::regular);
    static Font boldSystemFont(double size);

    // The name as requested.
    const std::string& fontName() const { return name_; }
    // The family the face belongs to.
    std::string familyName() const;
    // The face drawn: "DejaVu Sans", "DejaVu Sans Bold" or "DejaVu Sans ExtraLight".
    std::string faceName() const;
    double pointSize() const { return size_; }
    double ascender() const;
    // Below the baseline: negative.
    double descender() const;
    double lineHeight() const;

    // The same face at another size.
    Font withSize(double size) const;

    friend bool operator==(const Font&, const Font&) = default;

    // Which pinned face the name maps to.
    enum class Face { regular, bold, extraLight };
    Face face() const { return face_; }

private:
    Font(std::string name, Face face, double size);

    std::string name_;
    Face face_ = Face::regular;
    double size_ = 0;
};

} // namespace pellavo::ui
