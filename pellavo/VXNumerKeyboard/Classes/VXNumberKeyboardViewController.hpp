#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXDecimalKeyboardButton.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/text/InputViewController.hpp"

namespace pellavo {

// A decimal number keypad for text entry inside the application. Its keys come from the
// library's interface file "VXNumberKeyboardViewController"; a host installs
// numberKeyboardView() as a text input's inputView, and each key press types into that
// input through the text-document proxy (a digit or the point), deletes backward, or
// dismisses the keyboard, then calls the matching closure. The controller holds its
// keys and keyboard view weakly: the view hierarchy owns them.
class PELLAVO_EXPORT VXNumberKeyboardViewController : public ui::InputViewController {
public:
    // The controller of the library's interface file, never null: without a usable file,
    // a controller with no keys, on which every operation is a safe no-op.
    static std::shared_ptr<VXNumberKeyboardViewController> createDecimalKeyboard();

    explicit VXNumberKeyboardViewController(std::optional<ns::String> nibName = std::nullopt,
                                            std::optional<ns::Bundle> bundle = std::nullopt);
    explicit VXNumberKeyboardViewController(const ns::Coder& coder);
    std::string_view className() const override { return "VXNumberKeyboardViewController"; }

    // ---- the outlets the interface file connects (null when not connected, or gone)
    std::shared_ptr<ui::View> keyboardView() const { return keyboardView_.lock(); }
    std::shared_ptr<VXDecimalKeyboardBackspaceButton> backspaceButton() const { return backspaceButton_.lock(); }
    std::shared_ptr<VXDecimalKeyboardReturnButtonButton> returnButton() const { return returnButton_.lock(); }
    std::shared_ptr<VXDecimalKeyboardHideButtonButton> hideButton() const { return hideButton_.lock(); }
    std::shared_ptr<VXDecimalKeyboardDotButton> dotButton() const { return dotButton_.lock(); }

    // False: a wide zero key; true: a narrow zero key beside the decimal-point key. Setting
    // it shows the keys at once. A freshly loaded keyboard shows the file's layout until
    // this is set or its view loads.
    bool allowDecimalPoint() const { return privateAllowDecimalPoint_; }
    void setAllowDecimalPoint(bool allow);

    // Pressed (selected and highlighted) backgrounds: black unless set. A colour becomes
    // a 1 × 1 image of that colour, its alpha kept. Each applies at once.
    void setSelectedTextButtonBackgroundColor(ui::Color color);
    void setSelectedReturnButtonBackgroundColor(ui::Color color);
    void setSelectedBackspaceButtonBackgroundColor(ui::Color color);
    void setSelectedTextButtonBackgroundImage(ui::Image image);
    void setSelectedBackspaceButtonBackgroundImage(ui::Image image);
    void setSelectedReturnButtonBackgroundImage(ui::Image image);

    std::shared_ptr<ui::View> numberKeyboardView() const { return keyboardView(); }
    std::shared_ptr<ui::Button> numberKeyboardReturnButton() const { return returnButton(); }
    std::shared_ptr<ui::Button> numberKeyboardBackspaceButton() const { return backspaceButton(); }
    // The keys that type text: the direct subviews of the keyboard view that are text
    // keys, in subview order (empty without a keyboard view).
    std::vector<std::shared_ptr<ui::Button>> textButtons() const;
    // The text keys, then backspace, return and hide (those that exist).
    std::vector<std::shared_ptr<ui::Button>> allButtons() const;

    // Called after a backspace press deleted backward, after a text key's text was
    // inserted (with that text), and after a return press dismissed the keyboard. They
    // are called whether or not an input was active.
    std::function<void()> backspaceAction;
    std::function<void(const ns::String&)> newTextAction;
    std::function<void()> returnAction;

    // Applies the pressed backgrounds and the decimal-point setting to the keys.
    void viewDidLoad() override;
    void updateViewConstraints() override;
    // The keyboard has no use for them.
    void textWillChange(ui::Responder* input) override;
    void textDidChange(ui::Responder* input) override;

private:
    // The action of every key, by the name "buttonPressedAction:": the key's action
    // first (delete, dismiss), then its text. A null key does nothing.
    void buttonPressedAction(VXDecimalKeyboardButton* sender);
    void configureDecimalPointButton();
    void configureSelectedButtonBackgroundImages();

    static bool registerWithRuntime();
    static const bool registeredWithRuntime_;

    bool privateAllowDecimalPoint_ = false;
    std::optional<ui::Image> selectedTextButtonBackgroundImage_;
    std::optional<ui::Image> selectedBackspaceButtonBackgroundImage_;
    std::optional<ui::Image> selectedReturnButtonBackgroundImage_;
    std::weak_ptr<ui::View> keyboardView_;
    std::weak_ptr<VXDecimalKeyboardBackspaceButton> backspaceButton_;
    std::weak_ptr<VXDecimalKeyboardReturnButtonButton> returnButton_;
    std::weak_ptr<VXDecimalKeyboardHideButtonButton> hideButton_;
    std::weak_ptr<VXDecimalKeyboardDotButton> dotButton_;
    // The wide zero (no decimal point) and the narrow one beside the point.
    std::weak_ptr<VXDecimalKeyboardZeroButton> zeroBigButton_;
    std::weak_ptr<VXDecimalKeyboardZeroButton> zeroSmallButton_;
};

} // namespace pellavo
