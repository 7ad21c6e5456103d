// One picture of the basic controls in their states, compared with a golden.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/ui/control/ActivityIndicatorView.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/control/PageControl.hpp"
#include "platform/ui/control/Slider.hpp"
#include "platform/ui/control/VisualEffectView.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using State = Control::State;

// `w` × `h` pixels: the left half one colour, the right half another, with a
// white dot in the top-left corner so that placement and flips show.
Image twoToneImage(int w, int h, cg::RGBA8 left, cg::RGBA8 right) {
    const int stride = cg::Image::strideForWidth(w);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
    auto word = [](cg::RGBA8 c) {
        return (std::uint32_t{c.a} << 24) | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint32_t v = word(x < w / 2 ? left : right);
            if (x < w / 5 && y < h / 4) v = word({255, 255, 255, 255});
            std::memcpy(data.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4, &v, 4);
        }
    }
    return Image(std::make_shared<const cg::Image>(w, h, stride, std::move(data)), 1);
}

std::shared_ptr<Label> caption(View& parent, cg::Rect frame, const char* text) {
    auto label = ns::make<Label>(frame);
    label->setText(ns::String(text));
    label->setFont(Font::systemFont(11));
    label->setTextColor(Color(0.3, 1));
    parent.addSubview(label);
    return label;
}

class ControlsGoldenTest : public testing::AppTest {};

TEST_F(ControlsGoldenTest, ControlsMatrix) {
    auto root = ns::make<View>(cg::Rect{0, 0, 375, 520});
    root->setBackgroundColor(Color(0.94, 1));

    // ---- buttons: normal, highlighted (darkened), selected, disabled, and a
    // highlighted button with its own highlighted image
    caption(*root, {8, 4, 300, 14}, "Button: normal, highlighted, selected, disabled, own highlight");
    const Image icon = twoToneImage(24, 24, {230, 60, 40, 255}, {250, 200, 40, 255});
    const Image background = testing::solidImage(2, 2, {40, 110, 220, 255});
    for (int i = 0; i < 5; ++i) {
        auto button = ns::make<Button>(cg::Rect{8 + i * 72.0, 20, 68, 40});
        button->setBackgroundImage(background, State::normal);
        button->setImage(icon, State::normal);
        button->setTitle(ns::String("Go"), State::normal);
        button->setTitle(ns::String("On"), State::selected);
        button->setTitleColor(Color(1, 0.85, 0.2, 1), State::selected);
        if (i == 1) button->setIsHighlighted(true);
        if (i == 2) button->setIsSelected(true);
        if (i == 3) button->setIsEnabled(false);
        if (i == 4) {
            button->setImage(twoToneImage(24, 24, {40, 200, 90, 255}, {20, 120, 60, 255}), State::highlighted);
            button->setIsHighlighted(true);
        }
        root->addSubview(button);
    }

    // ---- labels: alignments, truncation, wrapping
    caption(*root, {8, 66, 300, 14}, "Label: left, centre, right; tail, head, middle; wrapped");
    const ns::TextAlignment alignments[] = {ns::TextAlignment::left, ns::TextAlignment::center,
                                            ns::TextAlignment::right};
    for (int i = 0; i < 3; ++i) {
        auto label = ns::make<Label>(cg::Rect{8 + i * 120.0, 82, 116, 24});
        label->setBackgroundColor(Color::white());
        label->setText(ns::String("Aligned"));
        label->setTextAlignment(alignments[i]);
        root->addSubview(label);
    }
    const ns::LineBreakMode truncations[] = {ns::LineBreakMode::byTruncatingTail, ns::LineBreakMode::byTruncatingHead,
                                             ns::LineBreakMode::byTruncatingMiddle};
    for (int i = 0; i < 3; ++i) {
        auto label = ns::make<Label>(cg::Rect{8 + i * 120.0, 110, 116, 24});
        label->setBackgroundColor(Color::white());
        label->setText(ns::String("The quick brown fox jumps"));
        label->setLineBreakMode(truncations[i]);
        root->addSubview(label);
    }
    auto wrapped = ns::make<Label>(cg::Rect{8, 138, 359, 44});
    wrapped->setBackgroundColor(Color::white());
    wrapped->setNumberOfLines(0);
    wrapped->setFont(Font::systemFont(14));
    wrapped->setTextColor(Color(0.1, 0.2, 0.6, 1));
    wrapped->setText(ns::String("A label with no line limit wraps its words onto as many lines as it needs."));
    root->addSubview(wrapped);

    // ---- image views: six content modes of a 40 × 20 image in 56 × 56 boxes
    caption(*root, {8, 188, 360, 14}, "ImageView: fill, fit, aspect fill, centre, top left, bottom right");
    const View::ContentMode modes[] = {View::ContentMode::scaleToFill, View::ContentMode::scaleAspectFit,
                                       View::ContentMode::scaleAspectFill, View::ContentMode::center,
                                       View::ContentMode::topLeft, View::ContentMode::bottomRight};
    const Image picture = twoToneImage(40, 20, {30, 150, 230, 255}, {240, 90, 40, 255});
    for (int i = 0; i < 6; ++i) {
        auto view = ns::make<ImageView>(cg::Rect{8 + i * 60.0, 204, 56, 56});
        view->setBackgroundColor(Color(0.8, 1));
        view->setImage(picture);
        view->setContentMode(modes[i]);
        view->setClipsToBounds(true);
        root->addSubview(view);
    }

    // ---- slider, page control and spinner
    caption(*root, {8, 266, 360, 14}, "Slider, page control, activity indicator");
    auto slider = ns::make<Slider>(cg::Rect{8, 282, 200, 31});
    slider->setValue(0.3f);
    root->addSubview(slider);
    auto tinted = ns::make<Slider>(cg::Rect{8, 316, 200, 31});
    tinted->setValue(0.7f);
    tinted->setMinimumTrackTintColor(Color(0.2, 0.7, 0.3, 1));
    root->addSubview(tinted);
    auto dark = ns::make<View>(cg::Rect{216, 282, 151, 65});
    dark->setBackgroundColor(Color(0.15, 0.18, 0.25, 1));
    root->addSubview(dark);
    auto pages = ns::make<PageControl>(cg::Rect{0, 4, 151, 26});
    pages->setNumberOfPages(5);
    pages->setCurrentPage(2);
    dark->addSubview(pages);
    auto spinner = ns::make<ActivityIndicatorView>(ActivityIndicatorView::Style::white);
    spinner->setHidesWhenStopped(false);
    spinner->setCenter({75.5, 46});
    dark->addSubview(spinner);

    // ---- effect views over stripes: light, dark, and rounded extra light
    caption(*root, {8, 352, 360, 14}, "VisualEffectView over stripes: light, dark, extra light rounded");
    auto stripes = ns::make<View>(cg::Rect{8, 368, 359, 140});
    stripes->setBackgroundColor(Color::white());
    for (double x = 0; x < 359; x += 80) {
        auto stripe = ns::make<View>(cg::Rect{x, 0, 40, 140});
        stripe->setBackgroundColor(Color(0.85, 0.2, 0.3, 1));
        stripes->addSubview(stripe);
    }
    root->addSubview(stripes);
    const BlurEffect::Style styles[] = {BlurEffect::Style::light, BlurEffect::Style::dark, BlurEffect::Style::extraLight};
    for (int i = 0; i < 3; ++i) {
        auto effect = ns::make<VisualEffectView>(BlurEffect(styles[i]));
        effect->setFrame({10 + i * 118.0, 20, 100, 100});
        if (i == 2) effect->layer()->setCornerRadius(24);
        stripes->addSubview(effect);
    }

    const auto image = testing::renderView(*root);
    testing::expectMatchesGolden(image, "ui_controls");
}

} // namespace
} // namespace pellavo::ui
