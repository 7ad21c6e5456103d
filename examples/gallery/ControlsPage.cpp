// The toolkit's own controls, live: buttons, a slider, a page control, spinners and blur.
#include <cmath>
#include <cstdio>

#include "examples/gallery/Gallery.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ui/control/ActivityIndicatorView.hpp"
#include "platform/ui/control/BlurEffect.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/control/PageControl.hpp"
#include "platform/ui/control/Slider.hpp"
#include "platform/ui/control/VisualEffectView.hpp"

namespace pellavo::gallery {

namespace {

using State = ui::Control::State;
using ControlEvent = ui::Control::Event;

std::shared_ptr<ui::Label> label(cg::Rect frame, const std::string& text, ui::Font font, ui::Color color) {
    auto view = ns::make<ui::Label>(frame);
    view->setText(ns::String(text));
    view->setFont(std::move(font));
    view->setTextColor(color);
    return view;
}

std::shared_ptr<ui::Label> heading(double y, const std::string& text) {
    return label({16, y, 343, 18}, text, ui::Font::systemFont(13, ui::Font::Weight::semibold), ui::Color(0.45, 1));
}

// The page itself: the controls' target, so it lives exactly as long as they are shown.
class ControlsBoard : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryControlsBoard"; }

    void tapped() {
        ++taps_;
        status_->setText(ns::String("Tapped " + std::to_string(taps_) + (taps_ == 1 ? " time" : " times")));
    }
    void slid(ui::Slider& slider) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", static_cast<double>(slider.value()));
        sliderValue_->setText(ns::String(text));
    }
    void paged(ui::PageControl& pages) {
        pageValue_->setText(ns::String("page " + std::to_string(pages.currentPage() + 1) + " of " +
                                       std::to_string(pages.numberOfPages())));
    }

protected:
    void init() override {
        View::init();
        const auto self = sharedFromThis<ControlsBoard>();

        addSubview(heading(12, "BUTTONS · normal, disabled"));
        auto button = ns::make<ui::Button>(cg::Rect{16, 38, 120, 40});
        button->setTitle(ns::String("Tap me"), State::normal);
        button->setBackgroundColor(defaultTintColor());
        button->layer()->setCornerRadius(8);
        button->addTarget(self, &ControlsBoard::tapped, ControlEvent::touchUpInside);
        addSubview(button);
        auto disabled = ns::make<ui::Button>(cg::Rect{148, 38, 120, 40});
        disabled->setTitle(ns::String("Disabled"), State::normal);
        disabled->setTitleColor(ui::Color(0.55, 1), State::disabled);
        disabled->setBackgroundColor(ui::Color(0.9, 1));
        disabled->layer()->setCornerRadius(8);
        disabled->setIsEnabled(false);
        addSubview(disabled);
        status_ = label({16, 84, 343, 20}, "Not tapped yet", ui::Font::systemFont(15), ui::Color(0.3, 1));
        addSubview(status_);

        addSubview(heading(122, "SLIDER · drag the thumb"));
        auto slider = ns::make<ui::Slider>(cg::Rect{16, 146, 270, 31});
        slider->setValue(0.35f);
        slider->addTarget(self, &ControlsBoard::slid, ControlEvent::valueChanged);
        addSubview(slider);
        sliderValue_ = label({300, 146, 59, 31}, "0.35", ui::Font::systemFont(15), ui::Color(0.3, 1));
        addSubview(sliderValue_);

        addSubview(heading(198, "PAGE CONTROL AND SPINNERS"));
        auto dark = ns::make<ui::View>(cg::Rect{16, 222, 343, 64});
        dark->setBackgroundColor(ui::Color(0.16, 0.18, 0.24, 1));
        dark->layer()->setCornerRadius(12);
        addSubview(dark);
        auto pages = ns::make<ui::PageControl>(cg::Rect{8, 8, 160, 26});
        pages->setNumberOfPages(5);
        pages->setCurrentPage(1);
        pages->addTarget(self, &ControlsBoard::paged, ControlEvent::valueChanged);
        dark->addSubview(pages);
        pageValue_ = label({8, 36, 160, 20}, "page 2 of 5", ui::Font::systemFont(13), ui::Color(1, 0.8));
        dark->addSubview(pageValue_);
        for (int i = 0; i < 2; ++i) {
            auto spinner = ns::make<ui::ActivityIndicatorView>(i == 0 ? ui::ActivityIndicatorView::Style::white
                                                                      : ui::ActivityIndicatorView::Style::whiteLarge);
            spinner->setCenter({220.0 + i * 60, 32});
            spinner->startAnimating();
            dark->addSubview(spinner);
        }

        addSubview(heading(304, "BLUR · extra light, light, dark"));
        auto stripes = ns::make<ca::GradientLayer>();
        stripes->setFrame({16, 330, 343, 150});
        stripes->setColors({{1, 0.23, 0.19, 1}, {1, 0.8, 0, 1}, {0.2, 0.78, 0.35, 1}, {0, 0.48, 1, 1}});
        stripes->setStartPoint({0, 0});
        stripes->setEndPoint({1, 1});
        layer()->addSublayer(stripes);
        for (int i = 0; i < 6; ++i) {
            auto bar = ns::make<ui::View>(cg::Rect{28.0 + i * 56, 330, 20, 150});
            bar->setBackgroundColor(ui::Color::white());
            addSubview(bar);
        }
        const ui::BlurEffect::Style styles[] = {ui::BlurEffect::Style::extraLight, ui::BlurEffect::Style::light,
                                                ui::BlurEffect::Style::dark};
        for (int i = 0; i < 3; ++i) {
            auto blur = ns::make<ui::VisualEffectView>(ui::BlurEffect(styles[i]));
            blur->setFrame({28.0 + i * 110, 350, 98, 110});
            blur->layer()->setCornerRadius(14);
            blur->setClipsToBounds(true);
            addSubview(blur);
        }
    }

private:
    std::shared_ptr<ui::Label> status_;
    std::shared_ptr<ui::Label> sliderValue_;
    std::shared_ptr<ui::Label> pageValue_;
    int taps_ = 0;
};

void build(ui::View& content) { content.addSubview(ns::make<ControlsBoard>(content.bounds())); }

const PageRegistration registration{{"controls", "Controls", build, 0.4}};

} // namespace

} // namespace pellavo::gallery
