#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

class ViewController;

// The root of a view tree on screen. Its frame is the screen's bounds, and its layer
// is a rendering root. A window starts hidden; showing it (makeKeyAndVisible or
// setIsHidden(false)) lists it in the application.
class PELLAVO_EXPORT Window : public View {
public:
    Window();
    explicit Window(const cg::Rect& frame);
    std::string_view className() const override { return "UIWindow"; }

    void makeKeyAndVisible();
    // Makes it the application's key window once it is listed and visible.
    void makeKey();
    bool isKeyWindow() const;

    void setIsHidden(bool hidden) override;
    // The application.
    std::shared_ptr<Responder> nextResponder() const override;

    // ---- root view controller
    std::shared_ptr<ViewController> rootViewController() const { return rootViewController_; }
    // Its view becomes the bottom subview, with the window's bounds and a flexible
    // size. While the window is visible the new root gets viewWillAppear(false), its
    // view is added and laid out, then viewDidAppear(false), all at once; the old one
    // disappears, and what it presented goes with it. A presented controller is refused.
    void setRootViewController(const std::shared_ptr<ViewController>& controller);
    // The root, followed through presentedViewController.
    std::shared_ptr<ViewController> topMostViewController() const;

    // ---- text input
    // The responder the window's keys go to, or null.
    std::shared_ptr<Responder> firstResponder() const { return firstResponder_.lock(); }

protected:
    void init() override;

private:
    void showRootViewController();
    void hideRootViewController();

    std::shared_ptr<ViewController> rootViewController_;
    friend class Responder;
    std::weak_ptr<Responder> firstResponder_;
};

} // namespace pellavo::ui
