#include "pellavo/VXSegmentedControl.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ca/Transaction.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/text/StringDrawing.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchSet.hpp"

namespace pellavo {

namespace {

constexpr double greatestFinite = std::numeric_limits<double>::max();
// How long a snap moves the views, and (longer) the shadow and gradient layers.
constexpr double viewSnapSeconds = 0.3;
constexpr double layerSnapSeconds = 0.4;
// How far past the first and last centre a finger may drag the thumb.
constexpr double dragOvershoot = 0.1;

double finiteOr(double value, double fallback) { return std::isfinite(value) ? value : fallback; }

void setWidth(ui::View& view, double width) {
    cg::Rect frame = view.frame();
    frame.size.width = width;
    view.setFrame(frame);
}

void setHeight(ui::View& view, double height) {
    cg::Rect frame = view.frame();
    frame.size.height = height;
    view.setFrame(frame);
}

void setOriginX(ui::View& view, double x) {
    cg::Rect frame = view.frame();
    frame.origin.x = x;
    view.setFrame(frame);
}

void setOriginY(ui::View& view, double y) {
    cg::Rect frame = view.frame();
    frame.origin.y = y;
    view.setFrame(frame);
}

// The clipping view shows the selected labels at their container coordinates: its
// bounds origin follows its frame origin, both at the thumb's x.
void alignSelectedLabels(ui::View& view, double x, double width) {
    const cg::Rect bounds = view.bounds();
    view.setBounds({x, bounds.origin.y, width, bounds.size.height});
    setOriginX(view, x);
}

ns::AttributedString styled(const ns::String& title, const ui::Color& color, const ui::Font& font) {
    return ns::AttributedString(title, {{ns::AttributedStringKey::foregroundColor, ns::Value::of(color)},
                                        {ns::AttributedStringKey::font, ns::Value::of(font)}});
}

std::vector<cg::Color> cgColors(const std::vector<ui::Color>& colors) {
    std::vector<cg::Color> out;
    out.reserve(colors.size());
    for (const auto& color : colors) out.push_back(color.cgColor());
    return out;
}

// Creatable by name with its appearance settable by key, as interface files need.
using C = VXSegmentedControl;
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<C>("VXSegmentedControl", "UIView")
        .property<ui::Font>("defaultTextFont", &C::defaultTextFont, &C::setDefaultTextFont)
        .property<ui::Font>("selectedTextFont", &C::selectedTextFont, &C::setSelectedTextFont)
        .property<ui::Color>("defaultTextColor", &C::defaultTextColor, &C::setDefaultTextColor)
        .property<ui::Color>("selectedTextColor", &C::selectedTextColor, &C::setSelectedTextColor)
        .property<ui::Color>("containerBackgroundColor", &C::containerBackgroundColor,
                             &C::setContainerBackgroundColor)
        .property<ui::Color>("thumbColor", &C::thumbColor, &C::setThumbColor)
        .property<ui::Color>("thumbShadowColor", &C::thumbShadowColor, &C::setThumbShadowColor)
        .property<bool>("useGradient", &C::useGradient, &C::setUseGradient)
        .property<bool>("useShadow", &C::useShadow, &C::setUseShadow)
        .property<std::optional<std::vector<ui::Color>>>("thumbGradientColors", &C::thumbGradientColors,
                                                         &C::setThumbGradientColors)
        .property<cg::Size>("padding", &C::padding, &C::setPadding)
        .property<double>("segCornerRadius", &C::segCornerRadius, &C::setSegCornerRadius);

} // namespace

std::optional<VXSegmentedControl::DraggingState> VXSegmentedControl::draggingStateFromRawValue(int raw) {
    switch (raw) {
    case 0: return DraggingState::none;
    case 1: return DraggingState::dragging;
    case 2: return DraggingState::cancel;
    default: return std::nullopt;
    }
}

ui::Color VXSegmentedControl::UIColorFromRGB(std::uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1};
}

// Both initialisers store the same defaults: the frame one goes through a coder.
VXSegmentedControl::VXSegmentedControl(const cg::Rect& frame) : VXSegmentedControl(ns::Coder::with(ns::Coder::frameKey, frame)) {}

VXSegmentedControl::VXSegmentedControl(const ns::Coder& coder)
    : View(coder),
      defaultTextFont_("HelveticaNeue-Light", 12),
      selectedTextFont_("HelveticaNeue-Light", 12),
      defaultTextColor_(ui::Color::black()),
      selectedTextColor_(ui::Color::white()),
      containerBackgroundColor_(UIColorFromRGB(0xF4F4F4)),
      thumbColor_(ui::Color::clear()),
      thumbGradientColors_(std::vector<ui::Color>{UIColorFromRGB(0xFFE900), UIColorFromRGB(0xFFB400)}),
      thumbShadowColor_(UIColorFromRGB(0x9B9B9B)),
      itemTitles_{"Item1", "Item2"},
      containerView_(ns::make<ui::View>()),
      thumbContainerView_(ns::make<ui::View>()),
      thumbView_(ns::make<ui::View>()),
      selectedLabelsView_(ns::make<ui::View>()),
      shadowLayer_(ns::make<ca::ShapeLayer>()),
      gradientLayer_(ns::make<ca::GradientLayer>()) {}

void VXSegmentedControl::awakeFromNib() { View::awakeFromNib(); }

// ------------------------------------------------------------------ configuration

void VXSegmentedControl::layoutSubviews() {
    View::layoutSubviews();
    // Configured once: later passes (a new size, new properties) change nothing.
    if (isConfigurated_) return;
    configure();
}

void VXSegmentedControl::configure() {
    isConfigurated_ = true;

    std::vector<ns::AttributedString> defaults;
    std::vector<ns::AttributedString> selected;
    for (const auto& title : itemTitles_) {
        defaults.push_back(styled(title, defaultTextColor_, defaultTextFont_));
        selected.push_back(styled(title, selectedTextColor_, selectedTextFont_));
    }
    attributedDefaultTitles_ = std::move(defaults);
    attributedSelectedTitles_ = std::move(selected);

    growFrame();

    containerView_->setBackgroundColor(containerBackgroundColor_);
    addSubview(containerView_);

    const auto makeLabels = [](const std::vector<ns::AttributedString>& titles, ui::View& into,
                               std::vector<std::shared_ptr<ui::Label>>& labels) {
        for (std::size_t i = 0; i < titles.size(); ++i) {
            auto label = ns::make<ui::Label>();
            label->setTextAlignment(ns::TextAlignment::center);
            label->setNumberOfLines(0);
            label->setAttributedText(titles[i]);
            label->setTag(static_cast<int>(i));
            into.addSubview(label);
            labels.push_back(std::move(label));
        }
    };
    makeLabels(*attributedDefaultTitles_, *containerView_, allItemLabels_);

    buildThumb();

    selectedLabelsView_->setBackgroundColor(ui::Color::clear());
    selectedLabelsView_->setClipsToBounds(true);
    selectedLabelsView_->setIsUserInteractionEnabled(false);
    containerView_->addSubview(selectedLabelsView_);
    makeLabels(*attributedSelectedTitles_, *selectedLabelsView_, allSelectedItemLabels_);

    containerView_->setFrame(bounds());
    const double radius = finiteOr(segCornerRadius_, -1);
    containerView_->layer()->setCornerRadius(radius < 0 ? containerView_->bounds().height() / 2 : radius);
    selectedLabelsView_->setFrame(containerView_->bounds());

    layoutLabels(allItemLabels_);
    layoutLabels(allSelectedItemLabels_);
    layoutThumb();

    selectItemAt(selectInitialItem_, false);

    for (const auto& subview : subviews()) subview->setIsExclusiveTouch(true);
}

void VXSegmentedControl::growFrame() {
    double widest = 0;
    double tallest = 0;
    for (const auto* titles : {&*attributedDefaultTitles_, &*attributedSelectedTitles_}) {
        for (const auto& title : *titles) {
            const cg::Rect used = ui::boundingRect(title, {greatestFinite, greatestFinite},
                                                   ui::StringDrawingOptions::usesLineFragmentOrigin);
            widest = std::max(widest, used.size.width);
            tallest = std::max(tallest, used.size.height);
        }
    }
    const auto count = static_cast<double>(itemTitles_.size());
    const double width = count * (widest + finiteOr(padding_.width, 0));
    const double height = tallest + paddingHeight();
    // Only ever grows; width first, then height, the origin kept.
    if (width > frame().width()) setWidth(*this, width);
    if (height > frame().height()) setHeight(*this, height);
    containerView_->setFrame(bounds());
}

void VXSegmentedControl::buildThumb() {
    containerView_->addSubview(thumbContainerView_);
    thumbContainerView_->addSubview(thumbView_);
    thumbContainerView_->setBackgroundColor(ui::Color::clear());
    thumbView_->setBackgroundColor(thumbColor_);
    // Both start with zero frames, so the thumb always has its container's width.
    thumbView_->setAutoresizingMask(AutoresizingMask::flexibleWidth | AutoresizingMask::flexibleHeight);

    if (useShadow_) {
        shadowLayer_->setShadowColor(thumbShadowColor_.cgColor());
        shadowLayer_->setBackgroundColor(thumbColor_.cgColor());
        shadowLayer_->setShadowOffset({0, 1});
        shadowLayer_->setShadowOpacity(0.6f);
        shadowLayer_->setShadowRadius(3);
        shadowLayer_->setMasksToBounds(false);
        thumbContainerView_->layer()->insertSublayer(shadowLayer_, 0);
    }
    if (thumbGradientColors_ && useGradient_) {
        gradientLayer_->setStartPoint({0.5, 0});
        gradientLayer_->setEndPoint({0.5, 1});
        gradientLayer_->setBackgroundColor(thumbColor_.cgColor());
        gradientLayer_->setColors(cgColors(*thumbGradientColors_));
        thumbView_->setBackgroundColor(ui::Color::clear());
        thumbView_->layer()->addSublayer(gradientLayer_);
    }
}

void VXSegmentedControl::layoutLabels(const std::vector<std::shared_ptr<ui::Label>>& labels) {
    if (labels.empty()) return;
    const double section = frame().width() / static_cast<double>(labels.size());
    const double height = frame().height();
    for (const auto& label : labels) label->sizeToFit();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const double width = std::min(section, labels[i]->frame().width());
        labels[i]->setFrame({(section - width) * 0.5 + section * static_cast<double>(i), 0, width, height});
    }
}

void VXSegmentedControl::layoutThumb() {
    const double height = containerView_->frame().height();
    setOriginY(*thumbContainerView_, 0);
    setHeight(*thumbContainerView_, height);

    setHeight(*thumbView_, std::max(0.0, height - 2 * thumbPadding_));
    const double radius = finiteOr(segCornerRadius_, -1);
    thumbView_->layer()->setCornerRadius(radius < 0 ? thumbView_->frame().height() / 2 : radius);
    setOriginY(*thumbView_, thumbPadding_);

    shadowLayer_->setFrame(thumbView_->bounds());
    shadowLayer_->setCornerRadius(thumbView_->layer()->cornerRadius());
    if (thumbGradientColors_) {
        gradientLayer_->setFrame(thumbView_->bounds());
        gradientLayer_->setCornerRadius(thumbView_->layer()->cornerRadius());
    }
}

// ------------------------------------------------------------------ geometry rules

double VXSegmentedControl::paddingHeight() const { return finiteOr(padding_.height, 0); }

cg::Point VXSegmentedControl::labelCenter(int index) const {
    return allItemLabels_[static_cast<std::size_t>(index)]->center();
}

int VXSegmentedControl::labelIndexFor(cg::Point point) const {
    const int count = static_cast<int>(allItemLabels_.size());
    if (count == 0) return -1;
    const cg::Size size = containerView_->frame().size;
    // std::max keeps the lower bound for NaN.
    const double x = std::min(size.width - thumbPadding_, std::max(thumbPadding_, point.x));
    const double section = size.width / count;
    if (!(section > 0) || !std::isfinite(section) || !std::isfinite(x)) return 0;
    const double segment = std::trunc(x / section);
    const cg::Point center{section * (segment + 1) - section * 0.5, size.height * 0.5};
    for (int i = 0; i < count; ++i) {
        if (allItemLabels_[static_cast<std::size_t>(i)]->frame().contains(center)) return i;
    }
    // An empty title has no frame to contain the centre: the segment's own label.
    return static_cast<int>(std::clamp(segment, 0.0, static_cast<double>(count - 1)));
}

double VXSegmentedControl::thumbWidthFor(cg::Point point) const {
    const double width = containerView_->frame().width();
    double thumb = 0;
    if (!allowChangeThumbWidth_) {
        thumb = width / static_cast<double>(allItemLabels_.size()) - 2 * thumbPadding_;
    } else {
        const int index = labelIndexFor(point);
        const auto& label = *allItemLabels_[static_cast<std::size_t>(index)];
        double base = 0;
        if (index == 0)
            base = 2 * label.center().x;
        else if (index == static_cast<int>(allItemLabels_.size()) - 1)
            base = 2 * (width - label.center().x);
        else
            base = label.frame().width() + paddingHeight();
        thumb = std::max(base, containerView_->frame().height()) - 2 * thumbPadding_;
    }
    return std::max(0.0, thumb);
}

cg::Point VXSegmentedControl::clamped(cg::Point point) const {
    const double last = labelCenter(static_cast<int>(allItemLabels_.size()) - 1).x;
    double x = std::min(point.x, last + dragOvershoot);
    x = std::max(labelCenter(0).x - dragOvershoot, x);
    return {x, containerView_->frame().height() / 2};
}

// ------------------------------------------------------------------ moving the thumb

void VXSegmentedControl::moveThumb(cg::Point point, bool animated) {
    lastPointX_ = point.x;
    const cg::Point center = labelCenter(labelIndexFor(point));
    setHeight(*thumbContainerView_, containerView_->frame().height());
    const double width = thumbWidthFor(point);
    const double x = center.x - width * 0.5;

    // Standalone layers: they follow over the layer duration by implicit animation.
    ca::Transaction::begin();
    ca::Transaction::setAnimationDuration(animated ? layerSnapSeconds : 0);
    const double height = std::max(0.0, thumbContainerView_->frame().height() - 2 * thumbPadding_);
    shadowLayer_->setFrame({0, thumbPadding_, width, height});
    gradientLayer_->setFrame(shadowLayer_->bounds());
    ca::Transaction::commit();

    const std::weak_ptr<VXSegmentedControl> weak = weakFromThis<VXSegmentedControl>();
    const auto changes = [weak, width, center, x] {
        const auto self = weak.lock();
        if (!self) return;
        setWidth(*self->thumbContainerView_, width);
        self->thumbContainerView_->setCenter(center);
        alignSelectedLabels(*self->selectedLabelsView_, x, width);
    };
    if (animated)
        View::animate(viewSnapSeconds, changes);
    else
        changes();
}

void VXSegmentedControl::dragThumb(cg::Point point) {
    const bool movingRight = lastPointX_ < point.x;
    lastPointX_ = point.x;

    const int last = static_cast<int>(allItemLabels_.size()) - 1;
    const int index = labelIndexFor(point);
    const double center = labelCenter(index).x;
    // The neighbours the finger lies between; one item is its own neighbour.
    int left = index;
    int right = index;
    if (last > 0) {
        if ((center > point.x && index != 0) || index == last)
            left = index - 1;
        else if ((center < point.x && index != last) || index == 0)
            right = index + 1;
    }

    double width = 0;
    if (!allowChangeThumbWidth_) {
        width = thumbWidthFor(point);
    } else {
        int from = movingRight ? left : right;
        int to = movingRight ? right : left;
        if (labelCenter(0).x > point.x)
            from = to = 0;
        else if (labelCenter(last).x < point.x)
            from = to = last;
        const double fromWidth = thumbWidthFor(labelCenter(from));
        const double lo = std::min(labelCenter(from).x, labelCenter(to).x);
        const double hi = std::max(labelCenter(from).x, labelCenter(to).x);
        const double offset = std::clamp(point.x, lo, hi) - lo;
        if (offset == 0) {
            width = fromWidth;
        } else {
            // From the left neighbour's width at its centre to the right one's at its
            // centre, whichever way the finger moves.
            const double leftWidth = thumbWidthFor(labelCenter(left));
            const double rightWidth = thumbWidthFor(labelCenter(right));
            width = leftWidth + (rightWidth - leftWidth) * offset / (hi - lo);
        }
    }

    setWidth(*thumbContainerView_, width);
    const double centerX = std::clamp(point.x, labelCenter(0).x, labelCenter(last).x);
    thumbContainerView_->setCenter({centerX, thumbContainerView_->center().y});
    const cg::Rect thumb = thumbContainerView_->frame();
    alignSelectedLabels(*selectedLabelsView_, thumb.origin.x, thumb.size.width);

    ca::Transaction::begin();
    ca::Transaction::setAnimationDuration(0);
    shadowLayer_->setFrame({0, thumbPadding_, thumbView_->bounds().width(), thumbView_->frame().height()});
    gradientLayer_->setFrame(shadowLayer_->bounds());
    ca::Transaction::commit();
}

// ------------------------------------------------------------------ selection and titles

int VXSegmentedControl::currentIndex() const {
    if (!isConfigurated_ || allItemLabels_.empty()) return 0;
    return labelIndexFor(thumbContainerView_->center());
}

void VXSegmentedControl::selectItemAt(int index, bool animated) {
    if (!isConfigurated_) {
        selectInitialItem_ = index;
        return;
    }
    if (allItemLabels_.empty()) return;
    const int last = static_cast<int>(allItemLabels_.size()) - 1;
    moveThumb(labelCenter(std::clamp(index, 0, last)), animated);
}

void VXSegmentedControl::fitRetitledLabel(ui::Label& label, int index, cg::Size fitting) {
    const double section = containerView_->frame().width() / static_cast<double>(allItemLabels_.size());
    const cg::Size fit = label.sizeThatFits(fitting);
    const double width = std::min(fit.width, section);
    const double height = std::min(fit.height, thumbView_->frame().height());
    label.setFrame({section * index + (section - width) * 0.5, (containerView_->frame().height() - height) * 0.5,
                    width, height});
}

void VXSegmentedControl::changeTitle(const ns::String& title, int atIndex) {
    if (!isConfigurated_ || atIndex < 0 || atIndex >= static_cast<int>(allItemLabels_.size())) return;
    const auto i = static_cast<std::size_t>(atIndex);
    auto& normal = *allItemLabels_[i];
    auto& selected = *allSelectedItemLabels_[i];
    const auto normalText = styled(title, defaultTextColor_, defaultTextFont_);
    const auto selectedText = styled(title, selectedTextColor_, selectedTextFont_);
    normal.setAttributedText(normalText);
    selected.setAttributedText(selectedText);
    fitRetitledLabel(normal, atIndex, {greatestFinite, greatestFinite});
    fitRetitledLabel(selected, atIndex, {greatestFinite, greatestFinite});
    (*attributedDefaultTitles_)[i] = normal.attributedText().value_or(normalText);
    (*attributedSelectedTitles_)[i] = selected.attributedText().value_or(selectedText);
    itemTitles_[i] = title;
}

void VXSegmentedControl::changeAttributedTitle(const ns::AttributedString& title,
                                               std::optional<ns::AttributedString> selectedTile, int atIndex) {
    if (!isConfigurated_ || atIndex < 0 || atIndex >= static_cast<int>(allItemLabels_.size())) return;
    const auto i = static_cast<std::size_t>(atIndex);
    auto& normal = *allItemLabels_[i];
    auto& selected = *allSelectedItemLabels_[i];
    // Without a selected title the plain one stays readable under the thumb.
    const ns::AttributedString selectedText = selectedTile.value_or(title);
    normal.setAttributedText(title);
    selected.setAttributedText(selectedText);
    const cg::Size fitting{greatestFinite, containerView_->frame().height() - 5};
    fitRetitledLabel(normal, atIndex, fitting);
    fitRetitledLabel(selected, atIndex, fitting);
    (*attributedDefaultTitles_)[i] = normal.attributedText().value_or(title);
    (*attributedSelectedTitles_)[i] = selected.attributedText().value_or(selectedText);
}

ns::String VXSegmentedControl::titleForItemAtIndex(int index) const {
    if (!attributedDefaultTitles_ || index < 0 || index >= static_cast<int>(attributedDefaultTitles_->size()))
        return {};
    return (*attributedDefaultTitles_)[static_cast<std::size_t>(index)].string();
}

VXSegmentedControl::AttributedTitles VXSegmentedControl::attributedTitleAtIndex(int index) const {
    if (!attributedDefaultTitles_ || index < 0 || index >= static_cast<int>(attributedDefaultTitles_->size()))
        return {};
    const auto i = static_cast<std::size_t>(index);
    return {(*attributedDefaultTitles_)[i], (*attributedSelectedTitles_)[i]};
}

void VXSegmentedControl::changeThumbShadowColor(ui::Color color) {
    if (!isConfigurated_) return;
    thumbShadowColor_ = color;
    shadowLayer_->setShadowColor(color.cgColor());
}

void VXSegmentedControl::changeThumbColor(ui::Color color) {
    if (!isConfigurated_) return;
    thumbColor_ = color;
    thumbView_->setBackgroundColor(color);
}

void VXSegmentedControl::changeBackgroundColor(ui::Color color) {
    if (!isConfigurated_) return;
    containerBackgroundColor_ = color;
    containerView_->setBackgroundColor(color);
}

void VXSegmentedControl::changeThumbGradientColors(std::vector<ui::Color> colors) {
    gradientLayer_->setColors(cgColors(colors));
    thumbGradientColors_ = std::move(colors);
}

// ------------------------------------------------------------------ touches

// Touches need items to land on: before configuration, or without items, they are
// ignored. The overrides never pass touches on.
void VXSegmentedControl::touchesBegan(const ui::TouchSet& touches, const ui::Event*) {
    if (!isConfigurated_ || allItemLabels_.empty()) return;
    const auto touch = touches.first();
    if (!touch) return;
    const cg::Point point = touch->location(this);
    allowToChangeThumb_ = allItemLabels_.size() == 2;
    // The model frame: during a snap, where the thumb is going.
    allowMove_ = thumbContainerView_->frame().contains(point);
}

void VXSegmentedControl::touchesMoved(const ui::TouchSet& touches, const ui::Event*) {
    if (!isConfigurated_ || allItemLabels_.empty() || !allowDrag_) return;
    const auto self = sharedFromThis<VXSegmentedControl>();
    reportDraggingState(DraggingState::dragging);
    const auto touch = touches.first();
    if (!touch || !allowMove_) return;
    allowToChangeThumb_ = false;
    dragThumb(clamped(touch->location(this)));
}

void VXSegmentedControl::touchesEnded(const ui::TouchSet& touches, const ui::Event*) { finishTouch(touches, false); }

void VXSegmentedControl::touchesCancelled(const ui::TouchSet& touches, const ui::Event*) {
    finishTouch(touches, true);
}

void VXSegmentedControl::finishTouch(const ui::TouchSet& touches, bool cancelled) {
    if (!isConfigurated_ || allItemLabels_.empty()) return;
    const auto self = sharedFromThis<VXSegmentedControl>();
    reportDraggingState(cancelled ? DraggingState::cancel : DraggingState::none);

    cg::Point target;
    if (const auto touch = touches.first())
        target = touch->location(this);
    else if (cancelled)
        target = containerView_->center();
    else
        return;

    // A two-item control toggles on any touch that did not drag the thumb.
    if (allItemLabels_.size() == 2 && allowToChangeThumb_)
        target = labelCenter(labelIndexFor(thumbContainerView_->center()) == 1 ? 0 : 1);

    moveThumb(clamped(target), true);

    const auto& label = *allItemLabels_[static_cast<std::size_t>(labelIndexFor(target))];
    const auto callback = didSelectItemWith;
    if (callback) callback(label.tag(), label.text().value_or(ns::String()));
    allowToChangeThumb_ = false;
}

void VXSegmentedControl::reportDraggingState(DraggingState state) {
    const auto callback = didChangeDraggingState;
    if (callback) callback(state);
}

} // namespace pellavo
