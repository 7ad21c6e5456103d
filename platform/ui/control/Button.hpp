#pragma once

#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/view/EdgeInsets.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/control/ControlStateTable.hpp"

namespace pellavo::ui {

class ImageView;
class Label;

enum class ButtonType { custom };

// A control showing a title and an image side by side over a stretched
// background image, each chosen per state: the exact state, then highlighted,
// selected and disabled as they apply, then normal.
class PELLAVO_EXPORT Button : public Control {
public:
    explicit Button(const cg::Rect& frame = {});
    // As Control's (the decoded frame and subviews), with the frame constructor's defaults.
    explicit Button(const ns::Coder& coder);
    explicit Button(ButtonType type);
    static std::shared_ptr<Button> make(ButtonType type);
    std::string_view className() const override { return "UIButton"; }

    ButtonType buttonType() const { return ButtonType::custom; }

    // ---- per-state content; none removes the value set for exactly that state
    void setTitle(std::optional<ns::String> title, State state);
    void setTitleColor(std::optional<Color> color, State state);
    void setImage(std::optional<Image> image, State state);
    void setBackgroundImage(std::optional<Image> image, State state);
    // An unset state answers with the normal value itself. The normal title colour is white.
    std::optional<ns::String> title(State state) const;
    std::optional<Color> titleColor(State state) const;
    std::optional<Image> image(State state) const;
    std::optional<Image> backgroundImage(State state) const;
    std::optional<ns::String> currentTitle() const { return title(state()); }
    std::optional<Color> currentTitleColor() const { return titleColor(state()); }
    std::optional<Image> currentImage() const { return image(state()); }
    std::optional<Image> currentBackgroundImage() const { return backgroundImage(state()); }
    // True only when an image was set for exactly this state.
    bool hasExplicitImage(State state) const;

    // Made on first use.
    std::shared_ptr<Label> titleLabel();
    std::shared_ptr<ImageView> imageView();

    EdgeInsets imageEdgeInsets() const { return imageEdgeInsets_; }
    // The image is centred in its place minus these insets. Non-finite insets are ignored.
    void setImageEdgeInsets(const EdgeInsets& insets);
    // Highlighted without an image of its own for that, the image and the background
    // image draw darkened (colour × 0.55).
    bool adjustsImageWhenHighlighted() const { return adjustsImageWhenHighlighted_; }
    void setAdjustsImageWhenHighlighted(bool adjusts);

    void setIsEnabled(bool enabled) override;
    void setIsSelected(bool selected) override;
    void setIsHighlighted(bool highlighted) override;

    void layoutSubviews() override;
    // The image and title side by side.
    cg::Size sizeThatFits(cg::Size size) const override;
    cg::Size intrinsicContentSize() const override;
    void tintColorDidChange() override;

private:
    // Shows the current state's title, colour and images.
    void updateContent();
    // The image as shown: darkened when the highlight asks for it.
    struct DarkCache;
    Image shownImage(const Image& image, bool darken, DarkCache& cache);
    cg::Size contentImageSize() const;
    cg::Size titleSize() const;

    detail::ControlStateTable<ns::String> titles_;
    detail::ControlStateTable<Color> titleColors_;
    detail::ControlStateTable<Image> images_;
    detail::ControlStateTable<Image> backgroundImages_;
    EdgeInsets imageEdgeInsets_;
    bool adjustsImageWhenHighlighted_ = true;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<ImageView> backgroundView_;

    // Darkened renderings of the last images darkened, by source pixels.
    struct DarkCache {
        std::shared_ptr<const cg::Image> source;
        Image::RenderingMode mode = Image::RenderingMode::automatic;
        Color tint;
        Image darkened;
    };
    DarkCache darkImage_;
    DarkCache darkBackground_;
};

} // namespace pellavo::ui
