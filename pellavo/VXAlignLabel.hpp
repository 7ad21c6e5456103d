#pragma once

#include <optional>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo {

// A label whose text sits at the top, middle or bottom of its bounds. Made only from
// interface files (or a coder): there is no frame constructor.
class PELLAVO_EXPORT VXAlignLabel : public ui::Label {
public:
    enum class VerticalAlignment : int { top = 0, middle = 1, bottom = 2 };
    // nullopt outside 0...2.
    static std::optional<VerticalAlignment> verticalAlignmentFromRawValue(int raw);

    explicit VXAlignLabel(const ns::Coder& coder);
    explicit VXAlignLabel(const cg::Rect&) = delete;
    std::string_view className() const override { return "VXAlignLabel"; }

    VerticalAlignment verticalAlignment() const { return verticalAlignment_; }
    void setVerticalAlignment(VerticalAlignment alignment);

    // Ignores `bounds`: the text's size in the label's own bounds, placed vertically in
    // them. Not clamped, so text taller than the bounds starts above them.
    cg::Rect textRect(const cg::Rect& bounds, int numberOfLines) const override;
    // The text's vertical place with the rect's horizontal extent, so centred and
    // right-aligned text still lines up.
    void drawText(const cg::Rect& rect) override;

private:
    VerticalAlignment verticalAlignment_ = VerticalAlignment::top;
};

} // namespace pellavo
