// A host of Pellavo: a stepper whose value a label shows, and a segmented control that
// picks the stepper's step. `hello --png out.png --frames 10` draws it without a window.
#include <cstdio>
#include <string>
#include <pellavo/GMStepper/GMStepper.hpp>
#include <pellavo/VXSegmentedControl.hpp>
#include <platform/ui/control/Label.hpp>
#include <platform/ui/controller/ViewController.hpp>
#include <platform/ui/event/Application.hpp>

using namespace pellavo;

class HelloController : public ui::ViewController {
    std::shared_ptr<GMStepper> stepper_ = ns::make<GMStepper>(cg::Rect{87, 200, 200, 40});
    std::shared_ptr<ui::Label> label_ = ns::make<ui::Label>(cg::Rect{20, 260, 335, 30});

    void viewDidLoad() override {
        view()->setBackgroundColor(ui::Color::white());
        auto steps = ns::make<VXSegmentedControl>(cg::Rect{40, 120, 295, 40});
        steps->setItemTitles({"Step 1", "Step 5", "Step 10"});
        steps->didSelectItemWith = [stepper = std::weak_ptr(stepper_)](int index, auto) {
            if (const auto s = stepper.lock()) s->setStepValue(index == 0 ? 1 : index * 5);
        };
        stepper_->addTarget(sharedFromThis<HelloController>(), &HelloController::showValue,
                            ui::Control::Event::valueChanged);
        label_->setTextAlignment(ns::TextAlignment::center);
        for (const auto& v : std::vector<std::shared_ptr<ui::View>>{steps, stepper_, label_}) view()->addSubview(v);
        stepper_->setValue(5);
    }
    void showValue() {
        const std::string text = "Value: " + std::to_string(static_cast<int>(stepper_->value()));
        label_->setText(ns::String(text));
        std::printf("%s\n", text.c_str());
    }
};

int main(int argc, char** argv) {
    return ui::Application::run(argc, argv, [](ui::Window&) { return ns::make<HelloController>(); });
}
