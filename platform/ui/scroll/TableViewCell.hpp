#pragma once

#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/scroll/TableViewCellContentView.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ca {
class Layer;
}

namespace pellavo::ui {

class ImageView;
class Label;

// One row of a table: a white view with a content view that fills it and a grey
// highlight shown while it is touched or selected.
class PELLAVO_EXPORT TableViewCell : public View {
public:
    // `default` is a keyword, hence defaultStyle.
    enum class Style { defaultStyle };
    enum class SelectionStyle { none, defaultStyle };

    static Color highlightColor() { return {0xD9 / 255.0, 0xD9 / 255.0, 0xD9 / 255.0, 1}; }
    // The fade of an animated deselection.
    static constexpr double deselectDuration = 0.25;

    explicit TableViewCell(Style style = Style::defaultStyle, std::optional<ns::String> reuseIdentifier = std::nullopt);
    // From an interface file: the decoded frame (320 × 44 without one), the subviews
    // placed in the content view, and a "reuseIdentifier" string when the coder has one.
    explicit TableViewCell(const ns::Coder& coder);
    ~TableViewCell() override;
    std::string_view className() const override { return "UITableViewCell"; }

    Style style() const { return style_; }
    const std::optional<ns::String>& reuseIdentifier() const { return reuseIdentifier_; }
    const std::shared_ptr<TableViewCellContentView>& contentView() const { return contentView_; }
    // Made on first use, in the content view: the label at (15, 0, w − 30, h), moved
    // to the right of an image when there is one; the image at x 15, centred
    // vertically, at its image's size.
    std::shared_ptr<Label> textLabel();
    std::shared_ptr<ImageView> imageView();

    SelectionStyle selectionStyle() const { return selectionStyle_; }
    // With none the cell never shows the highlight.
    void setSelectionStyle(SelectionStyle style);
    bool isSelected() const { return selected_; }
    // Animated: the highlight fades out over deselectDuration when it goes.
    void setSelected(bool selected, bool animated = false);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted, bool animated = false);

    // Its own inset once set; otherwise that of the table it is in (left 15 without one).
    EdgeInsets separatorInset() const;
    void setSeparatorInset(const EdgeInsets& inset);

    void layoutSubviews() override;

protected:
    void init() override;

private:
    void updateHighlight(bool animated);

    Style style_;
    std::optional<ns::String> reuseIdentifier_;
    std::shared_ptr<TableViewCellContentView> contentView_;
    std::shared_ptr<Label> textLabel_;
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<ca::Layer> highlightLayer_;
    std::optional<EdgeInsets> separatorInset_;
    SelectionStyle selectionStyle_ = SelectionStyle::defaultStyle;
    bool selected_ = false;
    bool highlighted_ = false;
};

} // namespace pellavo::ui
