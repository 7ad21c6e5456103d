// The placeholder text view: empty, filled from code, moved in by insets, centred,
// an attributed placeholder, a wrapped one in a narrow view, and one being typed in.
// The states are taller than the page together, so they sit in a vertical scroll view;
// the one being typed in comes first, above the keyboard it raises, and the content
// runs on far enough for every state to scroll clear of that keyboard.
#include <memory>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXPlaceholderTextView.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ui/scroll/ScrollView.hpp"

namespace pellavo::gallery {

namespace {

constexpr double rowHeight = 112;
constexpr double keyboardAllowance = 260;

std::shared_ptr<VXPlaceholderTextView> textView(ui::View& content, double y, const std::string& heading,
                                                double width = 300) {
    addHeading(content, y, heading);
    auto made = ns::make<VXPlaceholderTextView>(cg::Rect{16, y + 20, width, 90});
    made->setFont(ui::Font::systemFont(15));
    made->setPlaceholderFont(std::nullopt);
    made->setPlaceholder(ns::String("Write a comment…"));
    made->layer()->setBorderWidth(1);
    made->layer()->setBorderColor(ui::Color(0.75, 1).cgColor());
    content.addSubview(made);
    return made;
}

void build(ui::View& content) {
    content.setBackgroundColor(ui::Color::white());
    auto scroll = ns::make<ui::ScrollView>(content.bounds());
    scroll->setContentSize({content.bounds().width(), 8 + 7 * rowHeight + keyboardAllowance});
    content.addSubview(scroll);
    auto& page = *scroll;

    auto typing = textView(page, 8, "EDITING · \"a\" typed");
    typing->becomeFirstResponder();
    typing->insertText(ns::String("a"));

    textView(page, 8 + rowHeight, "EMPTY · default colour");

    textView(page, 8 + 2 * rowHeight, "TEXT FROM CODE · no placeholder")
        ->setText(ns::String("Shipped on Tuesday; the parcel should arrive by Friday."));

    textView(page, 8 + 3 * rowHeight, "INSETS 20, 10, 20, 10")->setTextContainerInset({20, 10, 20, 10});

    textView(page, 8 + 4 * rowHeight, "CENTRE-ALIGNED")->setTextAlignment(ns::TextAlignment::center);

    using Key = ns::AttributedStringKey;
    ns::MutableAttributedString twoColours(ns::AttributedString(
        ns::String("Write a comment "), {{Key::font, ns::Value::of(ui::Font::systemFont(15))},
                                         {Key::foregroundColor, ns::Value::of(ui::Color(0.2, 0.45, 0.85, 1))}}));
    twoColours.append(ns::AttributedString(ns::String("(optional)"),
                                           {{Key::font, ns::Value::of(ui::Font::boldSystemFont(15))},
                                            {Key::foregroundColor, ns::Value::of(ui::Color(0.85, 0.35, 0.3, 1))}}));
    textView(page, 8 + 5 * rowHeight, "ATTRIBUTED · two colours")->setAttributedPlaceholder(twoColours);

    textView(page, 8 + 6 * rowHeight, "WRAPPED · 160 points wide", 160)
        ->setPlaceholder(ns::String("Tell us what went well and what we could improve"));
}

const PageRegistration registration{{"VXPlaceholderTextView", "Placeholder text view", build, 0.5}};

} // namespace

} // namespace pellavo::gallery
