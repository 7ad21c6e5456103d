#include "pellavo/VXNumerKeyboard/Classes/VXRegexTextField.hpp"

#include <cmath>
#include <optional>
#include <utility>

#include "pellavo/VXNumerKeyboard/Classes/String+Insert.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/RegularExpression.hpp"
#include "platform/ns/Value.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

namespace {

// A bank-card number is shown in groups of four; at this many characters (twenty
// digits with their separators) the text is complete and checked as a whole.
constexpr std::int64_t kBankcardGroupedLength = 25;
constexpr std::int64_t kTelephoneLength = 11;
constexpr std::int64_t kIdentNumberLength = 18;

// What may stand before a trailing point in an amount: nothing, a zero, or a whole
// number without a leading zero.
bool isAmountWholePart(const ns::String& text) {
    static const auto wholeNumber = ns::RegularExpression::make(ns::String(R"re(^(?:0|[1-9]\d*)$)re"));
    return text.isEmpty() || (wholeNumber && wholeNumber->firstMatch(text, ns::Range{0, text.length()}).has_value());
}

bool isOnlySpaces(const ns::String& text) {
    for (const char16_t unit : text.utf16())
        if (unit != u' ') return false;
    return !text.isEmpty();
}

} // namespace

VXRegexTextField::VXRegexTextField(cg::Rect frame) : ui::TextField(frame) {}

VXRegexTextField::VXRegexTextField(const ns::Coder& coder) : ui::TextField(coder) {}

void VXRegexTextField::init() {
    ui::TextField::init();
    keyboardVC_ = makeKeyboard();
    if (!keyboardVC_) keyboardVC_ = ns::make<VXNumberKeyboardViewController>();
    configureKeyboard();
}

std::shared_ptr<VXNumberKeyboardViewController> VXRegexTextField::makeKeyboard() const {
    return VXNumberKeyboardViewController::createDecimalKeyboard();
}

void VXRegexTextField::awakeFromNib() {
    ui::TextField::awakeFromNib();
    // Runs the set-up once more with the same result: the target is stored once and
    // the delegate and input view are the same objects.
    configureKeyboard();
}

void VXRegexTextField::configureKeyboard() {
    // Every step that needs a key or the keyboard view is skipped without it.
    auto& keyboard = *keyboardVC_;
    keyboard.setAllowDecimalPoint(true);
    const ui::Color pressed = ui::Color::lightGray();
    keyboard.setSelectedTextButtonBackgroundColor(pressed);
    keyboard.setSelectedReturnButtonBackgroundColor(pressed);
    keyboard.setSelectedBackspaceButtonBackgroundColor(pressed);
    if (const auto returnKey = keyboard.numberKeyboardReturnButton())
        returnKey->setTitle(ns::String("确定"), ui::Control::State::normal);
    // Typed text reaches the field through the text-document proxy alone.
    keyboard.returnAction = [] {};
    keyboard.backspaceAction = [] {};
    keyboard.newTextAction = [](const ns::String&) {};
    if (const auto view = keyboard.numberKeyboardView()) setInputView(view);

    const auto self = sharedFromThis<VXRegexTextField>();
    // Held weakly by the field, so being its own delegate makes no cycle.
    setDelegate(self);
    addTarget(self, &VXRegexTextField::editingChanged, ui::Control::Event::editingChanged);
}

void VXRegexTextField::setRegexDelegate(std::shared_ptr<VXRegexTextFieldDelegate> delegate) {
    regexDelegate_ = std::move(delegate);
}

void VXRegexTextField::setInputType(InputType type) {
    inputType_ = type;
    keyboardVC_->setAllowDecimalPoint(type == InputType::numberic || type == InputType::identNumber);
    // On the button itself: the key types its normal title.
    if (const auto dot = keyboardVC_->dotButton())
        dot->setTitle(ns::String(type == InputType::identNumber ? "X" : "."), ui::Control::State::normal);
}

void VXRegexTextField::editingChanged() {
    // A local owner: the delegate may clear itself from inside the call.
    if (const auto delegate = regexDelegate_) delegate->regexTextFieldEditingChanged(*this);
}

// ------------------------------------------------------------------ the edit rule

bool VXRegexTextField::textFieldShouldChangeCharactersIn(ui::TextField&, ns::Range range,
                                                         const ns::String& replacement) {
    const ns::String current = text();
    const std::optional<ns::String> changed = current.replacingCharacters(range, replacement);
    if (!changed) return false;
    if (const auto delegate = regexDelegate_) {
        if (!delegate->regexTextFieldShouldChangeCharactersIn(*this, range, replacement)) return false;
    }
    if (changed->isEmpty()) return true;

    const std::int64_t length = changed->graphemeCount();
    switch (inputType_) {
    case InputType::numberic: return allowsNumber(*changed);
    case InputType::telephone:
        return length < kTelephoneLength ? string::onlyNumbers(*changed)
                                         : string::checkRegex(*changed, InputType::telephone);
    case InputType::identNumber:
        return length < kIdentNumberLength ? string::onlyNumbers(*changed)
                                           : string::checkRegex(*changed, InputType::identNumber);
    case InputType::bankcard:
        if (length >= kBankcardGroupedLength) return string::checkRegex(*changed, InputType::bankcard);
        return regroupBankcard(range, replacement, *changed);
    }
    return false;
}

bool VXRegexTextField::allowsNumber(const ns::String& text) const {
    if (text == ns::String(".") || text == ns::String("0") || text == ns::String("0.0")) return true;
    const auto parts = text.components(ns::String("."));
    if (parts.size() > 2) return false;
    // An amount being typed may end in its point, but only after a whole number:
    // "12." and "0." are on their way to an amount, "abc." and "00." are not.
    if (parts.size() == 2 && text.graphemes().back() == ns::String(".")) return isAmountWholePart(parts.front());
    return string::checkRegex(text, InputType::numberic);
}

bool VXRegexTextField::regroupBankcard(ns::Range range, const ns::String& replacement, ns::String changed) {
    const ns::String current = text();
    // Deleting only the separator after a group would regroup back to the same text
    // and leave the user stuck: the digit before it goes too.
    if (replacement.isEmpty() && range.location > 0 && isOnlySpaces(current.substring(range).value_or(""))) {
        const ns::Range before = current.rangeOfComposedCharacterSequence(range.location - 1);
        const ns::Range widened{before.location, range.location + range.length - before.location};
        if (auto shorter = current.replacingCharacters(widened, ns::String())) changed = std::move(*shorter);
    }
    // A programmatic set: no editing events, the caret at the end. The platform then
    // drops the refused edit, whose range no longer applies.
    setText(string::insert(changed, ns::String(" "), 4));
    return false;
}

// ------------------------------------------------------------------ runtime

bool VXRegexTextField::registerWithRuntime() {
    using Self = VXRegexTextField;
    ns::ClassRegistration<Self>("VXRegexTextField", "UITextField")
        .action(ns::Selector("editingChanged"), &Self::editingChanged);
    return true;
}

const bool VXRegexTextField::registered_ = VXRegexTextField::registerWithRuntime();

// ------------------------------------------------------------------ extensions

namespace uitextfield {

void setPlaceHolderTextColor(ui::TextField& field, ui::Color color) {
    field.setAttributedPlaceholder(
        ns::AttributedString(field.placeholder().value_or(ns::String()),
                             {{ns::AttributedStringKey::foregroundColor, ns::Value::of(color)}}));
}

void addLeftPadding(ui::TextField& field, double length) {
    // A length that is not a finite, positive number gives an empty spacer.
    const double width = std::isfinite(length) && length > 0 ? length : 0;
    field.setLeftView(ns::make<ui::View>(cg::Rect{0, 0, width, field.frame().height()}));
    field.setLeftViewMode(ui::TextField::ViewMode::always);
}

} // namespace uitextfield

} // namespace pellavo
