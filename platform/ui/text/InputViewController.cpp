#include "platform/ui/text/InputViewController.hpp"

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/text/InputView.hpp"
#include "platform/ui/event/KeyInput.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/view/Screen.hpp"

namespace pellavo::ui {

namespace {

// Marks the controller's proxy as busy for one call. The controller is held, so a
// delegate that drops the last other reference to it cannot free it mid-call.
class ProxyCall {
public:
    explicit ProxyCall(InputViewController& controller, int& depth)
        : keep_(controller.weak_from_this().lock()), depth_(depth) {
        ++depth_;
    }
    ~ProxyCall() { --depth_; }
    ProxyCall(const ProxyCall&) = delete;
    ProxyCall& operator=(const ProxyCall&) = delete;

private:
    std::shared_ptr<ns::Object> keep_;
    int& depth_;
};

std::shared_ptr<Responder> activeInput() { return Application::shared().keyboard().activeInput(); }

} // namespace

bool TextDocumentProxy::hasText() const {
    const auto input = activeInput();
    const auto* keys = dynamic_cast<const KeyInput*>(input.get());
    return keys != nullptr && keys->hasText();
}

void TextDocumentProxy::insertText(const ns::String& text) {
    const auto input = activeInput();
    auto* keys = dynamic_cast<KeyInput*>(input.get());
    if (keys == nullptr) return;
    ProxyCall call(controller_, controller_.proxyDepth_);
    keys->insertText(text);
}

void TextDocumentProxy::deleteBackward() {
    const auto input = activeInput();
    auto* keys = dynamic_cast<KeyInput*>(input.get());
    if (keys == nullptr) return;
    ProxyCall call(controller_, controller_.proxyDepth_);
    keys->deleteBackward();
}

InputViewController::InputViewController() = default;

InputViewController::InputViewController(std::optional<ns::String> nibName, std::optional<ns::Bundle> bundle)
    : ViewController(std::move(nibName), std::move(bundle)) {}

InputViewController::InputViewController(const ns::Coder& coder) : ViewController(coder) {}

void InputViewController::dismissKeyboard() {
    if (const auto input = activeInput()) input->resignFirstResponder();
}

void InputViewController::loadView() {
    if (nibName()) {
        ViewController::loadView();
        return;
    }
    const double width = Screen::main().bounds().size.width;
    auto view = ns::make<InputView>(cg::Rect{0, 0, width, Keyboard::kPortraitHeight});
    view->setAutoresizingMask(View::AutoresizingMask::flexibleWidth);
    setView(std::move(view));
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<InputViewController>("UIInputViewController", "UIViewController");

} // namespace

} // namespace pellavo::ui
