#pragma once

#include "platform/ui/View.hpp"

namespace pellavo::ui {

// The root of a view tree on screen. Its frame is the screen's bounds, and its layer
// is a rendering root. A window starts hidden; showing it (makeKeyAndVisible or
// setIsHidden(false)) lists it in the application.
class Window : public View {
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

protected:
    void init() override;
};

} // namespace pellavo::ui
