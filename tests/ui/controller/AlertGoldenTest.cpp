// One picture of alerts and action sheets over a striped backdrop, compared with a golden.
#include <gtest/gtest.h>

#include "platform/ca/Renderer.hpp"
#include "platform/ui/controller/AlertController.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/text/TextField.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo::ui {
namespace {

using Style = AlertAction::Style;
constexpr cg::Size kCell{320, 568};

struct Case {
    AlertController::Style style;
    const char* title;
    const char* message;
    std::vector<std::pair<const char*, Style>> actions;
    int disabled = -1;
    int highlighted = -1;
    // Text and placeholder of each text field.
    std::vector<std::pair<const char*, const char*>> textFields = {};
};

class AlertGoldenTest : public testing::AppTest {};

TEST_F(AlertGoldenTest, AlertAndActionSheetMatrix) {
    const Case cases[] = {
        {AlertController::Style::alert, "Delete photo?", "It will be removed from all your devices.",
         {{"Delete", Style::destructive}, {"Cancel", Style::cancel}}},
        {AlertController::Style::alert, "Sign in",
         "Your session has ended. Sign in again to keep your changes in sync across devices.",
         {{"Use password", Style::defaultStyle}, {"Not now", Style::cancel}, {"Use code", Style::defaultStyle}},
         2, 0},
        {AlertController::Style::actionSheet, "Share", "Choose where to send the picture.",
         {{"Mail", Style::defaultStyle}, {"Cancel", Style::cancel}, {"Messages", Style::defaultStyle},
          {"Remove", Style::destructive}}},
        {AlertController::Style::actionSheet, nullptr, nullptr,
         {{"Take Photo", Style::defaultStyle}, {"Choose from Library", Style::defaultStyle}, {"Cancel", Style::cancel}},
         -1, 1},
        {AlertController::Style::alert, "Log in", "Enter the name and password of your account.",
         {{"Cancel", Style::cancel}, {"Log In", Style::defaultStyle}},
         -1, -1, {{"anna@example.com", "Name"}, {"", "Password"}}},
    };
    const double columns = static_cast<double>(std::size(cases));
    const auto matrix = ns::make<View>(cg::Rect{0, 0, kCell.width * columns, kCell.height});
    matrix->setBackgroundColor(Color::white());
    // Stripes under every cell, so that the dimming and the rounded corners show.
    for (int i = 0; i < 24; ++i) {
        auto stripe = ns::make<View>(cg::Rect{0, i * kCell.height / 24, kCell.width * columns, kCell.height / 48});
        stripe->setBackgroundColor(i % 2 ? Color(0.2, 0.6, 0.9, 1) : Color(0.95, 0.75, 0.2, 1));
        matrix->addSubview(stripe);
    }
    std::vector<std::shared_ptr<AlertController>> keep;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const auto controller = ns::make<AlertController>(
            c.title ? std::optional<ns::String>(c.title) : std::nullopt,
            c.message ? std::optional<ns::String>(c.message) : std::nullopt, c.style);
        for (const auto& [title, style] : c.actions)
            controller->addAction(ns::make<AlertAction>(ns::String(title), style));
        for (const auto& [text, placeholder] : c.textFields)
            controller->addTextField([text = text, placeholder = placeholder](const std::shared_ptr<TextField>& field) {
                field->setText(ns::String(text));
                field->setPlaceholder(ns::String(placeholder));
            });
        if (c.disabled >= 0) controller->actions()[c.disabled]->setIsEnabled(false);
        if (c.highlighted >= 0)
            std::dynamic_pointer_cast<Control>(controller->viewForAction(c.highlighted))->setIsHighlighted(true);
        controller->view()->setFrame({kCell.width * static_cast<double>(i), 0, kCell.width, kCell.height});
        matrix->addSubview(controller->view());
        keep.push_back(controller);
    }
    matrix->layoutIfNeeded();
    ca::Renderer renderer(matrix->bounds().size, 2);
    testing::expectMatchesGolden(renderer.render(*matrix->layer()), "ui_alerts");
}

} // namespace
} // namespace pellavo::ui
