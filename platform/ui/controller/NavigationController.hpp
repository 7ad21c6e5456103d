#pragma once

#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ui/controller/ViewController.hpp"

namespace pellavo::ui {

// A stack of controllers, the children, of which the top one fills the view. Pushes
// and pops slide horizontally; there is no bar.
class PELLAVO_EXPORT NavigationController : public ViewController {
public:
    NavigationController() = default;
    explicit NavigationController(std::shared_ptr<ViewController> rootViewController);
    std::string_view className() const override { return "UINavigationController"; }

    // Bottom first.
    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return children(); }
    // Controllers that are null, repeated, presented, another window's root or in
    // another stack are left out (with a line); an empty result changes nothing.
    void setViewControllers(const std::vector<std::shared_ptr<ViewController>>& controllers, bool animated);
    // A controller already in a stack or presented is ignored, with a line.
    void pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
    // The popped controller; null when only the root is left.
    std::shared_ptr<ViewController> popViewController(bool animated);
    std::shared_ptr<ViewController> topViewController() const;
    // What this controller presents, or else the top controller.
    std::shared_ptr<ViewController> visibleViewController() const;

    // A plain view holding the top controller's view.
    void loadView() override;

    static constexpr double slideDuration = 0.35;

protected:
    void init() override;

private:
    enum class Direction { push, pop };

    bool canStack(const std::shared_ptr<ViewController>& controller) const;
    // Shows `incoming` in place of `outgoing`, then runs `finish`.
    void showTop(const std::shared_ptr<ViewController>& outgoing, const std::shared_ptr<ViewController>& incoming,
                 Direction direction, bool animated, std::function<void()> finish);

    std::shared_ptr<ViewController> initialRoot_;
};

} // namespace pellavo::ui
