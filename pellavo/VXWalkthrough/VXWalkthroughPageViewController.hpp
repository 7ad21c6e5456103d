#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "pellavo/VXWalkthrough/VXWalkthroughPage.hpp"
#include "platform/ui/controller/ViewController.hpp"

namespace pellavo {

// How a walkthrough page moves its subviews as it scrolls past the centre.
enum class WalkthroughAnimationType {
    Linear,  // a straight slide, to one side before the centre and to the other after it
    Curve,   // a slide along a cubic of the offset
    Zoom,    // a uniform scale, no slide
    InOut,   // a straight slide, to the same side before and after the centre
};

// "Linear", "Curve", "Zoom", "InOut".
PELLAVO_EXPORT std::string_view rawValue(WalkthroughAnimationType type);
// The case whose raw value is exactly `text` (case-sensitive); none otherwise.
PELLAVO_EXPORT std::optional<WalkthroughAnimationType> walkthroughAnimationTypeFromRawValue(std::string_view text);

// A ready-made walkthrough page: while the pager scrolls, it moves, scales and fades the
// direct subviews of its view, each at its own speed, for a parallax effect. The speeds
// are recorded once, when the view loads; subviews added later are not animated.
class PELLAVO_EXPORT VXWalkthroughPageViewController : public ui::ViewController, public VXWalkthroughPage {
public:
    VXWalkthroughPageViewController();
    VXWalkthroughPageViewController(std::optional<ns::String> nibName, std::optional<ns::Bundle> bundle);
    explicit VXWalkthroughPageViewController(const ns::Coder& coder);
    std::string_view className() const override { return "VXWalkthroughPageViewController"; }

    // The base speed, per unit of offset. Loading adds the variance once per subview,
    // so afterwards it reads the initial value plus subviews × variance.
    cg::Point speed() const { return speed_; }
    void setSpeed(cg::Point speed) { speed_ = speed; }
    cg::Point speedVariance() const { return speedVariance_; }
    void setSpeedVariance(cg::Point variance) { speedVariance_ = variance; }
    // Also fade the subviews (static ones included) with the distance from the centre.
    bool animateAlpha() const { return animateAlpha_; }
    void setAnimateAlpha(bool animate) { animateAlpha_ = animate; }

    // The style's raw value; any text but the four raw values is ignored.
    ns::String animationType() const;
    void setAnimationType(const ns::String& type);
    // The tags of the subviews that never move or scale, as "3,7" ("" for none). A text
    // that is not a comma-separated list of decimal integers (optional sign, no blanks,
    // within 64 bits) is ignored as a whole; "" clears the list.
    ns::String staticTags() const;
    void setStaticTags(const ns::String& tags);

    void viewDidLoad() override;
    // Transforms (and with animateAlpha fades) the subviews for the relative offset.
    // A non-finite offset does nothing.
    void walkthroughDidScroll(double to, double offset) override;

private:
    WalkthroughAnimationType animation_ = WalkthroughAnimationType::Linear;
    // One speed per direct subview, in subview order, recorded when the view loaded.
    std::vector<cg::Point> subviewsSpeed_;
    std::vector<std::int64_t> notAnimatableViews_;
    cg::Point speed_;
    cg::Point speedVariance_;
    bool animateAlpha_ = false;
};

} // namespace pellavo
