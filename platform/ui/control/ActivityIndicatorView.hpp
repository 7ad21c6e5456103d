#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

// Twelve spokes fading around a circle, turning once a second while animating.
// Hidden while stopped unless told otherwise; it starts stopped.
class PELLAVO_EXPORT ActivityIndicatorView : public View {
public:
    enum class Style { whiteLarge, white, gray };

    explicit ActivityIndicatorView(Style style = Style::white);
    std::string_view className() const override { return "UIActivityIndicatorView"; }

    Style activityIndicatorViewStyle() const { return style_; }
    void setActivityIndicatorViewStyle(Style style);

    // Adds an endless linear rotation under the key "spin".
    void startAnimating();
    // Removes it.
    void stopAnimating();
    bool isAnimating() const { return animating_; }
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);

    using View::draw;
    void draw(cg::Rect rect) override;
    // 20 × 20 (37 × 37 for the large style).
    cg::Size intrinsicContentSize() const override;
    cg::Size sizeThatFits(cg::Size size) const override;

protected:
    void init() override;

private:
    void addSpin();

    Style style_;
    bool animating_ = false;
    bool hidesWhenStopped_ = true;
};

} // namespace pellavo::ui
