// Number keyboard: the library's decimal keypad as a field's input view, with the decimal
// point allowed. The PNG shows "12.5" typed on its keys and the "7" held down, on its
// pressed background; in the window, type on the keys with the mouse.
#include <memory>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::gallery {

namespace {

// Keeps the keyboard's controller alive as long as the page: its keys target it weakly.
class KeyboardHolder : public ui::View {
public:
    using ui::View::View;
    std::shared_ptr<VXNumberKeyboardViewController> keyboard;
};

cg::Point centreOnScreen(const ui::View& key) {
    const cg::Rect b = key.bounds();
    return key.convertTo(cg::Point{b.midX(), b.midY()}, nullptr);
}

void build(ui::View& content) {
    content.setBackgroundColor(ui::Color(0.94, 0.95, 0.97, 1));
    addCaption(content, 37, 22, 300, "DECIMAL POINT ALLOWED · 1 2 . 5 typed, 7 held");
    auto field = ns::make<ui::TextField>(cg::Rect{37, 40, 300, 40});
    field->setBackgroundColor(ui::Color::white());
    field->layer()->setBorderWidth(1);
    field->layer()->setBorderColor(ui::Color(0.8, 0.8, 0.82, 1).cgColor());
    field->layer()->setCornerRadius(6);
    field->setPlaceholder(ns::String("Amount"));
    field->setLeftView(ns::make<ui::View>(cg::Rect{0, 0, 10, 40}));  // keeps the text off the border
    field->setLeftViewMode(ui::TextField::ViewMode::always);
    content.addSubview(field);

    auto holder = ns::make<KeyboardHolder>();
    holder->keyboard = VXNumberKeyboardViewController::createDecimalKeyboard();
    content.addSubview(holder);
    auto& keyboard = *holder->keyboard;
    keyboard.loadViewIfNeeded();
    keyboard.setAllowDecimalPoint(true);
    field->setInputView(keyboard.numberKeyboardView());
    field->becomeFirstResponder();

    const auto keys = keyboard.textButtons();
    const auto window = content.window();
    if (!window || keys.size() != 12) return;
    window->layoutIfNeeded();
    ui::TestDriver driver;
    for (const std::size_t key : {0, 1, 11, 4}) driver.tap(centreOnScreen(*keys[key]));  // 1 2 . 5
    driver.touchDown(centreOnScreen(*keys[6]));                                        // 7, held
}

const PageRegistration registration{{"VXNumberKeyboard", "Number keyboard", build}};

} // namespace

} // namespace pellavo::gallery
