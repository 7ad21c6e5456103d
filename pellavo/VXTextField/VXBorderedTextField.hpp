#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "pellavo/VXTextField/VXPlaceholderTextField.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo {

class Line;

// A floating-placeholder field with an underline along its bottom edge, refitted in
// every layout pass. The line is attached by awakeFromNib and drawn once lineColor is set.
class PELLAVO_EXPORT VXBorderedTextField : public VXPlaceholderTextField {
public:
    explicit VXBorderedTextField(cg::Rect frame = {});
    explicit VXBorderedTextField(const ns::Coder& coder);
    std::string_view className() const override { return "VXBorderedTextField"; }

    // Clear while the line has no colour.
    ui::Color lineColor() const;
    void setLineColor(ui::Color color);
    // A non-finite width is ignored; a negative one is kept and draws nothing.
    double lineWidth() const;
    void setLineWidth(double width);

    void awakeFromNib() override;
    void layoutSubviews() override;

protected:
    // Lays the line's path along the bottom edge, its stroke's lower edge on the edge.
    void calculateLine(Line& line);
    const std::shared_ptr<Line>& bottomLine() const { return line_; }

private:
    void configureBottomLine();
    static bool registerWithRuntime();

    std::shared_ptr<Line> line_;
    bool wired_ = false;
    static const bool registered_;
};

} // namespace pellavo
