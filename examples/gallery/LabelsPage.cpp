// Labels that place their text vertically or pad it, and a field whose edit actions
// come from an allow list.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/PaddingLabel.hpp"
#include "pellavo/TextField.hpp"
#include "pellavo/VXAlignLabel.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"

namespace pellavo::gallery {

namespace {

using Align = VXAlignLabel::VerticalAlignment;

// Aligned labels are made only from interface files.
const char* const kAligned = R"(<interface version="1">
  <object class="VXAlignLabel" frame="20 40 110 100"><property name="text" value="Hello"/></object>
  <object class="VXAlignLabel" frame="140 40 110 100"><property name="text" value="Hello"/></object>
  <object class="VXAlignLabel" frame="260 40 110 100"><property name="text" value="Hello"/></object>
  <object class="VXAlignLabel" frame="20 180 300 60"><property name="text" value="Hello"/></object>
</interface>)";

void build(ui::View& content) {
    content.setBackgroundColor(ui::Color::white());
    std::vector<std::shared_ptr<VXAlignLabel>> aligned;
    for (const auto& object : ui::Nib::fromData(kAligned, "Labels")->instantiate(nullptr))
        if (auto label = std::dynamic_pointer_cast<VXAlignLabel>(object)) aligned.push_back(label);
    if (aligned.size() != 4) return;
    addCaption(content, 20, 20, 350, "TOP · MIDDLE · BOTTOM");
    const Align alignments[] = {Align::top, Align::middle, Align::bottom, Align::bottom};
    for (std::size_t i = 0; i < aligned.size(); ++i) {
        aligned[i]->setBackgroundColor(ui::Color(0.9, 0.9, 0.9, 1));
        aligned[i]->setVerticalAlignment(alignments[i]);
        content.addSubview(aligned[i]);
    }
    aligned[3]->setTextAlignment(ns::TextAlignment::center);
    addCaption(content, 20, 160, 300, "CENTRED · BOTTOM");

    addCaption(content, 20, 260, 350, "PADDED 5·10 · 20·40");
    auto& runtime = ns::Runtime::shared();
    const double insets[2][2] = {{5, 10}, {20, 40}};
    const ui::Color colours[] = {ui::Color(0.75, 0.87, 1, 1), ui::Color(1, 0.85, 0.7, 1)};
    double x = 20;
    for (int i = 0; i < 2; ++i) {
        auto label = std::dynamic_pointer_cast<PaddingLabel>(runtime.create("PaddingLabel"));
        if (!label) return;
        for (const char* key : {"topInset", "bottomInset"}) runtime.setValue(*label, key, ns::Value::of(insets[i][0]));
        for (const char* key : {"leftInset", "rightInset"}) runtime.setValue(*label, key, ns::Value::of(insets[i][1]));
        label->setText(ns::String("Padded"));
        label->setBackgroundColor(colours[i]);
        label->setFrame({{x, 280}, label->intrinsicContentSize()});
        x += label->frame().size.width + 20;
        content.addSubview(label);
    }

    auto field = ns::make<TextField>(cg::Rect{20, 380, 300, 40});
    field->setBackgroundColor(ui::Color(0.95, 0.95, 0.95, 1));
    field->setText(ns::String("Copy only"));
    field->setAllowedActions({ResponderStandardEditActions::copy});
    content.addSubview(field);
    std::string answers;
    for (const char* name : {"cut", "copy", "paste"}) {
        const bool yes = field->canPerformAction(ns::Selector(std::string(name) + ":"), nullptr);
        answers += std::string(answers.empty() ? "" : "  ") + name + (yes ? " ✓" : " ✗");
    }
    addCaption(content, 20, 430, 300, answers);
}

const PageRegistration registration{{"Labels", "Aligned and padded labels", build, 1}};

} // namespace

} // namespace pellavo::gallery
