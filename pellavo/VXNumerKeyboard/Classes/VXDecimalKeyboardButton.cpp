#include "pellavo/VXNumerKeyboard/Classes/VXDecimalKeyboardButton.hpp"

#include <utility>

#include "platform/ns/ClassRegistration.hpp"

namespace pellavo {

VXDecimalKeyboardButton::VXDecimalKeyboardButton(const cg::Rect& frame)
    : VXDecimalKeyboardButton(ns::Coder::with(ns::Coder::frameKey, frame)) {}

VXDecimalKeyboardButton::VXDecimalKeyboardButton(const ns::Coder& coder) : ui::Button(coder) {}

VXDecimalKeyboardDotButton::VXDecimalKeyboardDotButton(const cg::Rect& frame)
    : VXDecimalKeyboardDotButton(ns::Coder::with(ns::Coder::frameKey, frame)) {}

VXDecimalKeyboardDotButton::VXDecimalKeyboardDotButton(const ns::Coder& coder)
    : VXDecimalKeyboardTextButton(coder), title_(".") {}

void VXDecimalKeyboardDotButton::setTitle(ns::String title) {
    title_ = std::move(title);
    setTitle(title_, State::selected);
    setTitle(title_, State::highlighted);
    setTitle(title_, State::normal);
}

namespace {

template <class T>
using Registration = ns::ClassRegistration<T>;

// Known by name (the keyboard's interface file names them); no properties, no actions.
[[maybe_unused]] const bool registered = [] {
    Registration<VXDecimalKeyboardButton>("VXDecimalKeyboardButton", "UIButton");
    Registration<VXDecimalKeyboardTextButton>("VXDecimalKeyboardTextButton", "VXDecimalKeyboardButton");
    Registration<VXDecimalKeyboardZeroButton>("VXDecimalKeyboardZeroButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardOneButton>("VXDecimalKeyboardOneButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardTwoButton>("VXDecimalKeyboardTwoButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardThreeButton>("VXDecimalKeyboardThreeButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardFourButton>("VXDecimalKeyboardFourButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardFiveButton>("VXDecimalKeyboardFiveButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardSixButton>("VXDecimalKeyboardSixButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardSevenButton>("VXDecimalKeyboardSevenButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardEightButton>("VXDecimalKeyboardEightButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardNineButton>("VXDecimalKeyboardNineButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardDotButton>("VXDecimalKeyboardDotButton", "VXDecimalKeyboardTextButton");
    Registration<VXDecimalKeyboardBackspaceButton>("VXDecimalKeyboardBackspaceButton", "VXDecimalKeyboardButton");
    Registration<VXDecimalKeyboardReturnButtonButton>("VXDecimalKeyboardReturnButtonButton", "VXDecimalKeyboardButton");
    Registration<VXDecimalKeyboardHideButtonButton>("VXDecimalKeyboardHideButtonButton", "VXDecimalKeyboardButton");
    return true;
}();

} // namespace

} // namespace pellavo
