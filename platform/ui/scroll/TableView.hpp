#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/IndexPath.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/scroll/TableViewCell.hpp"
#include "platform/ui/scroll/TableViewDataSource.hpp"
#include "platform/ui/scroll/TableViewDelegate.hpp"

namespace pellavo::ui {

class Touch;

// A plain table: one column of rows in sections. The data source is asked at the
// layout pass (never inside reloadData); only the rows that meet the visible area
// have cells, framed (0, y, width, height), and a cell that leaves the area is
// released. The table draws the separators itself, over the cells, and selects a
// row when a touch that reached it along the responder chain lifts on the row it
// went down on, without a scroll in between.
class PELLAVO_EXPORT TableView : public ScrollView {
public:
    enum class Style { plain };
    enum class SeparatorStyle { none, singleLine };

    static constexpr double defaultRowHeight = 44;
    static Color defaultSeparatorColor() { return {0xC8 / 255.0, 0xC7 / 255.0, 0xCC / 255.0, 1}; }

    explicit TableView(const cg::Rect& frame = {}, Style style = Style::plain);
    ~TableView() override;
    std::string_view className() const override { return "UITableView"; }

    Style style() const { return style_; }

    std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
    void setDataSource(const std::shared_ptr<TableViewDataSource>& dataSource);
    // Also the scroll-view delegate.
    std::shared_ptr<TableViewDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<TableViewDelegate>& delegate);

    double rowHeight() const { return rowHeight_; }
    // A negative or NaN height becomes 0.
    void setRowHeight(double height);
    Color separatorColor() const { return separatorColor_; }
    void setSeparatorColor(Color color);
    SeparatorStyle separatorStyle() const { return separatorStyle_; }
    void setSeparatorStyle(SeparatorStyle style);
    // Left and right are used; a left inset at least the width hides the separator.
    EdgeInsets separatorInset() const { return separatorInset_; }
    void setSeparatorInset(const EdgeInsets& inset);

    // Drops every cell and the selection; the data source is asked again at the next
    // layout pass.
    void reloadData();
    int numberOfSections();
    // 0 for a section that does not exist.
    int numberOfRows(int section);

    // The cells on screen, top to bottom.
    std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
    std::vector<ns::IndexPath> indexPathsForVisibleRows() const;
    // Null when the row is off screen or does not exist.
    std::shared_ptr<TableViewCell> cellForRow(ns::IndexPath indexPath) const;
    std::optional<ns::IndexPath> indexPathForCell(const TableViewCell& cell) const;
    // In the table's own space; none outside the rows.
    std::optional<ns::IndexPath> indexPathForRow(cg::Point point);
    // The null rectangle for a row that does not exist.
    cg::Rect rectForRow(ns::IndexPath indexPath);

    std::optional<ns::IndexPath> indexPathForSelectedRow() const { return selected_; }
    // Neither calls the delegate; a row that does not exist is ignored.
    void selectRow(ns::IndexPath indexPath, bool animated);
    // Animated: the selection clears at once and the highlight fades.
    void deselectRow(ns::IndexPath indexPath, bool animated);

    void layoutSubviews() override;
    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesCancelled(const TouchSet& touches, const Event* event) override;

protected:
    void init() override;

private:
    struct Section {
        int rows = 0;
        std::size_t first = 0; // index of its first row in rowTops_
    };

    void loadDataIfNeeded();
    bool isValid(ns::IndexPath indexPath) const;
    std::size_t flatIndex(ns::IndexPath indexPath) const;
    ns::IndexPath pathForFlat(std::size_t index) const;
    void tile();
    void updateSeparators();
    void endTracking();

    Style style_;
    std::weak_ptr<TableViewDataSource> dataSource_;
    double rowHeight_ = defaultRowHeight;
    Color separatorColor_ = defaultSeparatorColor();
    SeparatorStyle separatorStyle_ = SeparatorStyle::singleLine;
    EdgeInsets separatorInset_{0, 15, 0, 0};

    bool needsReload_ = true;
    std::uint64_t reloadGeneration_ = 0;
    std::vector<Section> sections_;
    // Top of every row and, last, the bottom of the table.
    std::vector<double> rowTops_{0.0};
    std::map<ns::IndexPath, std::shared_ptr<TableViewCell>> cells_;
    std::vector<std::shared_ptr<ca::Layer>> separators_;
    std::optional<ns::IndexPath> selected_;

    // The touch that may select a row.
    std::weak_ptr<Touch> trackedTouch_;
    std::optional<ns::IndexPath> trackedRow_;
    cg::Point trackedOffset_;
};

} // namespace pellavo::ui
