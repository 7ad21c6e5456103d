#include "platform/ui/scroll/TableViewCell.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ca/Layer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/scroll/TableView.hpp"

namespace pellavo::ui {

TableViewCell::TableViewCell(Style style, std::optional<ns::String> reuseIdentifier)
    : View(cg::Rect{0, 0, 320, TableView::defaultRowHeight}), style_(style), reuseIdentifier_(std::move(reuseIdentifier)) {
    setBackgroundColor(Color::white());
}

TableViewCell::TableViewCell(const ns::Coder& coder)
    : View(coder),
      style_(Style::defaultStyle),
      reuseIdentifier_(coder.decode<ns::String>("reuseIdentifier")) {
    if (!coder.containsValue(ns::Coder::frameKey)) setFrame({0, 0, 320, TableView::defaultRowHeight});
    setBackgroundColor(Color::white());
}

TableViewCell::~TableViewCell() = default;

namespace {

// Cells can be named in interface files, and library cells derive from this name.
[[maybe_unused]] const auto registration = ns::ClassRegistration<TableViewCell>("UITableViewCell", "UIView");

} // namespace

void TableViewCell::init() {
    View::init();
    highlightLayer_ = ns::make<ca::Layer>();
    highlightLayer_->setBackgroundColor(highlightColor().cgColor());
    highlightLayer_->setOpacity(0);
    highlightLayer_->setFrame(bounds());
    layer()->insertSublayer(highlightLayer_, 0);

    // Whatever the view already holds (the subviews of a decoded cell) is content.
    const auto decoded = subviews();
    contentView_ = ns::make<TableViewCellContentView>(bounds());
    contentView_->setAutoresizingMask(AutoresizingMask::flexibleWidth | AutoresizingMask::flexibleHeight);
    addSubview(contentView_);
    for (const auto& subview : decoded) contentView_->addSubview(subview);
}

std::shared_ptr<Label> TableViewCell::textLabel() {
    if (!textLabel_) {
        textLabel_ = ns::make<Label>();
        contentView_->addSubview(textLabel_);
        setNeedsLayout();
    }
    return textLabel_;
}

std::shared_ptr<ImageView> TableViewCell::imageView() {
    if (!imageView_) {
        imageView_ = ns::make<ImageView>();
        contentView_->addSubview(imageView_);
        setNeedsLayout();
    }
    return imageView_;
}

void TableViewCell::setSelectionStyle(SelectionStyle style) {
    change(selectionStyle_, style, Invalidate::nothing, [&] { updateHighlight(false); });
}

void TableViewCell::setSelected(bool selected, bool animated) {
    change(selected_, selected, Invalidate::nothing, [&] { updateHighlight(animated); });
}

void TableViewCell::setHighlighted(bool highlighted, bool animated) {
    change(highlighted_, highlighted, Invalidate::nothing, [&] { updateHighlight(animated); });
}

void TableViewCell::updateHighlight(bool animated) {
    const bool shown = (selected_ || highlighted_) && selectionStyle_ != SelectionStyle::none;
    ca::Transaction::begin();
    // Only a fade out animates; everything else changes at once.
    if (animated && !shown) {
        ca::Transaction::setAnimationDuration(deselectDuration);
    } else {
        ca::Transaction::setDisableActions(true);
    }
    highlightLayer_->setOpacity(shown ? 1.0f : 0.0f);
    ca::Transaction::commit();
}

EdgeInsets TableViewCell::separatorInset() const {
    if (separatorInset_) return *separatorInset_;
    if (auto table = std::dynamic_pointer_cast<TableView>(superview())) return table->separatorInset();
    return {0, 15, 0, 0};
}

void TableViewCell::setSeparatorInset(const EdgeInsets& inset) {
    if (!(std::isfinite(inset.top) && std::isfinite(inset.left) && std::isfinite(inset.bottom) &&
          std::isfinite(inset.right)))
        return;
    change(separatorInset_, inset, Invalidate::nothing, [&] {
        if (auto table = superview()) table->setNeedsLayout();
    });
}

void TableViewCell::layoutSubviews() {
    View::layoutSubviews();
    {
        const ca::Transaction::ActionsDisabled scope;
        highlightLayer_->setFrame(bounds());
    }
    contentView_->setFrame(bounds());

    constexpr double margin = 15;
    const cg::Size size = contentView_->bounds().size;
    double textX = margin;
    if (imageView_) {
        const cg::Size image = imageView_->image() ? imageView_->image()->size() : cg::Size{};
        imageView_->setFrame({margin, (size.height - image.height) / 2, image.width, image.height});
        if (image.width > 0) textX = margin + image.width + margin;
    }
    if (textLabel_) textLabel_->setFrame({textX, 0, std::max(0.0, size.width - textX - margin), size.height});
}

} // namespace pellavo::ui
