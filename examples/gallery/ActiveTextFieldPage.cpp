// Underlined text fields: a bordered field at rest and with a thick line under text, an
// active field growing its second line while edited, and info-label fields showing a
// validation message at once and cross-dissolving to a two-colour one.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXTextField/VXAttributedTextField.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/nib/Nib.hpp"

namespace pellavo::gallery {

namespace {

// From an interface file, as hosts load them: awakeFromNib attaches the lines and the label.
const char* const kFields = R"(<interface version="1">
  <object class="VXBorderedTextField" id="bordered" frame="37 34 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
    <property name="lineColor" value="gray"/>
  </object>
  <object class="VXBorderedTextField" id="thick" frame="37 124 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
    <property name="lineColor" value="#333333"/>
    <property name="lineWidth" value="4"/>
  </object>
  <object class="VXActiveTextField" id="active" frame="37 214 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
    <property name="lineColor" value="gray"/>
    <property name="activeLineColor" value="blue"/>
    <property name="activeLineWidth" value="2"/>
    <property name="animationDuration" value="2"/>
  </object>
  <object class="VXAttributedTextField" id="info" frame="37 304 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
    <property name="lineColor" value="gray"/>
    <property name="infoTextColor" value="red"/>
    <property name="infoFontSize" value="11"/>
  </object>
  <object class="VXAttributedTextField" id="dissolving" frame="37 394 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Password"/>
    <property name="placeholderColor" value="gray"/>
    <property name="lineColor" value="gray"/>
    <property name="infoFontSize" value="11"/>
    <property name="infoAnimationDuration" value="2"/>
  </object>
</interface>)";

void caption(ui::View& content, double y, const std::string& text) {
    auto view = ns::make<ui::Label>(cg::Rect{37, y, 300, 16});
    view->setText(ns::String(text));
    view->setFont(ui::Font::systemFont(11, ui::Font::Weight::semibold));
    view->setTextColor(ui::Color(0.45, 1));
    view->setTextAlignment(ns::TextAlignment::right);
    content.addSubview(view);
}

ns::AttributedString twoColourMessage() {
    using Key = ns::AttributedStringKey;
    ns::MutableAttributedString message(ns::String("Strong: 12 characters, a digit"),
                                        {{Key::foregroundColor, ns::Value::of(ui::Color(0.1, 0.6, 0.2, 1))}});
    message.addAttribute(Key::foregroundColor, ns::Value::of(ui::Color(0.45, 1)), ns::Range(6, 24));
    return message;
}

void build(ui::View& content) {
    content.setBackgroundColor(ui::Color(0.94, 0.95, 0.97, 1));
    auto objects = ui::Nib::fromData(kFields, "ActiveTextFields")->instantiate(nullptr);
    std::vector<std::shared_ptr<VXBorderedTextField>> fields;
    for (const auto& object : objects)
        if (auto field = std::dynamic_pointer_cast<VXBorderedTextField>(object)) fields.push_back(field);
    if (fields.size() != 5) return;

    const std::string captions[] = {"BORDERED · empty, 1 pt gray", "BORDERED · 4 pt, text",
                                    "ACTIVE · editing, line growing over 2 s", "ATTRIBUTED · info shown at once",
                                    "ATTRIBUTED · info cross-dissolving over 2 s"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        caption(content, fields[i]->frame().minY() - 18, captions[i]);
        content.addSubview(fields[i]);
    }
    fields[1]->setText(ns::String("ada@example.com"));
    fields[2]->becomeFirstResponder();
    auto info = std::dynamic_pointer_cast<VXAttributedTextField>(fields[3]);
    auto dissolving = std::dynamic_pointer_cast<VXAttributedTextField>(fields[4]);
    if (!info || !dissolving) return;
    info->setText(ns::String("ada@example"));
    info->showInfo("Enter a valid email", false);
    dissolving->setText(ns::String("correct horse"));
    dissolving->showInfo(twoColourMessage(), true);
}

const PageRegistration registration{{"VXActiveTextField", "Underlined text fields", build, 1}};

} // namespace

} // namespace pellavo::gallery
