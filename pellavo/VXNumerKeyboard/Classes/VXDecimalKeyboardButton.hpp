#pragma once

#include <optional>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/control/Button.hpp"

namespace pellavo {

// What a key does besides inserting text.
enum class ButtonActionType { backspace, return_, hide };  // `return` is a C++ keyword

// What a number-keyboard key answers, by its class alone: the text it inserts and the
// action it performs (each nullopt when the key has none).
class PELLAVO_EXPORT VXDecimalKeyboardButtonProtocol {
public:
    virtual ~VXDecimalKeyboardButtonProtocol() = default;
    virtual std::optional<ns::String> theButtonText() const = 0;
    virtual std::optional<ButtonActionType> theButtonActionType() const = 0;
};

// The keys of the number keyboard, made by class name from its interface file. They are
// kept together because each is a one-line answer only meaningful beside the others.
// Creating a key sets no title: it shows what the interface file (or the host) gives it.
// A plain key inserts nothing and performs nothing.
class PELLAVO_EXPORT VXDecimalKeyboardButton : public ui::Button, public VXDecimalKeyboardButtonProtocol {
public:
    explicit VXDecimalKeyboardButton(const cg::Rect& frame = {});
    explicit VXDecimalKeyboardButton(const ns::Coder& coder);
    std::string_view className() const override { return "VXDecimalKeyboardButton"; }
    std::optional<ns::String> theButtonText() const override { return std::nullopt; }
    std::optional<ButtonActionType> theButtonActionType() const override { return std::nullopt; }
};

// Marks the keys that insert text (the keyboard looks them up by this class).
class PELLAVO_EXPORT VXDecimalKeyboardTextButton : public VXDecimalKeyboardButton {
public:
    using VXDecimalKeyboardButton::VXDecimalKeyboardButton;
    std::string_view className() const override { return "VXDecimalKeyboardTextButton"; }
};

// The digit keys answer their class's digit whatever title they show.
class PELLAVO_EXPORT VXDecimalKeyboardZeroButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardZeroButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("0"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardOneButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardOneButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("1"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardTwoButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardTwoButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("2"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardThreeButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardThreeButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("3"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardFourButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardFourButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("4"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardFiveButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardFiveButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("5"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardSixButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardSixButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("6"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardSevenButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardSevenButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("7"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardEightButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardEightButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("8"); }
};
class PELLAVO_EXPORT VXDecimalKeyboardNineButton : public VXDecimalKeyboardTextButton {
public:
    using VXDecimalKeyboardTextButton::VXDecimalKeyboardTextButton;
    std::string_view className() const override { return "VXDecimalKeyboardNineButton"; }
    std::optional<ns::String> theButtonText() const override { return ns::String("9"); }
};

// The decimal-point key inserts whatever its normal title shows (none until it is given one).
class PELLAVO_EXPORT VXDecimalKeyboardDotButton : public VXDecimalKeyboardTextButton {
public:
    explicit VXDecimalKeyboardDotButton(const cg::Rect& frame = {});
    explicit VXDecimalKeyboardDotButton(const ns::Coder& coder);
    std::string_view className() const override { return "VXDecimalKeyboardDotButton"; }

    using ui::Button::setTitle;  // keep the per-state forms visible
    using ui::Button::title;
    // The stored title, "." until set; it is not what the key shows until setTitle is called.
    ns::String title() const { return title_; }
    // Stores the title, then shows it for the selected, highlighted and normal states.
    void setTitle(ns::String title);
    std::optional<ns::String> theButtonText() const override { return title(State::normal); }

private:
    ns::String title_;
};

class PELLAVO_EXPORT VXDecimalKeyboardBackspaceButton : public VXDecimalKeyboardButton {
public:
    using VXDecimalKeyboardButton::VXDecimalKeyboardButton;
    std::string_view className() const override { return "VXDecimalKeyboardBackspaceButton"; }
    std::optional<ButtonActionType> theButtonActionType() const override { return ButtonActionType::backspace; }
};
class PELLAVO_EXPORT VXDecimalKeyboardReturnButtonButton : public VXDecimalKeyboardButton {
public:
    using VXDecimalKeyboardButton::VXDecimalKeyboardButton;
    std::string_view className() const override { return "VXDecimalKeyboardReturnButtonButton"; }
    std::optional<ButtonActionType> theButtonActionType() const override { return ButtonActionType::return_; }
};
class PELLAVO_EXPORT VXDecimalKeyboardHideButtonButton : public VXDecimalKeyboardButton {
public:
    using VXDecimalKeyboardButton::VXDecimalKeyboardButton;
    std::string_view className() const override { return "VXDecimalKeyboardHideButtonButton"; }
    std::optional<ButtonActionType> theButtonActionType() const override { return ButtonActionType::hide; }
};

} // namespace pellavo
