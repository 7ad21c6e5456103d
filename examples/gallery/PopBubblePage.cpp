// The pop bubble: four striped panels, each the container of one open bubble. Below a
// point with the defaults; above a point, red and rounder with a larger arrow; below a
// source view at the panel's left side, the arrow flush with the bubble's side; above a
// point over a light blur. A tap on a dimmed panel closes its bubble, a tap on a bare
// panel opens it again.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/PopBubble.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo::gallery {

namespace {

constexpr double kPanelWidth = 187.5;
constexpr double kPanelHeight = 300;

// A container that reopens its bubble when tapped bare.
class BubblePanel : public ui::Control {
public:
    using Control::Control;
    std::string_view className() const override { return "GalleryBubblePanel"; }

    std::function<void()> open;

protected:
    void init() override {
        Control::init();
        addTarget(sharedFromThis<BubblePanel>(), &BubblePanel::reopen, ui::Control::Event::touchUpInside);
    }

private:
    void reopen() {
        if (open) open();
    }
};

std::shared_ptr<BubblePanel> panel(ui::View& content, int column, int row, ui::Color light, ui::Color dark,
                                   double stripe = 20) {
    auto made = ns::make<BubblePanel>(cg::Rect{column * kPanelWidth, row * kPanelHeight, kPanelWidth, kPanelHeight});
    made->setClipsToBounds(true);
    made->setBackgroundColor(light);
    for (double y = 0; y < kPanelHeight; y += 2 * stripe) {
        auto band = ns::make<ui::View>(cg::Rect{0, y, kPanelWidth, stripe});
        band->setBackgroundColor(dark);
        band->setIsUserInteractionEnabled(false);
        made->addSubview(band);
    }
    content.addSubview(made);
    return made;
}

std::shared_ptr<ui::Label> label(cg::Size size, const std::string& text, ui::Color color) {
    auto made = ns::make<ui::Label>(cg::Rect{0, 0, size.width, size.height});
    made->setText(ns::String(text));
    made->setNumberOfLines(2);
    made->setFont(ui::Font::systemFont(14, ui::Font::Weight::semibold));
    made->setTextColor(color);
    made->setTextAlignment(ns::TextAlignment::center);
    return made;
}

// A small dot where an arrow points.
void mark(ui::View& panel, cg::Point point) {
    auto dot = ns::make<ui::View>(cg::Rect{point.x - 3, point.y - 3, 6, 6});
    dot->setBackgroundColor(ui::Color(0.1, 1));
    dot->layer()->setCornerRadius(3);
    dot->setIsUserInteractionEnabled(false);
    panel.addSubview(dot);
}

// Shows the bubble now and again whenever its bare panel is tapped.
void keepOpen(const std::shared_ptr<BubblePanel>& container, std::function<void(ui::View&)> show) {
    std::weak_ptr<BubblePanel> weak = container;
    container->open = [weak, show] {
        if (auto self = weak.lock()) show(*self);
    };
    container->open();
}

void build(ui::View& content) {
    const ui::Color black = ui::Color::black();
    const ui::Color white = ui::Color::white();

    auto below = panel(content, 0, 0, ui::Color(0.86, 0.92, 1, 1), ui::Color(0.72, 0.82, 0.96, 1));
    const cg::Point belowPoint{kPanelWidth / 2, 70};
    mark(*below, belowPoint);
    auto plain = ns::make<PopBubble>();
    auto plainText = label({160, 60}, "Below the point,\nthe defaults", black);
    keepOpen(below, [=](ui::View& self) { plain->show(plainText, belowPoint, self.sharedFromThis<ui::View>()); });

    auto above = panel(content, 1, 0, ui::Color(1, 0.93, 0.85, 1), ui::Color(0.98, 0.82, 0.66, 1));
    const cg::Point abovePoint{kPanelWidth / 2, 230};
    mark(*above, abovePoint);
    auto red = ns::make<PopBubble>(
        std::vector{PopBubbleOption::type(PopBubbleType::up), PopBubbleOption::color(ui::Color::red()),
                    PopBubbleOption::cornerRadius(12), PopBubbleOption::arrowSize({24, 14})},
        nullptr, nullptr);
    auto redText = label({150, 80}, "Above, red,\nround, big arrow", white);
    keepOpen(above, [=](ui::View& self) { red->show(redText, abovePoint, self.sharedFromThis<ui::View>()); });

    auto flush = panel(content, 0, 1, ui::Color(0.88, 0.96, 0.88, 1), ui::Color(0.74, 0.9, 0.74, 1));
    auto source = ns::make<ui::View>(cg::Rect{0, 40, 40, 30});
    source->setBackgroundColor(ui::Color(0.2, 0.55, 0.3, 1));
    source->setIsUserInteractionEnabled(false);
    flush->addSubview(source);
    auto side = ns::make<PopBubble>();
    auto sideText = label({140, 60}, "Flush with\nthe left side", black);
    keepOpen(flush, [=](ui::View& self) { side->show(sideText, source, self.sharedFromThis<ui::View>()); });

    auto blurred = panel(content, 1, 1, ui::Color(0.95, 0.86, 1, 1), ui::Color(0.5, 0.25, 0.7, 1), 60);
    const cg::Point blurPoint{kPanelWidth / 2, 250};
    mark(*blurred, blurPoint);
    auto frosted = ns::make<PopBubble>(
        std::vector{PopBubbleOption::overlayBlur(ui::BlurEffect::Style::light), PopBubbleOption::type(PopBubbleType::up)},
        nullptr, nullptr);
    auto frostedText = label({150, 70}, "Above, over\na light blur", black);
    keepOpen(blurred, [=](ui::View& self) { frosted->show(frostedText, blurPoint, self.sharedFromThis<ui::View>()); });
}

const PageRegistration registration{{"PopBubble", "Pop bubble", build, 1}};

} // namespace

} // namespace pellavo::gallery
