#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

// The view inside a table cell that holds its content; it fills the cell.
class PELLAVO_EXPORT TableViewCellContentView : public View {
public:
    using View::View;
    std::string_view className() const override { return "UITableViewCellContentView"; }
};

} // namespace pellavo::ui
