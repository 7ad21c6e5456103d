#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/controller/ViewController.hpp"

namespace pellavo::ui {

class InputViewController;
class Keyboard;

// What an input view controller's keys type into: the keyboard's active input,
// along the same path as the keyboard's own keys (the input's delegate is asked,
// its events and notifications follow). Every call acts at once, and does nothing
// while no input is active.
class PELLAVO_EXPORT TextDocumentProxy {
public:
    TextDocumentProxy(const TextDocumentProxy&) = delete;
    TextDocumentProxy& operator=(const TextDocumentProxy&) = delete;

    // False while no input is active.
    bool hasText() const;
    void insertText(const ns::String& text);
    void deleteBackward();

private:
    friend class InputViewController;
    explicit TextDocumentProxy(InputViewController& controller) : controller_(controller) {}
    InputViewController& controller_;
};

// A controller for a custom keyboard: its view (an InputView unless a file or an
// override sets another) is shown by a text input as its inputView; its keys reach
// the input through textDocumentProxy().
class PELLAVO_EXPORT InputViewController : public ViewController {
public:
    InputViewController();
    InputViewController(std::optional<ns::String> nibName, std::optional<ns::Bundle> bundle);
    // From an interface file: the coder's "view" becomes the root view.
    explicit InputViewController(const ns::Coder& coder);
    std::string_view className() const override { return "UIInputViewController"; }

    TextDocumentProxy& textDocumentProxy() { return proxy_; }
    // Resigns the keyboard's active input, which ends its editing.
    void dismissKeyboard();

    // Called around a change of the active input's text that this controller's
    // proxy did not make (a programmatic set, a paste), while this controller's view
    // is, or holds, the input view on screen. Empty by default.
    virtual void textWillChange(Responder* input) { (void)input; }
    virtual void textDidChange(Responder* input) { (void)input; }

    // Without an interface file: an InputView as wide as the screen and as high as
    // the keyboard's own panel, with a flexible width.
    void loadView() override;

private:
    friend class Keyboard;
    friend class TextDocumentProxy;

    TextDocumentProxy proxy_{*this};
    // Calls of the proxy in progress: the changes they make are the controller's own.
    int proxyDepth_ = 0;
};

} // namespace pellavo::ui
