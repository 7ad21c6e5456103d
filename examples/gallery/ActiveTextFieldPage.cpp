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

// One field of the interface file: white, with a grey placeholder and a grey underline
// unless `properties` set another.
std::string fieldObject(const char* cls, int row, const char* placeholder, const std::string& properties) {
    // Rows of 66 points, the info-label rows 84: all clear of the keyboard the edited field raises.
    const int top = 30 + 66 * row + (row > 3 ? 18 : 0);
    return std::string(R"(<object class=")") + cls + R"(" id="f)" + std::to_string(row) + R"(" frame="37 )" +
           std::to_string(top) + R"( 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value=")" +
           placeholder + R"("/>
    <property name="placeholderColor" value="gray"/>
    <property name="lineColor" value="gray"/>)" +
           properties + "</object>";
}

// From an interface file, as hosts load them: awakeFromNib attaches the lines and the label.
std::string interfaceFile() {
    return R"(<interface version="1">)" + fieldObject("VXBorderedTextField", 0, "Email", "") +
           fieldObject("VXBorderedTextField", 1, "Email",
                       R"(<property name="lineColor" value="#333333"/><property name="lineWidth" value="4"/>)") +
           fieldObject("VXActiveTextField", 2, "Email", R"(<property name="activeLineColor" value="blue"/>
                 <property name="activeLineWidth" value="2"/><property name="animationDuration" value="2"/>)") +
           fieldObject("VXAttributedTextField", 3, "Email",
                       R"(<property name="infoTextColor" value="red"/><property name="infoFontSize" value="11"/>)") +
           fieldObject("VXAttributedTextField", 4, "Password", R"(<property name="infoFontSize" value="11"/>
                 <property name="infoAnimationDuration" value="2"/>)") +
           "</interface>";
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
    auto objects = ui::Nib::fromData(interfaceFile(), "ActiveTextFields")->instantiate(nullptr);
    std::vector<std::shared_ptr<VXBorderedTextField>> fields;
    for (const auto& object : objects)
        if (auto field = std::dynamic_pointer_cast<VXBorderedTextField>(object)) fields.push_back(field);
    if (fields.size() != 5) return;

    const std::string captions[] = {"BORDERED · empty, 1 pt", "BORDERED · 4 pt, text",
                                    "ACTIVE · editing, grows over 2 s", "ATTRIBUTED · info at once",
                                    "ATTRIBUTED · dissolving over 2 s"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        addCaption(content, 37, fields[i]->frame().minY() - 18, 300, captions[i]);
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
