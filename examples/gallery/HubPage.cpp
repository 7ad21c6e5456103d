// The activity overlay over a host screen: a title, two lines of text and a button that
// the overlay keeps from being tapped. The shared overlay outlives every page's window,
// so the page hides it and shows it afresh; it goes again after a few seconds, or when
// the page leaves the window, and the button brings it back.
#include <memory>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXHub.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::gallery {

namespace {

constexpr double kShownSeconds = 4;

class HubBoard : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryHubBoard"; }

    // Shows the overlay, and hides it again after a while if the page is still there.
    void showHub() {
        VXHub::show();
        const std::weak_ptr<HubBoard> weak = sharedFromThis<HubBoard>();
        const int visit = ++visits_;
        dispatch::Queue::main().asyncAfter(kShownSeconds, [weak, visit] {
            const auto board = weak.lock();
            if (board && board->window() && board->visits_ == visit) VXHub::hide();
        });
    }

    void willMoveToWindow(const std::shared_ptr<ui::Window>& newWindow) override {
        View::willMoveToWindow(newWindow);
        if (!newWindow && window()) VXHub::hide();
    }

private:
    int visits_ = 0;
};

std::shared_ptr<ui::Label> label(ui::View& parent, cg::Rect frame, const char* text, ui::Font font, ui::Color color) {
    auto made = ns::make<ui::Label>(frame);
    made->setText(ns::String(text));
    made->setFont(std::move(font));
    made->setTextColor(color);
    made->setNumberOfLines(0);
    parent.addSubview(made);
    return made;
}

void build(ui::View& content) {
    auto board = ns::make<HubBoard>(content.bounds());
    board->setBackgroundColor(ui::Color(0.95, 0.96, 0.99, 1));
    content.addSubview(board);

    label(*board, {20, 24, 335, 30}, "Library", ui::Font::systemFont(26, ui::Font::Weight::bold), ui::Color::black());
    label(*board, {20, 64, 335, 44}, "Syncing 128 photos with your other devices. This can take a minute.",
          ui::Font::systemFont(15), ui::Color(0.35, 1));
    const cg::Rect rows[] = {{20, 130, 335, 56}, {20, 196, 335, 56}, {20, 262, 335, 56}};
    const char* names[] = {"Holiday, 48 photos", "Garden, 31 photos", "Family, 49 photos"};
    for (int i = 0; i < 3; ++i) {
        auto row = ns::make<ui::View>(rows[i]);
        row->setBackgroundColor(ui::Color::white());
        row->layer()->setCornerRadius(10);
        board->addSubview(row);
        label(*row, {16, 0, 303, 56}, names[i], ui::Font::systemFont(17), ui::Color(0.15, 1));
    }

    auto button = ns::make<ui::Button>(cg::Rect{20, 520, 335, 48});
    button->setTitle(ns::String("Sync again"), ui::Control::State::normal);
    button->setTitleColor(ui::Color::white(), ui::Control::State::normal);
    button->setBackgroundColor(ui::Color(0.1, 0.48, 0.98, 1));
    button->layer()->setCornerRadius(12);
    button->addTarget(board, &HubBoard::showHub, ui::Control::Event::touchUpInside);
    board->addSubview(button);

    // The overlay of an earlier visit leaves first; then this one comes up.
    VXHub::hide();
    const std::weak_ptr<HubBoard> weak = board;
    dispatch::Queue::main().asyncAfter(0.2, [weak] {
        if (const auto b = weak.lock()) b->showHub();
    });
}

const PageRegistration registration{{"VXHub", "Activity overlay", build, 1}};

} // namespace

} // namespace pellavo::gallery
