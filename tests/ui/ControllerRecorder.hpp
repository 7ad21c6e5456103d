#pragma once

// Controllers that write every hook they hear into a shared log, for the controller tests.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ns/Object.hpp"
#include "platform/ui/controller/NavigationController.hpp"
#include "platform/ui/view/TraitCollection.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/controller/ViewControllerTransitionCoordinator.hpp"

namespace pellavo::testing {

using CallLog = std::shared_ptr<std::vector<std::string>>;

inline CallLog makeCallLog() { return std::make_shared<std::vector<std::string>>(); }

inline std::string sizeText(cg::Size size) {
    return std::to_string(static_cast<int>(size.width)) + "x" + std::to_string(static_cast<int>(size.height));
}

// Records "<name>.<hook>" for every hook; appearance hooks add "(1)" when animated.
template <class Base>
class Recording : public Base {
public:
    template <class... Args>
    Recording(std::string name, CallLog log, Args&&... args)
        : Base(std::forward<Args>(args)...), name_(std::move(name)), log_(std::move(log)) {}

    std::string_view className() const override { return name_; }
    const std::string& name() const { return name_; }

    void loadView() override {
        record("loadView");
        Base::loadView();
    }
    void viewDidLoad() override { record("viewDidLoad"); }
    void viewWillLayoutSubviews() override { record("viewWillLayoutSubviews"); }
    void viewDidLayoutSubviews() override { record("viewDidLayoutSubviews"); }
    void viewWillAppear(bool animated) override { record("viewWillAppear", animated); }
    void viewDidAppear(bool animated) override { record("viewDidAppear", animated); }
    void viewWillDisappear(bool animated) override { record("viewWillDisappear", animated); }
    void viewDidDisappear(bool animated) override { record("viewDidDisappear", animated); }
    void willMoveToParent(const std::shared_ptr<ui::ViewController>& parent) override {
        record(std::string("willMoveToParent:") + (parent ? std::string(parent->className()) : "null"));
    }
    void didMoveToParent(const std::shared_ptr<ui::ViewController>& parent) override {
        record(std::string("didMoveToParent:") + (parent ? std::string(parent->className()) : "null"));
    }
    void viewWillTransition(cg::Size size,
                            const std::shared_ptr<ui::ViewControllerTransitionCoordinator>& coordinator) override {
        record("viewWillTransition:" + sizeText(size));
        lastCoordinator = coordinator;
    }
    void willTransition(const ui::TraitCollection& traits,
                        const std::shared_ptr<ui::ViewControllerTransitionCoordinator>& coordinator) override {
        record(std::string("willTransition:") +
               (traits.verticalSizeClass == ui::UserInterfaceSizeClass::compact ? "compact" : "regular"));
        lastCoordinator = coordinator;
    }
    void traitCollectionDidChange(const std::optional<ui::TraitCollection>& previous) override {
        record(std::string("traitCollectionDidChange:") +
               (previous && previous->verticalSizeClass == ui::UserInterfaceSizeClass::regular ? "fromRegular"
                                                                                                : "other"));
    }

    std::shared_ptr<ui::ViewControllerTransitionCoordinator> lastCoordinator;

private:
    void record(const std::string& hook) { log_->push_back(name_ + "." + hook); }
    void record(const std::string& hook, bool animated) { record(hook + (animated ? "(1)" : "(0)")); }

    std::string name_;
    CallLog log_;
};

using RecordingController = Recording<ui::ViewController>;
using RecordingNavigationController = Recording<ui::NavigationController>;

inline std::shared_ptr<RecordingController> makeRecorder(const std::string& name, const CallLog& log) {
    return ns::make<RecordingController>(name, log);
}

// The frame origin the screen shows for a view at the current instant.
inline cg::Point shownOrigin(const ui::View& view) {
    const auto shown = view.layer()->presentation();
    const cg::Rect bounds = shown->bounds();
    const cg::Point anchor = shown->anchorPoint();
    return {shown->position().x - anchor.x * bounds.width(), shown->position().y - anchor.y * bounds.height()};
}

// The entries of `log` that contain one of the words, in order.
inline std::vector<std::string> only(const CallLog& log, const std::vector<std::string>& words) {
    std::vector<std::string> result;
    for (const auto& line : *log)
        for (const auto& word : words)
            if (line.find(word) != std::string::npos) {
                result.push_back(line);
                break;
            }
    return result;
}

// The appearance calls and completions only.
inline std::vector<std::string> appearanceCalls(const CallLog& log) {
    return only(log, {"Appear", "Disappear", "completion"});
}

} // namespace pellavo::testing
