// The input-type checks computed live over a table of texts, and the number keyboard's keys.
#include <string>
#include <utility>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXNumerKeyboard/Classes/String+TextRegex.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXDecimalKeyboardButton.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo::gallery {

namespace {

void addLabel(ui::View& content, cg::Rect frame, const std::string& text, ns::TextAlignment alignment) {
    auto label = ns::make<ui::Label>(frame);
    label->setText(ns::String(text));
    label->setFont(ui::Font::systemFont(11));
    label->setTextAlignment(alignment);
    content.addSubview(label);
}

void buildGrid(ui::View& content, double y) {
    const std::string d15 = "123456789012345", d16 = d15 + "6", d17 = d16 + "7";
    const std::vector<std::string> texts = {"10",  "0.05", "01",  "1.234", "13800000000", "12800000000",
                                            d16,   d17,    d15,   "1234 5678 9012 3456 ", d17 + "X", d17 + "x"};
    const std::vector<std::pair<InputType, std::string>> types = {
        {InputType::numberic, "number"},
        {InputType::telephone, "phone"},
        {InputType::bankcard, "card"},
        {InputType::identNumber, "ident"},
    };
    constexpr double textWidth = 155, columnWidth = 50, rowHeight = 20;
    for (std::size_t c = 0; c < types.size(); ++c) {
        addLabel(content, {16 + textWidth + c * columnWidth, y, columnWidth, rowHeight}, types[c].second,
                 ns::TextAlignment::center);
    }
    for (std::size_t r = 0; r < texts.size(); ++r) {
        const double rowY = y + (r + 1) * rowHeight;
        addLabel(content, {16, rowY, textWidth, rowHeight}, "\"" + texts[r] + "\"", ns::TextAlignment::left);
        for (std::size_t c = 0; c < types.size(); ++c) {
            const bool passes = string::checkRegex(ns::String(texts[r]), types[c].first);
            addLabel(content, {16 + textWidth + c * columnWidth, rowY, columnWidth, rowHeight},
                     passes ? "\u2713" : "\u2717", ns::TextAlignment::center);
        }
    }
}

void addKey(ui::View& content, std::shared_ptr<VXDecimalKeyboardButton> key, double x, double y) {
    key->setFrame({x, y, 60, 44});
    key->setBackgroundColor(ui::Color::white());
    key->setTitleColor(ui::Color::black(), ui::Control::State::normal);
    content.addSubview(key);
}

void build(ui::View& content) {
    content.setBackgroundColor(ui::Color(0.92, 0.92, 0.94, 1));
    addHeading(content, 12, "CHECKS · checkRegex per input type");
    buildGrid(content, 36);

    addHeading(content, 320, "KEYS · one, dot titled \"X\", \u232B, return, hide");
    auto one = ns::make<VXDecimalKeyboardOneButton>();
    one->setTitle(ns::String("1"), ui::Control::State::normal);
    addKey(content, one, 16, 346);
    auto dot = ns::make<VXDecimalKeyboardDotButton>();
    dot->setTitle(ns::String("X"));
    addKey(content, dot, 84, 346);
    const std::vector<std::pair<std::shared_ptr<VXDecimalKeyboardButton>, const char*>> actions = {
        {ns::make<VXDecimalKeyboardBackspaceButton>(), "\u232B"},
        {ns::make<VXDecimalKeyboardReturnButtonButton>(), "\u786E\u5B9A"},
        {ns::make<VXDecimalKeyboardHideButtonButton>(), "\u2304"},
    };
    double x = 152;
    for (const auto& [key, title] : actions) {
        key->setTitle(ns::String(title), ui::Control::State::normal);
        addKey(content, key, x, 346);
        x += 68;
    }
}

const PageRegistration registration{{"InputType", "Input types and keys", build}};

} // namespace

} // namespace pellavo::gallery
