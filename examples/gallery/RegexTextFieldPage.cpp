// Regular-expression text field: an amount, a mobile number, an identity number and a
// bank-card number, each typed in one character at a time so that the field's rule
// and the bank-card grouping apply. The bank-card field keeps editing, so its number
// keyboard shows below.
#include <memory>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXRegexTextField.hpp"

namespace pellavo::gallery {

namespace {

struct Field {
    InputType type;
    const char* caption;
    const char* placeholder;
    const char* typed;
};

void build(ui::View& content) {
    content.setBackgroundColor(ui::Color(0.94, 0.95, 0.97, 1));
    const Field fields[] = {
        {InputType::numberic, "AMOUNT · numberic", "Amount", "12.5"},
        {InputType::telephone, "MOBILE · telephone", "Mobile number", "13800000000"},
        {InputType::identNumber, "IDENTITY · identNumber", "Identity number", "11010519491231002X"},
        {InputType::bankcard, "BANK CARD · bankcard, editing", "Card number", "6222 0212 3456 7890 "},
    };
    double y = 34;
    for (const auto& row : fields) {
        auto field = ns::make<VXRegexTextField>(cg::Rect{37, y, 300, 40});
        field->setBackgroundColor(ui::Color::white());
        field->setInputType(row.type);
        field->setPlaceholder(ns::String(row.placeholder));
        uitextfield::setPlaceHolderTextColor(*field, ui::Color::lightGray());
        uitextfield::addLeftPadding(*field, 12);
        addCaption(content, 37, y - 18, 300, row.caption);
        content.addSubview(field);
        // Typed as a user would: each character is an edit the field checks.
        field->becomeFirstResponder();
        for (const auto& grapheme : ns::String(row.typed).graphemes()) field->insertText(grapheme);
        y += 76;
    }
}

const PageRegistration registration{{"VXRegexTextField", "Regular-expression text field", build, 1}};

} // namespace

} // namespace pellavo::gallery
