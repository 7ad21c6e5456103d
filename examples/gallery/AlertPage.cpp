// The alert builder on a host screen whose controller the page keeps: a sign-in alert
// with a code field, and a share sheet. The buttons on the host present them again.
#include <memory>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXAlert.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/text/TextField.hpp"

namespace pellavo::gallery {

namespace {

using ActionStyle = ui::AlertAction::Style;

void presentSignIn(const std::shared_ptr<ui::ViewController>& host) {
    VXAlert("Sign in", "Enter your code", ui::AlertController::Style::alert)
        .addTextFieldHandler([](const std::shared_ptr<ui::TextField>& field) {
            field->setPlaceholder(ns::String("6-digit code"));
        })
        .addAction("Cancel", ActionStyle::cancel, {})
        .addAction("OK", ActionStyle::defaultStyle, {})
        .show(host, true, {});
}

void presentShare(const std::shared_ptr<ui::ViewController>& host) {
    VXAlert(std::nullopt, "Send this album to someone, or remove it.", ui::AlertController::Style::actionSheet)
        .addAction("Share", ActionStyle::defaultStyle, {})
        .addAction("Delete", ActionStyle::destructive, {})
        .addAction("Cancel", ActionStyle::cancel, {})
        .show(host, true, {});
}

// Holds the host controller for as long as the page is shown; its buttons present.
class HostBoard : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryAlertHost"; }
    void signIn() { presentSignIn(host); }
    void share() { presentShare(host); }
    std::shared_ptr<ui::ViewController> host;
};

std::shared_ptr<HostBoard> buildHost(ui::View& content) {
    auto board = ns::make<HostBoard>(content.bounds());
    content.addSubview(board);
    board->host = ns::make<ui::ViewController>();
    const auto view = board->host->view();
    view->setFrame(board->bounds());
    view->setBackgroundColor(ui::Color(0.95, 0.96, 0.99, 1));
    board->addSubview(view);

    auto title = ns::make<ui::Label>(cg::Rect{20, 24, 335, 30});
    title->setText(ns::String("Account"));
    title->setFont(ui::Font::systemFont(26, ui::Font::Weight::bold));
    view->addSubview(title);
    auto note = ns::make<ui::Label>(cg::Rect{20, 64, 335, 44});
    note->setText(ns::String("Sign in to keep your photos in sync, or share this album."));
    note->setFont(ui::Font::systemFont(15));
    note->setTextColor(ui::Color(0.35, 1));
    note->setNumberOfLines(0);
    view->addSubview(note);

    const auto button = [&](double y, const char* text, void (HostBoard::*action)()) {
        auto made = ns::make<ui::Button>(cg::Rect{20, y, 335, 48});
        made->setTitle(ns::String(text), ui::Control::State::normal);
        made->setTitleColor(ui::Color::white(), ui::Control::State::normal);
        made->setBackgroundColor(ui::Color(0.1, 0.48, 0.98, 1));
        made->layer()->setCornerRadius(12);
        made->addTarget(board, action, ui::Control::Event::touchUpInside);
        view->addSubview(made);
    };
    button(140, "Sign in…", &HostBoard::signIn);
    button(200, "Share…", &HostBoard::share);
    return board;
}

void buildAlert(ui::View& content) { buildHost(content)->signIn(); }
void buildSheet(ui::View& content) { buildHost(content)->share(); }

const PageRegistration alert{{"VXAlert", "Alert", buildAlert, 1}};
const PageRegistration sheet{{"VXAlertActionSheet", "Alert, action sheet", buildSheet, 1}};

} // namespace

} // namespace pellavo::gallery
