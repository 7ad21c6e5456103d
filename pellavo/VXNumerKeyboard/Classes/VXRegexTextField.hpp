#pragma once

#include <memory>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "pellavo/VXNumerKeyboard/Classes/String+TextRegex.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXRegexTextFieldDelegate.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/TextField.hpp"

namespace pellavo {

// A text field that takes only text of one input type: an amount, an 11-digit mobile
// number, a bank-card number shown in groups of four, or an 18-character identity
// number. It shows its own number keyboard in place of the system's and checks every
// edit before it is applied, typed on that keyboard or pasted, as its own text-field
// delegate. A host that sets delegate() itself replaces the field's rule and turns the
// checking off; hosts listen through setRegexDelegate() instead.
class PELLAVO_EXPORT VXRegexTextField : public ui::TextField, public ui::TextFieldDelegate {
public:
    explicit VXRegexTextField(cg::Rect frame = {});
    explicit VXRegexTextField(const ns::Coder& coder);
    std::string_view className() const override { return "VXRegexTextField"; }

    // Held strongly.
    std::shared_ptr<VXRegexTextFieldDelegate> regexDelegate() const { return regexDelegate_; }
    void setRegexDelegate(std::shared_ptr<VXRegexTextFieldDelegate> delegate);
    // numberic until set. Each set re-configures the keyboard: the decimal-point key
    // shows for numberic (typing ".") and identNumber (titled and typing "X"); the
    // other types get a wide zero key. Until the first set the key shows and types ".".
    InputType inputType() const { return inputType_; }
    void setInputType(InputType type);

    // The edit rule: the regex delegate first, then the input type's rule. Lengths
    // count grapheme clusters, the range UTF-16 units; a range outside the text or
    // splitting a surrogate pair is refused without asking anyone. Below 25
    // characters a bank-card edit is refused and the text regrouped in its place.
    bool textFieldShouldChangeCharactersIn(ui::TextField& field, ns::Range range,
                                           const ns::String& replacement) override;

    void awakeFromNib() override;

protected:
    // Creates the keyboard (makeKeyboard()) and sets the field up with it.
    void init() override;
    // The field's own keyboard controller, made once per field: the library's number
    // keyboard. A controller without keys (or none) leaves the system panel in place;
    // the edit rule applies all the same.
    virtual std::shared_ptr<VXNumberKeyboardViewController> makeKeyboard() const;

private:
    // Runs again from awakeFromNib with the same result.
    void configureKeyboard();
    // The action of the field's own editingChanged event.
    void editingChanged();
    bool allowsNumber(const ns::String& text) const;
    // The bank-card rule below 25 characters: regroups in place and refuses.
    bool regroupBankcard(ns::Range range, const ns::String& replacement, ns::String changed);
    static bool registerWithRuntime();

    std::shared_ptr<VXNumberKeyboardViewController> keyboardVC_;
    InputType inputType_ = InputType::numberic;
    std::shared_ptr<VXRegexTextFieldDelegate> regexDelegate_;
    static const bool registered_;
};

namespace uitextfield {

// The field's placeholder text ("" without one) as its attributed placeholder, in
// the colour.
PELLAVO_EXPORT void setPlaceHolderTextColor(ui::TextField& field, ui::Color color);
// A plain view as wide as `length` and as high as the field is now becomes the
// field's left view, always shown.
PELLAVO_EXPORT void addLeftPadding(ui::TextField& field, double length);

} // namespace uitextfield

} // namespace pellavo
