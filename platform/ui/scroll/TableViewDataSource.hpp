#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ns/IndexPath.hpp"

namespace pellavo::ui {

class TableView;
class TableViewCell;

// Where a table gets its rows. The table holds it weakly and asks it during layout.
class PELLAVO_EXPORT TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;

    virtual int numberOfSections(TableView& tableView) {
        (void)tableView;
        return 1;
    }
    // A negative count is taken as 0.
    virtual int numberOfRowsInSection(TableView& tableView, int section) = 0;
    // A null cell is replaced by an empty one.
    virtual std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, ns::IndexPath indexPath) = 0;
};

} // namespace pellavo::ui
