#include "platform/ui/control/Button.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/graphics/ImageEffects.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo::ui {
namespace {

constexpr double kTitleFontSize = 15;
constexpr unsigned kHighlighted = static_cast<unsigned>(Control::State::highlighted);

unsigned bits(Control::State state) { return static_cast<unsigned>(state); }

} // namespace

// Both initialisers store the same defaults: the frame one goes through a coder.
Button::Button(const cg::Rect& frame) : Button(ns::Coder::with(ns::Coder::frameKey, frame)) {}

Button::Button(const ns::Coder& coder) : Control(coder) { titleColors_.set(0, Color::white()); }

Button::Button(ButtonType) : Button(cg::Rect{}) {}

std::shared_ptr<Button> Button::make(ButtonType type) { return ns::make<Button>(type); }

// ---------------------------------------------------------------- per-state content

void Button::setTitle(std::optional<ns::String> title, State state) {
    if (titles_.set(bits(state), std::move(title))) updateContent();
}

void Button::setTitleColor(std::optional<Color> color, State state) {
    if (titleColors_.set(bits(state), std::move(color))) updateContent();
}

void Button::setImage(std::optional<Image> image, State state) {
    if (image && image->isEmpty()) image.reset();
    if (images_.set(bits(state), std::move(image))) updateContent();
}

void Button::setBackgroundImage(std::optional<Image> image, State state) {
    if (image && image->isEmpty()) image.reset();
    if (backgroundImages_.set(bits(state), std::move(image))) updateContent();
}

std::optional<ns::String> Button::title(State state) const { return titles_.value(bits(state)); }
std::optional<Image> Button::image(State state) const { return images_.value(bits(state)); }
std::optional<Image> Button::backgroundImage(State state) const { return backgroundImages_.value(bits(state)); }

std::optional<Color> Button::titleColor(State state) const {
    if (auto color = titleColors_.value(bits(state))) return color;
    return Color::white();
}

bool Button::hasExplicitImage(State state) const { return images_.exact(bits(state)) != nullptr; }

// ---------------------------------------------------------------- subviews

std::shared_ptr<Label> Button::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = ns::make<Label>();
        titleLabel_->setFont(Font::systemFont(kTitleFontSize));
        titleLabel_->setTextColor(currentTitleColor());
        titleLabel_->setText(currentTitle());
        addSubview(titleLabel_);
        setNeedsLayout();
    }
    return titleLabel_;
}

std::shared_ptr<ImageView> Button::imageView() {
    if (!imageView_) {
        imageView_ = ns::make<ImageView>();
        // Above the background, below the title.
        if (titleLabel_) {
            insertSubview(imageView_, static_cast<std::ptrdiff_t>(backgroundView_ ? 1 : 0));
        } else {
            addSubview(imageView_);
        }
        updateContent();
    }
    return imageView_;
}

void Button::setImageEdgeInsets(const EdgeInsets& insets) {
    if (!std::isfinite(insets.top) || !std::isfinite(insets.left) || !std::isfinite(insets.bottom) ||
        !std::isfinite(insets.right))
        return;
    change(imageEdgeInsets_, insets, Invalidate::layout);
}

void Button::setAdjustsImageWhenHighlighted(bool adjusts) {
    change(adjustsImageWhenHighlighted_, adjusts, Invalidate::nothing, [&] { updateContent(); });
}

void Button::setIsEnabled(bool enabled) {
    const bool changes = enabled != isEnabled();
    // Disabling clears a highlight (through setIsHighlighted) even when already disabled.
    Control::setIsEnabled(enabled);
    if (changes) updateContent();
}

void Button::setIsSelected(bool selected) {
    if (selected == isSelected()) return;
    Control::setIsSelected(selected);
    updateContent();
}

void Button::setIsHighlighted(bool highlighted) {
    if (highlighted == isHighlighted()) return;
    Control::setIsHighlighted(highlighted);
    updateContent();
}

void Button::tintColorDidChange() {
    Control::tintColorDidChange();
    updateContent();
}

Image Button::shownImage(const Image& image, bool darken, DarkCache& cache) {
    if (!darken) return image;
    const Color tint = tintColor();
    const bool isTemplate = image.renderingMode() == Image::RenderingMode::alwaysTemplate;
    if (cache.source != image.cgImage() || cache.mode != image.renderingMode() ||
        (isTemplate && !(cache.tint == tint)) || cache.darkened.scale() != image.scale()) {
        // A template image is tinted first so that the darkening shows.
        const Image source = isTemplate ? detail::tintedImage(image, tint) : image;
        cache = DarkCache{image.cgImage(), image.renderingMode(), tint, detail::darkenedImage(source)};
    }
    return cache.darkened;
}

void Button::updateContent() {
    const unsigned s = bits(state());
    const bool highlightDarkens = isHighlighted() && adjustsImageWhenHighlighted_;

    const auto title = titles_.value(s);
    if (title || titleLabel_) {
        auto label = titleLabel();
        label->setText(title);
        label->setTextColor(currentTitleColor());
    }

    const auto image = images_.value(s);
    if (image || imageView_) {
        const auto key = images_.lookupKey(s);
        const bool darken = highlightDarkens && key && (*key & kHighlighted) == 0;
        auto view = imageView();
        view->setImage(image ? std::optional<Image>(shownImage(*image, darken, darkImage_)) : std::nullopt);
    }

    const auto background = backgroundImages_.value(s);
    if (background && !backgroundView_) {
        backgroundView_ = ns::make<ImageView>();
        backgroundView_->setContentMode(ContentMode::scaleToFill);
        insertSubview(backgroundView_, 0);
    }
    if (backgroundView_) {
        const auto key = backgroundImages_.lookupKey(s);
        const bool darken = highlightDarkens && key && (*key & kHighlighted) == 0;
        backgroundView_->setImage(background ? std::optional<Image>(shownImage(*background, darken, darkBackground_))
                                             : std::nullopt);
    }
    setNeedsLayout();
}

// ---------------------------------------------------------------- layout

cg::Size Button::contentImageSize() const {
    const auto image = currentImage();
    return image ? image->size() : cg::Size();
}

cg::Size Button::titleSize() const {
    if (!titleLabel_) return {};
    const auto title = currentTitle();
    if (!title || title->isEmpty()) return {};
    return titleLabel_->sizeThatFits({0, 0});
}

void Button::layoutSubviews() {
    Control::layoutSubviews();
    const cg::Rect b = bounds().standardized();

    // The image keeps its size unless the button is too small for it; it never grows.
    cg::Size image = contentImageSize();
    if (image.width > 0 && image.height > 0 && (image.width > b.width() || image.height > b.height())) {
        const double scale = std::max(0.0, std::min(b.width() / image.width, b.height() / image.height));
        image = {image.width * scale, image.height * scale};
    }
    cg::Size title = titleSize();
    title.width = std::min(title.width, std::max(0.0, b.width() - image.width));

    const double total = image.width + title.width;
    double x = b.minX() + (b.width() - total) / 2;
    if (contentHorizontalAlignment() == ContentHorizontalAlignment::left) x = b.minX();
    if (contentHorizontalAlignment() == ContentHorizontalAlignment::right) x = b.maxX() - total;

    if (imageView_) {
        const cg::Rect place{x, b.midY() - image.height / 2, image.width, image.height};
        const cg::Rect inset = place.inset(imageEdgeInsets_);
        const double cx = inset.origin.x + inset.size.width / 2;
        const double cy = inset.origin.y + inset.size.height / 2;
        imageView_->setFrame({cx - image.width / 2, cy - image.height / 2, image.width, image.height});
    }
    if (titleLabel_) titleLabel_->setFrame({x + image.width, b.midY() - title.height / 2, title.width, title.height});
    if (backgroundView_) backgroundView_->setFrame(b);
}

cg::Size Button::sizeThatFits(cg::Size) const {
    const cg::Size image = contentImageSize();
    const cg::Size title = titleSize();
    return {image.width + title.width, std::max(image.height, title.height)};
}

cg::Size Button::intrinsicContentSize() const { return sizeThatFits({0, 0}); }

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files as soon as the library loads; its titles, title colours and
// images come from the file's <state> elements, its title font from "titleFont" (the title
// label's, so the label is made when the font is read or set).
[[maybe_unused]] const auto registration = ns::ClassRegistration<Button>("UIButton", "UIControl")
    .property<std::optional<Font>>(
        "titleFont", [](Button& button) { return button.titleLabel()->font(); },
        [](Button& button, std::optional<Font> font) { button.titleLabel()->setFont(std::move(font)); });

} // namespace

} // namespace pellavo::ui
