#pragma once

#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

// Shows an image as its layer's contents, placed by the content mode, so the
// picture follows the layer's (also animated) bounds. A template image draws as
// its alpha filled with the tint colour. Takes no touches unless told to.
class PELLAVO_EXPORT ImageView : public View {
public:
    explicit ImageView(const cg::Rect& frame = {});
    // Sized to the image.
    explicit ImageView(std::optional<Image> image);
    std::string_view className() const override { return "UIImageView"; }

    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image);

    // The image's size; (-1, -1) without one.
    cg::Size intrinsicContentSize() const override;
    cg::Size sizeThatFits(cg::Size size) const override;
    void tintColorDidChange() override;

protected:
    void init() override;

private:
    void updateContents();

    std::optional<Image> image_;
    // The last template rendering, for the image and tint it was made from.
    struct TintCache {
        std::shared_ptr<const cg::Image> source;
        Color tint;
        Image tinted;
    };
    std::optional<TintCache> tintCache_;
};

} // namespace pellavo::ui
