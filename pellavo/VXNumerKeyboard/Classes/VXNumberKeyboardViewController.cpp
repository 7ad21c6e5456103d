#include "pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController.hpp"

#include <utility>

#include "pellavo/PellavoBundle.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController+Load.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

namespace {

using State = ui::Control::State;

// A 1 × 1 image of `color` at scale 1, its alpha kept; none when no context could be made.
std::optional<ui::Image> onePixelImage(const ui::Color& color) {
    std::optional<ui::Image> image;
    ui::graphicsBeginImageContext({1, 1});
    if (cg::Context* context = ui::graphicsGetCurrentContext()) {
        context->setFillColor(color.cgColor());
        context->fill({0, 0, 1, 1});
        image = ui::graphicsGetImageFromCurrentImageContext();
    }
    ui::graphicsEndImageContext();
    return image;
}

// The pressed background every keyboard starts with, made once and shared.
const std::optional<ui::Image>& sharedBlackImage() {
    static const std::optional<ui::Image> black = onePixelImage(ui::Color::black());
    return black;
}

void setPressedBackground(ui::Button& key, const ui::Image& image) {
    key.setBackgroundImage(image, State::selected);
    key.setBackgroundImage(image, State::highlighted);
}

// Calls a copy, so that a closure that replaces itself (or drops its controller) is safe.
template <class Function, class... Args>
void callCopy(const Function& closure, const Args&... args) {
    if (const Function copy = closure) copy(args...);
}

} // namespace

std::shared_ptr<VXNumberKeyboardViewController> loadDecimalKeyboard(const ns::Bundle& bundle) {
    const auto objects = ui::Nib::make("VXNumberKeyboardViewController", bundle)->instantiate(nullptr);
    if (!objects.empty()) {
        if (auto controller = std::dynamic_pointer_cast<VXNumberKeyboardViewController>(objects.front()))
            return controller;
    }
    return ns::make<VXNumberKeyboardViewController>();
}

std::shared_ptr<VXNumberKeyboardViewController> VXNumberKeyboardViewController::createDecimalKeyboard() {
    return loadDecimalKeyboard(libraryBundle());
}

VXNumberKeyboardViewController::VXNumberKeyboardViewController(std::optional<ns::String> nibName,
                                                               std::optional<ns::Bundle> bundle)
    : ui::InputViewController(std::move(nibName), std::move(bundle)) {}

VXNumberKeyboardViewController::VXNumberKeyboardViewController(const ns::Coder& coder)
    : ui::InputViewController(coder) {}

void VXNumberKeyboardViewController::setAllowDecimalPoint(bool allow) {
    privateAllowDecimalPoint_ = allow;
    configureDecimalPointButton();
}

void VXNumberKeyboardViewController::setSelectedTextButtonBackgroundColor(ui::Color color) {
    if (auto image = onePixelImage(color)) selectedTextButtonBackgroundImage_ = std::move(image);
    configureSelectedButtonBackgroundImages();
}

void VXNumberKeyboardViewController::setSelectedReturnButtonBackgroundColor(ui::Color color) {
    if (auto image = onePixelImage(color)) selectedReturnButtonBackgroundImage_ = std::move(image);
    configureSelectedButtonBackgroundImages();
}

void VXNumberKeyboardViewController::setSelectedBackspaceButtonBackgroundColor(ui::Color color) {
    if (auto image = onePixelImage(color)) selectedBackspaceButtonBackgroundImage_ = std::move(image);
    configureSelectedButtonBackgroundImages();
}

void VXNumberKeyboardViewController::setSelectedTextButtonBackgroundImage(ui::Image image) {
    selectedTextButtonBackgroundImage_ = std::move(image);
    configureSelectedButtonBackgroundImages();
}

void VXNumberKeyboardViewController::setSelectedBackspaceButtonBackgroundImage(ui::Image image) {
    selectedBackspaceButtonBackgroundImage_ = std::move(image);
    configureSelectedButtonBackgroundImages();
}

void VXNumberKeyboardViewController::setSelectedReturnButtonBackgroundImage(ui::Image image) {
    selectedReturnButtonBackgroundImage_ = std::move(image);
    configureSelectedButtonBackgroundImages();
}

std::vector<std::shared_ptr<ui::Button>> VXNumberKeyboardViewController::textButtons() const {
    std::vector<std::shared_ptr<ui::Button>> keys;
    const auto view = keyboardView();
    if (!view) return keys;
    for (const auto& subview : view->subviews())
        if (auto key = std::dynamic_pointer_cast<VXDecimalKeyboardTextButton>(subview)) keys.push_back(std::move(key));
    return keys;
}

std::vector<std::shared_ptr<ui::Button>> VXNumberKeyboardViewController::allButtons() const {
    auto keys = textButtons();
    const std::shared_ptr<ui::Button> special[] = {backspaceButton(), returnButton(), hideButton()};
    for (const auto& key : special)
        if (key) keys.push_back(key);
    return keys;
}

void VXNumberKeyboardViewController::viewDidLoad() {
    ui::InputViewController::viewDidLoad();
    configureSelectedButtonBackgroundImages();
    configureDecimalPointButton();
}

void VXNumberKeyboardViewController::updateViewConstraints() { ui::InputViewController::updateViewConstraints(); }

void VXNumberKeyboardViewController::textWillChange(ui::Responder*) {}

void VXNumberKeyboardViewController::textDidChange(ui::Responder*) {}

void VXNumberKeyboardViewController::buttonPressedAction(VXDecimalKeyboardButton* sender) {
    if (sender == nullptr) return;
    // Both stay alive for the whole press, whatever the closures drop.
    const auto keepSelf = weak_from_this().lock();
    const auto keepKey = sender->weak_from_this().lock();
    if (const auto action = sender->theButtonActionType()) {
        switch (*action) {
        case ButtonActionType::backspace:
            textDocumentProxy().deleteBackward();
            callCopy(backspaceAction);
            break;
        case ButtonActionType::return_:
            dismissKeyboard();
            callCopy(returnAction);
            break;
        case ButtonActionType::hide:
            dismissKeyboard();
            break;
        }
    }
    if (const auto text = sender->theButtonText()) {
        textDocumentProxy().insertText(*text);
        callCopy(newTextAction, *text);
    }
}

void VXNumberKeyboardViewController::configureDecimalPointButton() {
    const bool allow = privateAllowDecimalPoint_;
    if (const auto key = dotButton()) key->setIsHidden(!allow);
    if (const auto key = zeroSmallButton_.lock()) key->setIsHidden(!allow);
    if (const auto key = zeroBigButton_.lock()) key->setIsHidden(allow);
}

void VXNumberKeyboardViewController::configureSelectedButtonBackgroundImages() {
    if (!selectedTextButtonBackgroundImage_) selectedTextButtonBackgroundImage_ = sharedBlackImage();
    if (selectedTextButtonBackgroundImage_) {
        for (const auto& key : textButtons()) setPressedBackground(*key, *selectedTextButtonBackgroundImage_);
    }
    if (!selectedReturnButtonBackgroundImage_) selectedReturnButtonBackgroundImage_ = sharedBlackImage();
    if (const auto key = returnButton(); key && selectedReturnButtonBackgroundImage_)
        setPressedBackground(*key, *selectedReturnButtonBackgroundImage_);
    if (!selectedBackspaceButtonBackgroundImage_) selectedBackspaceButtonBackgroundImage_ = sharedBlackImage();
    if (const auto key = backspaceButton(); key && selectedBackspaceButtonBackgroundImage_)
        setPressedBackground(*key, *selectedBackspaceButtonBackgroundImage_);
}

// ---------------------------------------------------------------- runtime

const bool VXNumberKeyboardViewController::registeredWithRuntime_ = registerWithRuntime();

bool VXNumberKeyboardViewController::registerWithRuntime() {
    using Self = VXNumberKeyboardViewController;
    // The outlets are weak: the view hierarchy owns the keys and the keyboard view.
    ns::ClassRegistration<Self>("VXNumberKeyboardViewController", "UIInputViewController")
        .property<std::shared_ptr<ui::View>>(
            "keyboardView", &Self::keyboardView,
            [](Self& self, std::shared_ptr<ui::View> view) { self.keyboardView_ = view; })
        .property<std::shared_ptr<VXDecimalKeyboardBackspaceButton>>(
            "backspaceButton", &Self::backspaceButton,
            [](Self& self, std::shared_ptr<VXDecimalKeyboardBackspaceButton> key) { self.backspaceButton_ = key; })
        .property<std::shared_ptr<VXDecimalKeyboardReturnButtonButton>>(
            "returnButton", &Self::returnButton,
            [](Self& self, std::shared_ptr<VXDecimalKeyboardReturnButtonButton> key) { self.returnButton_ = key; })
        .property<std::shared_ptr<VXDecimalKeyboardHideButtonButton>>(
            "hideButton", &Self::hideButton,
            [](Self& self, std::shared_ptr<VXDecimalKeyboardHideButtonButton> key) { self.hideButton_ = key; })
        .property<std::shared_ptr<VXDecimalKeyboardDotButton>>(
            "dotButton", &Self::dotButton,
            [](Self& self, std::shared_ptr<VXDecimalKeyboardDotButton> key) { self.dotButton_ = key; })
        .property<std::shared_ptr<VXDecimalKeyboardZeroButton>>(
            "zeroBigButton", [](Self& self) { return self.zeroBigButton_.lock(); },
            [](Self& self, std::shared_ptr<VXDecimalKeyboardZeroButton> key) { self.zeroBigButton_ = key; })
        .property<std::shared_ptr<VXDecimalKeyboardZeroButton>>(
            "zeroSmallButton", [](Self& self) { return self.zeroSmallButton_.lock(); },
            [](Self& self, std::shared_ptr<VXDecimalKeyboardZeroButton> key) { self.zeroSmallButton_ = key; })
        .action(ns::Selector("buttonPressedAction:"), &Self::buttonPressedAction);
    return true;
}

} // namespace pellavo
