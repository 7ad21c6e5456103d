#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ns/IndexPath.hpp"
#include "platform/ui/scroll/ScrollViewDelegate.hpp"

namespace pellavo::ui {

class TableView;

// A table's delegate is its scroll-view delegate too. The table holds it weakly.
class PELLAVO_EXPORT TableViewDelegate : public ScrollViewDelegate {
public:
    // The table's rowHeight by default; a negative or NaN height is taken as 0.
    virtual double heightForRowAt(TableView& tableView, ns::IndexPath indexPath);
    // After a tap selected the row (not after selectRow).
    virtual void didSelectRowAt(TableView& tableView, ns::IndexPath indexPath) {
        (void)tableView;
        (void)indexPath;
    }
};

} // namespace pellavo::ui
