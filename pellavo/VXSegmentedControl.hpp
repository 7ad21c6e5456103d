#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {
class Label;
}

namespace pellavo {

// A rounded segmented control of plain views and layers. A thumb (gradient and
// shadow) sits over the selected item and can be tapped or dragged between items;
// the titles show in the selected style only where the thumb covers them. The
// appearance properties are read once, at the first layout pass.
// A view, not a ui::Control: it reports through its two closures only.
class PELLAVO_EXPORT VXSegmentedControl : public ui::View {
public:
    enum class DraggingState : int { none = 0, dragging = 1, cancel = 2 };
    // nullopt for any other integer.
    static std::optional<DraggingState> draggingStateFromRawValue(int raw);
    // 0xRRGGBB; higher bits are ignored, alpha 1.
    static ui::Color UIColorFromRGB(std::uint32_t rgb);

    explicit VXSegmentedControl(const cg::Rect& frame = {});
    // From an interface file: the decoded frame, with the same defaults.
    explicit VXSegmentedControl(const ns::Coder& coder);
    std::string_view className() const override { return "VXSegmentedControl"; }

    // ---- appearance, read at the first layout pass (all runtime-visible)
    ui::Font defaultTextFont() const { return defaultTextFont_; }
    void setDefaultTextFont(ui::Font font) { defaultTextFont_ = std::move(font); }
    ui::Font selectedTextFont() const { return selectedTextFont_; }
    void setSelectedTextFont(ui::Font font) { selectedTextFont_ = std::move(font); }
    ui::Color defaultTextColor() const { return defaultTextColor_; }
    void setDefaultTextColor(ui::Color color) { defaultTextColor_ = color; }
    ui::Color selectedTextColor() const { return selectedTextColor_; }
    void setSelectedTextColor(ui::Color color) { selectedTextColor_ = color; }
    bool useGradient() const { return useGradient_; }
    void setUseGradient(bool use) { useGradient_ = use; }
    ui::Color containerBackgroundColor() const { return containerBackgroundColor_; }
    void setContainerBackgroundColor(ui::Color color) { containerBackgroundColor_ = color; }
    ui::Color thumbColor() const { return thumbColor_; }
    void setThumbColor(ui::Color color) { thumbColor_ = color; }
    std::optional<std::vector<ui::Color>> thumbGradientColors() const { return thumbGradientColors_; }
    void setThumbGradientColors(std::optional<std::vector<ui::Color>> colors) {
        thumbGradientColors_ = std::move(colors);
    }
    ui::Color thumbShadowColor() const { return thumbShadowColor_; }
    void setThumbShadowColor(ui::Color color) { thumbShadowColor_ = color; }
    bool useShadow() const { return useShadow_; }
    void setUseShadow(bool use) { useShadow_ = use; }
    cg::Size padding() const { return padding_; }
    void setPadding(cg::Size padding) { padding_ = padding; }
    double segCornerRadius() const { return segCornerRadius_; }
    void setSegCornerRadius(double radius) { segCornerRadius_ = radius; }

    // ---- not runtime-visible
    std::vector<ns::String> itemTitles() const { return itemTitles_; }
    void setItemTitles(std::vector<ns::String> titles) { itemTitles_ = std::move(titles); }
    bool allowDrag() const { return allowDrag_; }
    void setAllowDrag(bool allow) { allowDrag_ = allow; }
    bool allowChangeThumbWidth() const { return allowChangeThumbWidth_; }
    void setAllowChangeThumbWidth(bool allow) { allowChangeThumbWidth_ = allow; }
    // The item under the thumb's centre; 0 until the first layout pass.
    int currentIndex() const;

    // After every touch end or cancel: the index and title of the item snapped to.
    std::function<void(int, std::optional<ns::String>)> didSelectItemWith;
    std::function<void(DraggingState)> didChangeDraggingState;

    // Before the first layout pass the index is only remembered.
    void selectItemAt(int index, bool animated);
    void changeTitle(const ns::String& title, int atIndex);
    // Without a selected title the plain one serves both styles.
    void changeAttributedTitle(const ns::AttributedString& title, std::optional<ns::AttributedString> selectedTile,
                               int atIndex);
    ns::String titleForItemAtIndex(int index) const;
    struct AttributedTitles {
        ns::AttributedString normal;
        ns::AttributedString selected;
    };
    AttributedTitles attributedTitleAtIndex(int index) const;
    void changeThumbShadowColor(ui::Color color);
    void changeThumbColor(ui::Color color);
    void changeBackgroundColor(ui::Color color);
    void changeThumbGradientColors(std::vector<ui::Color> colors);

    void layoutSubviews() override;
    void awakeFromNib() override;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

private:
    void configure();
    void growFrame();
    void buildThumb();
    void layoutLabels(const std::vector<std::shared_ptr<ui::Label>>& labels);
    void layoutThumb();
    void fitRetitledLabel(ui::Label& label, int index, cg::Size fitting);
    void finishTouch(const ui::TouchSet& touches, bool cancelled);
    void moveThumb(cg::Point point, bool animated);
    void dragThumb(cg::Point point);
    cg::Point clamped(cg::Point point) const;
    // The index of the item label for a point; -1 only without items.
    int labelIndexFor(cg::Point point) const;
    double thumbWidthFor(cg::Point point) const;
    cg::Point labelCenter(int index) const;
    double paddingHeight() const;
    void reportDraggingState(DraggingState state);

    ui::Font defaultTextFont_;
    ui::Font selectedTextFont_;
    ui::Color defaultTextColor_;
    ui::Color selectedTextColor_;
    bool useGradient_ = true;
    ui::Color containerBackgroundColor_;
    ui::Color thumbColor_;
    std::optional<std::vector<ui::Color>> thumbGradientColors_;
    ui::Color thumbShadowColor_;
    bool useShadow_ = true;
    cg::Size padding_{30, 10};
    double segCornerRadius_ = -1;
    std::vector<ns::String> itemTitles_;
    bool allowDrag_ = true;
    bool allowChangeThumbWidth_ = true;

    std::optional<std::vector<ns::AttributedString>> attributedDefaultTitles_;
    std::optional<std::vector<ns::AttributedString>> attributedSelectedTitles_;
    std::shared_ptr<ui::View> containerView_;
    std::shared_ptr<ui::View> thumbContainerView_;
    std::shared_ptr<ui::View> thumbView_;
    std::shared_ptr<ui::View> selectedLabelsView_;
    bool isConfigurated_ = false;
    double lastPointX_ = 0;
    static constexpr double thumbPadding_ = 2;
    std::shared_ptr<ca::ShapeLayer> shadowLayer_;
    std::shared_ptr<ca::GradientLayer> gradientLayer_;
    bool allowToChangeThumb_ = false;
    bool allowMove_ = true;
    int selectInitialItem_ = 0;
    std::vector<std::shared_ptr<ui::Label>> allItemLabels_;
    std::vector<std::shared_ptr<ui::Label>> allSelectedItemLabels_;
};

} // namespace pellavo
