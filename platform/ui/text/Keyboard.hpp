#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ui {

class InputViewController;
class KeyInput;
class Responder;
class View;
class Window;

// The on-screen keyboard (Application::keyboard()). When an input responder takes
// over it shows that responder's inputView, or a plain light-grey system panel with
// no keys, in an internal window above every window: hit-tested and rendered first,
// never key, not in Application::windows(). No animation, no notifications.
class PELLAVO_EXPORT Keyboard {
public:
    static constexpr double kPortraitHeight = 216;
    static constexpr double kLandscapeHeight = 162;

    Keyboard();
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    bool isVisible() const { return shown_ != nullptr; }
    // (0, screenH − h, screenW, h) while visible; zero while hidden.
    cg::Rect frame() const;
    std::shared_ptr<View> shownView() const { return shown_; }
    // The responder the keys go to; null while hidden.
    std::shared_ptr<Responder> activeInput() const;

    // The keys: each acts on the active input and does nothing without one.
    void insertText(const ns::String& text);
    void deleteBackward();
    void returnKey();
    // Sends an edit action ("paste:", "copy:" …) from the key window's first
    // responder (or the key window) through targetForAction; false when no
    // responder takes it.
    bool sendAction(ns::Selector action);

    // ---- changes of the input's text that the keys did not make
    // Text inputs open one around a programmatic set of their text and around a
    // paste. While `input` is the active input, the input view controller showing
    // (whose root view is the shown view, or held it before it moved in) hears
    // textWillChange now and textDidChange when the scope ends; nothing when the
    // change comes from that controller's own proxy. Nested scopes tell it once.
    class TextChange {
    public:
        explicit TextChange(Responder& input);
        ~TextChange();
        TextChange(const TextChange&) = delete;
        TextChange& operator=(const TextChange&) = delete;

    private:
        std::shared_ptr<Responder> input_;
        std::shared_ptr<InputViewController> controller_;
    };

    // ---- used by the responders and the application
    // Shows for `responder` when it is a text input or has an input view.
    void responderDidBecomeFirst(const std::shared_ptr<Responder>& responder);
    // Hides when `responder` is the one shown for.
    void responderDidResign(const Responder& responder);
    // The internal window while visible, else null.
    std::shared_ptr<Window> window() const;
    // Fits the window and the shown view to the screen (after a rotation).
    void relayout();
    void reset();

private:
    void hide();
    // The input view controller whose root view is the shown view, or was its
    // ancestor when it moved in.
    std::shared_ptr<InputViewController> shownController() const;

    std::weak_ptr<Responder> input_;
    std::shared_ptr<View> shown_;
    std::shared_ptr<View> systemPanel_;
    std::shared_ptr<Window> window_;
    // The controller that held an input view before it moved in, and that view.
    std::weak_ptr<InputViewController> shownFrom_;
    std::weak_ptr<View> shownFromView_;
    int textChangeDepth_ = 0;
};

} // namespace pellavo::ui
