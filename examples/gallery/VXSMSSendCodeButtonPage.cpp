// The code countdown button: at rest, counting, and reset after a one-second count.
#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXSMSSendCodeButton.hpp"

namespace pellavo::gallery {

namespace {

std::shared_ptr<VXSMSSendCodeButton> button(ui::View& content, double y, std::string text) {
    addHeading(content, y, std::move(text));
    auto made = ns::make<VXSMSSendCodeButton>(cg::Rect{16, y + 24, 160, 44});
    made->setBackgroundColor(ui::Color::blue());
    made->setTitleColor(ui::Color::white(), ui::Control::State::normal);
    made->setTitleColor(ui::Color::white(), ui::Control::State::disabled);
    content.addSubview(made);
    return made;
}

void build(ui::View& content) {
    // A reset before any countdown has no background to restore: the host sets it after.
    auto resting = button(content, 12, "AT REST · after reset()");
    resting->reset();
    resting->setBackgroundColor(ui::Color::blue());

    button(content, 92, "COUNTING · countdown(), one second in")->countdown();

    auto once = button(content, 172, "DURATION 1 · reset after its second");
    once->setDuration(1);
    once->countdown();
}

// 1.5 s: the running count shows 59s, the one-second count has reset.
const PageRegistration registration{{"VXSMSSendCodeButton", "Code countdown button", build, 1.5}};

} // namespace

} // namespace pellavo::gallery
