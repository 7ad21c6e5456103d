#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

class DotView;

// A loading indicator of four round dots in a row that grow and shrink one after
// another. show() puts it in the middle of the first window's root view and starts
// the dots; stop() fades them out and then removes the indicator. Built in code only.
class PELLAVO_EXPORT DotsLoadingView : public ui::View {
public:
    // Frame (0, 0, 150, 100), clear. No colours gives the four defaults; a list of any
    // length but four prints "You can set custom colors only if you set four colors."
    // and gives the defaults too.
    explicit DotsLoadingView(std::optional<std::vector<ui::Color>> colors = std::nullopt);
    std::string_view className() const override { return "DotsLoadingView"; }

    // One dot per colour, left to right, made at the next show(). Not checked here.
    const std::vector<ui::Color>& colors() const { return colors_; }
    void setColors(std::vector<ui::Color> colors) { colors_ = std::move(colors); }
    // Offered to hosts; the indicator itself stays clear.
    ui::Color loadingViewBackgroundColor() const { return ui::Color::white(); }

    // Adds the indicator to the first window's root view, centred on that view's
    // center, with a fresh set of dots (earlier sets stay). Without a window or a root
    // view controller there prints "Cannot show DotsLoadingView." and does nothing.
    void show();
    // Ends every dot's chain after its running step, fades the dots out over 0.5 s and
    // then removes the indicator, unless it was shown again meanwhile.
    void stop();

private:
    void startAnimation();

    const double delay_ = 0.25;
    const int length_ = 15;
    const ui::Color myBlue_;
    const ui::Color myRed_;
    const ui::Color myYellow_;
    const ui::Color myGreen_;
    std::vector<ui::Color> colors_;
    std::vector<std::shared_ptr<DotView>> dots_;
    // Counts show() calls, so that a fade begun before the latest one leaves it be.
    std::uint64_t showCount_ = 0;
};

} // namespace pellavo
