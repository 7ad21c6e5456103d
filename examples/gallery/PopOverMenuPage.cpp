// The pop-over menu: buttons in the corners, the centre and at the bottom open it; one
// page shows it open below a top-right button with template icons, the other open above
// a bottom button with a long, scrolling list and a white outline.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXPopoverMenu.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::gallery {

namespace {

using State = ui::Control::State;
using ControlEvent = ui::Control::Event;

const ui::Color kBackground(0.93, 0.94, 0.96, 1);
const ui::Color kButton(0.2, 0.45, 0.8, 1);

const std::vector<ns::String> kShortNames{"Favourite", "Settings", "Share"};
const std::vector<ns::String> kShortImages{"menu-star", "menu-gear"};
const std::vector<ns::String> kLongNames{"January", "February", "March",   "April",    "May",
                                         "June",    "July",     "August",  "September", "October",
                                         "November", "December", "Spring", "Summer",    "Autumn"};

enum class Look { icons, outlined };

// Applies a look to the shared configuration for one show, then puts back what it
// changed: the menu reads the configuration while it lays out and builds its rows.
void showWithLook(Look look, const std::shared_ptr<ui::View>& sender, VXPopOverMenu::Done done,
                  VXPopOverMenu::Cancel cancel) {
    auto& config = *VXConfiguration::shared();
    const bool ignoreColor = config.ignoreImageOriginalColor();
    const ui::Color border = config.borderColor();
    const double borderWidth = config.borderWidth();
    if (look == Look::icons) {
        config.setIgnoreImageOriginalColor(true);
        VXPopOverMenu::showForSender(sender, kShortNames, kShortImages, std::move(done), std::move(cancel));
    } else {
        config.setBorderColor(ui::Color::white());
        config.setBorderWidth(1);
        VXPopOverMenu::showForSender(sender, kLongNames, std::move(done), std::move(cancel));
    }
    // The table builds its rows in the next layout pass; build them while the look holds.
    if (const auto window = sender->window()) window->layoutIfNeeded();
    config.setIgnoreImageOriginalColor(ignoreColor);
    config.setBorderColor(border);
    config.setBorderWidth(borderWidth);
}

// The page: the buttons' target, and the line that tells what the last menu answered.
// A menu still open when the page goes away is dismissed with it.
class MenuBoard : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryMenuBoard"; }

    std::shared_ptr<ui::Button> addButton(cg::Rect frame, const std::string& title, Look look) {
        auto button = ns::make<ui::Button>(frame);
        button->setTitle(ns::String(title), State::normal);
        button->setBackgroundColor(kButton);
        button->layer()->setCornerRadius(8);
        button->setTag(look == Look::icons ? 0 : 1);
        button->addTarget(sharedFromThis<MenuBoard>(), &MenuBoard::open, ControlEvent::touchUpInside);
        addSubview(button);
        return button;
    }

    void open(ui::Button& button) {
        const Look look = button.tag() == 0 ? Look::icons : Look::outlined;
        const auto names = look == Look::icons ? kShortNames : kLongNames;
        std::weak_ptr<MenuBoard> weak = sharedFromThis<MenuBoard>();
        showWithLook(
            look, button.sharedFromThis<ui::View>(),
            [weak, names](int row) {
                auto self = weak.lock();
                if (self && row >= 0 && static_cast<std::size_t>(row) < names.size())
                    self->report("Chose " + names[static_cast<std::size_t>(row)].utf8());
            },
            [weak] {
                if (auto self = weak.lock()) self->report("Cancelled");
            });
    }

    void willMoveToWindow(const std::shared_ptr<ui::Window>& newWindow) override {
        View::willMoveToWindow(newWindow);
        if (!newWindow && VXPopOverMenu::isShowing()) VXPopOverMenu::dismiss();
    }

    void setStatus(std::shared_ptr<ui::Label> status) { status_ = std::move(status); }

private:
    void report(const std::string& text) {
        if (status_) status_->setText(ns::String(text));
    }

    std::shared_ptr<ui::Label> status_;
};

std::shared_ptr<MenuBoard> board(ui::View& content, const std::string& hint) {
    auto made = ns::make<MenuBoard>(content.bounds());
    made->setBackgroundColor(kBackground);
    content.addSubview(made);
    auto heading = ns::make<ui::Label>(cg::Rect{16, 12, 343, 18});
    heading->setText(ns::String(hint));
    heading->setFont(ui::Font::systemFont(13, ui::Font::Weight::semibold));
    heading->setTextColor(ui::Color(0.45, 1));
    heading->setTextAlignment(ns::TextAlignment::left);
    made->addSubview(heading);
    auto status = ns::make<ui::Label>(cg::Rect{16, 420, 343, 20});
    status->setTextColor(ui::Color(0.3, 1));
    status->setTextAlignment(ns::TextAlignment::center);
    made->addSubview(status);
    made->setStatus(status);
    return made;
}

void buildMenu(ui::View& content) {
    auto page = board(content, "TAP A BUTTON · the menu points at it");
    page->addButton({16, 44, 64, 36}, "Left", Look::icons);
    auto topRight = page->addButton({295, 44, 64, 36}, "Right", Look::icons);
    page->addButton({137.5, 300, 100, 36}, "Centre", Look::icons);
    page->addButton({137.5, 560, 100, 36}, "Bottom", Look::icons);
    page->open(*topRight);
}

void buildMenuAbove(ui::View& content) {
    auto page = board(content, "FIFTEEN NAMES · above the button, scrolling");
    auto bottom = page->addButton({137.5, 560, 100, 36}, "Months", Look::outlined);
    page->open(*bottom);
}

const PageRegistration menuRegistration{{"VXPopOverMenu", "Pop-over menu", buildMenu, 0.5}};
const PageRegistration aboveRegistration{{"VXPopOverMenuAbove", "Pop-over menu above", buildMenuAbove, 0.5}};

} // namespace

} // namespace pellavo::gallery
