// Visual formats over three views (one a label, so intrinsic sizes take part) with metrics
// from the input, NaN and the infinities among them: the constraints are activated, laid
// out and drawn. Every frame that layout assigns stays finite.

#include <memory>
#include <vector>

#include "fuzz/FuzzSupport.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/view/View.hpp"

using namespace pellavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    fuzz::Input input(data, size);
    const auto container = std::make_shared<ui::View>(cg::Rect{0, 0, 64, 48});
    const auto label = std::make_shared<ui::Label>();
    label->setText(ns::String(input.text(8)));
    const ui::LayoutConstraint::Views views{
        {"a", std::make_shared<ui::View>()}, {"b", label}, {"c", std::make_shared<ui::View>()}};
    for (const auto& [name, view] : views) {
        view->setTranslatesAutoresizingMaskIntoConstraints(false);
        container->addSubview(view);
    }
    const ui::LayoutConstraint::Metrics metrics{{"m", input.number()}, {"n", input.number()}, {"p", input.number()}};
    std::vector<std::shared_ptr<ui::LayoutConstraint>> all;
    for (int format = 0; format < 4 && !input.empty(); ++format) {
        // Mostly none: options are refused, and a refused format stops before layout.
        const auto options =
            static_cast<ui::LayoutConstraint::FormatOptions>(input.byte() % 8 == 7 ? input.integer(1, 0xFFFF) : 0);
        const ns::String text(input.text(96));
        const auto made = ui::LayoutConstraint::constraintsWithVisualFormat(text, options, metrics, views);
        all.insert(all.end(), made.begin(), made.end());
    }
    ui::LayoutConstraint::activate(all);
    container->layoutIfNeeded();
    for (const auto& [name, view] : views) fuzz::require(view->frame().isFinite(), "layout assigns finite frames");
    ca::Renderer renderer({64, 48}, 1);
    renderer.render(*container->layer());
    ui::LayoutConstraint::deactivate(all);
    session.requireNoInternalErrors();
    return 0;
}
