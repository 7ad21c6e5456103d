// Floating-placeholder text field: the label resting inside an empty field, floated
// above fields with text (in one step, smoothly, and larger than at rest), and floated
// over an empty field that is being edited.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXTextField/VXPlaceholderTextField.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/nib/Nib.hpp"

namespace pellavo::gallery {

namespace {

using Type = VXPlaceholderTextField::MinimizationAnimationType;

// The fields come from an interface file, the way hosts load them, so that
// awakeFromNib wires them.
const char* const kFields = R"(<interface version="1">
  <object class="VXPlaceholderTextField" id="resting" frame="37 34 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
  </object>
  <object class="VXPlaceholderTextField" id="withText" frame="37 110 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
  </object>
  <object class="VXPlaceholderTextField" id="smoothly" frame="37 186 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
  </object>
  <object class="VXPlaceholderTextField" id="larger" frame="37 262 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
    <property name="minimumPlaceholderFontSize" value="20"/>
    <property name="originalPlaceholderFontSize" value="14"/>
  </object>
  <object class="VXPlaceholderTextField" id="editing" frame="37 338 300 40">
    <property name="backgroundColor" value="white"/>
    <property name="tweePlaceholder" value="Email"/>
    <property name="placeholderColor" value="gray"/>
  </object>
</interface>)";

void build(ui::View& content) {
    content.setBackgroundColor(ui::Color(0.94, 0.95, 0.97, 1));
    auto objects = ui::Nib::fromData(kFields, "PlaceholderTextFields")->instantiate(nullptr);
    std::vector<std::shared_ptr<VXPlaceholderTextField>> fields;
    for (const auto& object : objects)
        if (auto field = std::dynamic_pointer_cast<VXPlaceholderTextField>(object)) fields.push_back(field);
    if (fields.size() != 5) return;

    const std::string captions[] = {"EMPTY · resting, 17 pt", "TEXT FROM CODE · floated, 12 pt",
                                    "SMOOTHLY · settled, 12 pt", "MIN 20 · ORIGINAL 14 · text",
                                    "EDITING · empty, floated"};
    for (int i = 0; i < 5; ++i) {
        // Captions sit above each field at the right, clear of the floated label on the left.
        addCaption(content, 37, fields[static_cast<std::size_t>(i)]->frame().minY() - 18, 300, captions[i]);
        content.addSubview(fields[static_cast<std::size_t>(i)]);
    }
    fields[1]->setText(ns::String("ada@example.com"));
    fields[2]->setMinimizationAnimationType(Type::smoothly);
    fields[2]->setText(ns::String("ada@example.com"));
    fields[3]->setText(ns::String("ada@example.com"));
    fields[4]->becomeFirstResponder();
}

const PageRegistration registration{{"VXPlaceholderTextField", "Placeholder text field", build, 1}};

} // namespace

} // namespace pellavo::gallery
