#include "platform/ui/scroll/TableView.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/ca/Layer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchSet.hpp"

namespace pellavo::ui {

namespace {

// More rows than this in one table are not shown: the geometry of every row is kept.
constexpr std::size_t maximumRows = 1'000'000;

double sanitisedHeight(double height) { return std::isfinite(height) && height > 0 ? height : 0; }

} // namespace

double TableViewDelegate::heightForRowAt(TableView& tableView, ns::IndexPath indexPath) {
    (void)indexPath;
    return tableView.rowHeight();
}

// ---------------------------------------------------------------- life

TableView::TableView(const cg::Rect& frame, Style style) : ScrollView(frame), style_(style) {
    setBackgroundColor(Color::white());
}

TableView::~TableView() = default;

void TableView::init() {
    ScrollView::init();
    setNeedsLayout();
}

// ---------------------------------------------------------------- configuration

void TableView::setDataSource(const std::shared_ptr<TableViewDataSource>& dataSource) {
    dataSource_ = dataSource;
    reloadData();
}

std::shared_ptr<TableViewDelegate> TableView::delegate() const {
    return std::dynamic_pointer_cast<TableViewDelegate>(ScrollView::delegate());
}

void TableView::setDelegate(const std::shared_ptr<TableViewDelegate>& delegate) {
    ScrollView::setDelegate(delegate);
    // Heights may differ now.
    reloadData();
}

void TableView::setRowHeight(double height) {
    change(rowHeight_, sanitisedHeight(height), Invalidate::nothing, [&] { reloadData(); });
}

void TableView::setSeparatorColor(Color color) { change(separatorColor_, color, Invalidate::layout); }

void TableView::setSeparatorStyle(SeparatorStyle style) { change(separatorStyle_, style, Invalidate::layout); }

void TableView::setSeparatorInset(const EdgeInsets& inset) {
    if (!(std::isfinite(inset.top) && std::isfinite(inset.left) && std::isfinite(inset.bottom) &&
          std::isfinite(inset.right)))
        return;
    change(separatorInset_, inset, Invalidate::layout);
}

// ---------------------------------------------------------------- data

void TableView::reloadData() {
    ++reloadGeneration_;
    needsReload_ = true;
    // The cells go now; the data source is asked at the next layout pass.
    const auto cells = std::move(cells_);
    cells_.clear();
    for (const auto& [path, cell] : cells) cell->removeFromSuperview();
    selected_.reset();
    trackedRow_.reset();
    trackedTouch_.reset();
    setNeedsLayout();
}

void TableView::loadDataIfNeeded() {
    if (!needsReload_) return;
    needsReload_ = false;
    const std::uint64_t generation = reloadGeneration_;
    const auto keep = sharedFromThis<TableView>();
    const auto source = dataSource();
    const auto tableDelegate = delegate();

    std::vector<Section> sections;
    std::vector<double> tops{0.0};
    if (source) {
        const int count = std::max(0, source->numberOfSections(*this));
        for (int s = 0; s < count && generation == reloadGeneration_; ++s) {
            Section section;
            section.first = tops.size() - 1;
            const int rows = std::max(0, source->numberOfRowsInSection(*this, s));
            const std::size_t room = maximumRows - section.first;
            section.rows = static_cast<std::size_t>(rows) > room ? static_cast<int>(room) : rows;
            if (section.rows < rows)
                ns::log("TableView: more than " + std::to_string(maximumRows) + " rows; the rest are not shown");
            for (int r = 0; r < section.rows; ++r) {
                const double h = tableDelegate ? sanitisedHeight(tableDelegate->heightForRowAt(*this, {s, r})) : rowHeight_;
                tops.push_back(tops.back() + h);
            }
            sections.push_back(section);
        }
    }
    // A reload asked for by the data source or the delegate meanwhile wins.
    if (generation != reloadGeneration_) return;
    sections_ = std::move(sections);
    rowTops_ = std::move(tops);
    setContentSize({bounds().size.width, rowTops_.back()});
}

int TableView::numberOfSections() {
    loadDataIfNeeded();
    return static_cast<int>(sections_.size());
}

int TableView::numberOfRows(int section) {
    loadDataIfNeeded();
    if (section < 0 || static_cast<std::size_t>(section) >= sections_.size()) return 0;
    return sections_[static_cast<std::size_t>(section)].rows;
}

bool TableView::isValid(ns::IndexPath p) const {
    return p.section >= 0 && static_cast<std::size_t>(p.section) < sections_.size() && p.row >= 0 &&
           p.row < sections_[static_cast<std::size_t>(p.section)].rows;
}

std::size_t TableView::flatIndex(ns::IndexPath p) const {
    return sections_[static_cast<std::size_t>(p.section)].first + static_cast<std::size_t>(p.row);
}

ns::IndexPath TableView::pathForFlat(std::size_t index) const {
    // The last section starting at or before the index that has rows.
    auto it = std::upper_bound(sections_.begin(), sections_.end(), index,
                               [](std::size_t i, const Section& s) { return i < s.first; });
    while (it != sections_.begin()) {
        --it;
        if (index < it->first + static_cast<std::size_t>(it->rows))
            return {static_cast<int>(it - sections_.begin()), static_cast<int>(index - it->first)};
    }
    return {};
}

cg::Rect TableView::rectForRow(ns::IndexPath indexPath) {
    loadDataIfNeeded();
    if (!isValid(indexPath)) return cg::Rect::null();
    const std::size_t i = flatIndex(indexPath);
    return {0, rowTops_[i], bounds().size.width, rowTops_[i + 1] - rowTops_[i]};
}

std::optional<ns::IndexPath> TableView::indexPathForRow(cg::Point point) {
    loadDataIfNeeded();
    const std::size_t rows = rowTops_.size() - 1;
    if (rows == 0 || !point.isFinite() || point.y < 0 || point.y >= rowTops_.back() || point.x < 0 ||
        point.x >= bounds().size.width)
        return std::nullopt;
    // The row whose [top, bottom) holds y; zero-height rows hold nothing.
    const auto it = std::upper_bound(rowTops_.begin(), rowTops_.end(), point.y);
    const std::size_t index = static_cast<std::size_t>(it - rowTops_.begin()) - 1;
    if (index >= rows) return std::nullopt;
    return pathForFlat(index);
}

// ---------------------------------------------------------------- cells

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const {
    std::vector<std::shared_ptr<TableViewCell>> out;
    out.reserve(cells_.size());
    for (const auto& [path, cell] : cells_) out.push_back(cell);
    return out;
}

std::vector<ns::IndexPath> TableView::indexPathsForVisibleRows() const {
    std::vector<ns::IndexPath> out;
    out.reserve(cells_.size());
    for (const auto& [path, cell] : cells_) out.push_back(path);
    return out;
}

std::shared_ptr<TableViewCell> TableView::cellForRow(ns::IndexPath indexPath) const {
    const auto it = cells_.find(indexPath);
    return it == cells_.end() ? nullptr : it->second;
}

std::optional<ns::IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const {
    for (const auto& [path, c] : cells_)
        if (c.get() == &cell) return path;
    return std::nullopt;
}

void TableView::layoutSubviews() {
    loadDataIfNeeded();
    if (contentSize().width != bounds().size.width) setContentSize({bounds().size.width, rowTops_.back()});
    tile();
    updateSeparators();
    ScrollView::layoutSubviews();
}

void TableView::tile() {
    const std::uint64_t generation = reloadGeneration_;
    const auto keep = sharedFromThis<TableView>();
    const cg::Rect visible = bounds();
    const double width = visible.size.width;
    const std::size_t rows = rowTops_.size() - 1;

    // Rows whose [top, bottom) meets [minY, maxY): first is the row holding minY.
    std::size_t first = rows, last = rows;
    if (rows > 0 && visible.size.height > 0) {
        const double minY = visible.origin.y;
        const double maxY = visible.origin.y + visible.size.height;
        first = static_cast<std::size_t>(std::upper_bound(rowTops_.begin(), rowTops_.end() - 1, minY) - rowTops_.begin());
        first = first > 0 ? first - 1 : 0;
        while (first < rows && rowTops_[first + 1] <= minY) ++first;
        last = static_cast<std::size_t>(std::lower_bound(rowTops_.begin(), rowTops_.end() - 1, maxY) - rowTops_.begin());
        if (first >= rows || rowTops_[first] >= maxY) first = last = rows;
    }

    // Cells that left the area go.
    for (auto it = cells_.begin(); it != cells_.end();) {
        const std::size_t i = flatIndex(it->first);
        if (i >= first && i < last) {
            ++it;
            continue;
        }
        const auto cell = it->second;
        it = cells_.erase(it);
        cell->removeFromSuperview();
    }

    const auto source = dataSource();
    for (std::size_t i = first; i < last; ++i) {
        const ns::IndexPath path = pathForFlat(i);
        const cg::Rect frame{0, rowTops_[i], width, rowTops_[i + 1] - rowTops_[i]};
        if (const auto found = cells_.find(path); found != cells_.end()) {
            found->second->setFrame(frame);
            continue;
        }
        std::shared_ptr<TableViewCell> cell = source ? source->cellForRowAt(*this, path) : nullptr;
        // The data source reloaded or went away meanwhile: the next pass starts over.
        if (generation != reloadGeneration_) return;
        if (!cell) {
            ns::log("TableView: the data source gave no cell for section " + std::to_string(path.section) + " row " +
                    std::to_string(path.row) + "; using an empty cell");
            cell = ns::make<TableViewCell>();
        }
        // One cell object can stand in one row only.
        for (auto it = cells_.begin(); it != cells_.end(); ++it)
            if (it->second == cell) {
                cells_.erase(it);
                break;
            }
        cell->setFrame(frame);
        cell->setSelected(selected_ && *selected_ == path, false);
        cell->setHighlighted(false);
        cells_[path] = cell;
        if (cell->superview().get() != this) insertSubview(cell, 0);
    }
}

void TableView::updateSeparators() {
    const double hairline = 1.0 / std::max(1.0, Screen::main().scale());
    const double width = bounds().size.width;
    const std::size_t rows = rowTops_.size() - 1;
    std::size_t used = 0;
    const ca::Transaction::ActionsDisabled scope;
    if (separatorStyle_ == SeparatorStyle::singleLine) {
        for (const auto& [path, cell] : cells_) {
            const std::size_t i = flatIndex(path);
            // None below the last row.
            if (i + 1 >= rows) continue;
            const EdgeInsets inset = cell->separatorInset();
            const double left = std::max(0.0, inset.left);
            const double length = width - left - std::max(0.0, inset.right);
            if (left >= width || length <= 0) continue;
            if (used == separators_.size()) separators_.push_back(ns::make<ca::Layer>());
            const auto& line = separators_[used++];
            line->setBackgroundColor(separatorColor_.cgColor());
            line->setFrame({left, rowTops_[i + 1] - hairline, length, hairline});
            line->setIsHidden(false);
            // Above every cell.
            layer()->addSublayer(line);
        }
    }
    for (std::size_t i = used; i < separators_.size(); ++i) separators_[i]->removeFromSuperlayer();
    separators_.resize(used);
}

// ---------------------------------------------------------------- selection

void TableView::selectRow(ns::IndexPath indexPath, bool animated) {
    loadDataIfNeeded();
    if (!isValid(indexPath)) return;
    if (selected_ && *selected_ != indexPath)
        if (auto old = cellForRow(*selected_)) old->setSelected(false, animated);
    selected_ = indexPath;
    if (auto cell = cellForRow(indexPath)) cell->setSelected(true, animated);
}

void TableView::deselectRow(ns::IndexPath indexPath, bool animated) {
    if (!selected_ || *selected_ != indexPath) return;
    selected_.reset();
    if (auto cell = cellForRow(indexPath)) cell->setSelected(false, animated);
}

void TableView::touchesBegan(const TouchSet& touches, const Event* event) {
    (void)event;
    if (trackedRow_ || touches.empty()) return;
    const auto touch = touches.first();
    const auto row = indexPathForRow(touch->location(this));
    if (!row) return;
    trackedTouch_ = touch;
    trackedRow_ = row;
    trackedOffset_ = contentOffset();
    if (auto cell = cellForRow(*row); cell && cell->selectionStyle() != TableViewCell::SelectionStyle::none)
        cell->setHighlighted(true);
}

void TableView::touchesMoved(const TouchSet& touches, const Event* event) {
    (void)touches;
    (void)event;
}

void TableView::endTracking() {
    if (trackedRow_)
        if (auto cell = cellForRow(*trackedRow_)) cell->setHighlighted(false);
    trackedRow_.reset();
    trackedTouch_.reset();
}

void TableView::touchesEnded(const TouchSet& touches, const Event* event) {
    (void)event;
    const auto touch = trackedTouch_.lock();
    if (!trackedRow_ || !touch || !touches.contains(touch)) return;
    const ns::IndexPath row = *trackedRow_;
    const bool scrolled = contentOffset() != trackedOffset_ || isDragging();
    const auto liftedOn = indexPathForRow(touch->location(this));
    endTracking();
    if (scrolled || !liftedOn || *liftedOn != row) return;

    const auto keep = sharedFromThis<TableView>();
    selectRow(row, false);
    if (auto d = delegate()) d->didSelectRowAt(*this, row);
}

void TableView::touchesCancelled(const TouchSet& touches, const Event* event) {
    (void)event;
    const auto touch = trackedTouch_.lock();
    if (!touch || touches.contains(touch)) endTracking();
}

} // namespace pellavo::ui
