#include "platform/backend/SdlBackend.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ui/control/Button.hpp"
#include "platform/ui/text/Pasteboard.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchSet.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::backend {
namespace {

struct Taps : ns::Object {
    int count = 0;
    void tapped() { ++count; }
};

class CancelRecorder : public ui::View {
public:
    using View::View;
    int cancelled = 0;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event*) override {
        cancelled += static_cast<int>(touches.size());
    }
};

class SdlBackendTest : public pellavo::testing::AppTest {
protected:
    void SetUp() override {
        // Never a real window, whatever display the machine has.
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        AppTest::SetUp();
    }

    // A window point for a screen point, however the window was scaled.
    void push(Uint32 type, cg::Point point) {
        const cg::Size size = backend.windowSize();
        SDL_Event e{};
        e.type = type;
        const int x = static_cast<int>(point.x * size.width / 375);
        const int y = static_cast<int>(point.y * size.height / 667);
        if (type == SDL_MOUSEMOTION) {
            e.motion.x = x;
            e.motion.y = y;
            e.motion.state = SDL_BUTTON_LMASK;
        } else {
            e.button.button = SDL_BUTTON_LEFT;
            e.button.x = x;
            e.button.y = y;
        }
        SDL_PushEvent(&e);
    }
    void pushKey(SDL_Keycode key, Uint16 modifiers = KMOD_NONE) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = key;
        e.key.keysym.mod = modifiers;
        SDL_PushEvent(&e);
    }
    void pushText(const char* text) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        SDL_strlcpy(e.text.text, text, sizeof(e.text.text));
        SDL_PushEvent(&e);
    }
    static std::string clipboard() {
        char* text = SDL_GetClipboardText();
        std::string result = text ? text : "";
        SDL_free(text);
        return result;
    }

    SdlBackend backend;
};

TEST_F(SdlBackendTest, MouseAndKeysReachTheApplicationThroughTheScaledWindow) {
    ASSERT_TRUE(backend.open("test"));
    const auto taps = ns::make<Taps>();
    auto button = ns::make<ui::Button>(cg::Rect{250, 500, 100, 60});
    button->addTarget(taps, &Taps::tapped, ui::Control::Event::touchUpInside);
    window()->addSubview(button);
    auto recorder = ns::make<CancelRecorder>(cg::Rect{0, 0, 100, 100});
    window()->addSubview(recorder);
    std::vector<SdlBackend::Key> keys;
    backend.keyPressed = [&](SdlBackend::Key key) { keys.push_back(key); };

    push(SDL_MOUSEBUTTONDOWN, {300, 530});
    push(SDL_MOUSEMOTION, {310, 540});
    push(SDL_MOUSEBUTTONUP, {310, 540});
    pushKey(SDLK_RIGHT);
    pushKey(SDLK_a); // not one of the host's keys
    pushKey(SDLK_LEFT);
    // A finger down when the window loses focus is cancelled.
    push(SDL_MOUSEBUTTONDOWN, {50, 50});
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focus);
    pushKey(SDLK_ESCAPE); // quits
    pushKey(SDLK_RIGHT);  // never seen

    backend.run();
    EXPECT_EQ(taps->count, 1);
    EXPECT_EQ(keys, (std::vector<SdlBackend::Key>{SdlBackend::Key::right, SdlBackend::Key::left}));
    EXPECT_EQ(recorder->cancelled, 1);
    EXPECT_TRUE(app().liveTouches().empty());
}

TEST_F(SdlBackendTest, TypedKeysAndClipboardKeysEditTheFocusedField) {
    ASSERT_TRUE(backend.open("test"));
    ui::Pasteboard::general().setString(std::nullopt);
    auto field = ns::make<ui::TextField>(cg::Rect{20, 100, 300, 40});
    window()->addSubview(field);
    EXPECT_FALSE(SDL_IsTextInputActive());

    ASSERT_TRUE(field->becomeFirstResponder());
    backend.run(1);
    EXPECT_TRUE(SDL_IsTextInputActive());  // text input follows the keyboard

    pushText("abc");
    pushKey(SDLK_BACKSPACE);
    pushKey(SDLK_a, KMOD_LCTRL);
    pushKey(SDLK_c, KMOD_RCTRL);
    pushKey(SDLK_ESCAPE);
    backend.run();
    EXPECT_EQ(field->text(), ns::String("ab"));
    EXPECT_EQ(field->selectedRange(), (ns::Range{0, 2}));
    EXPECT_EQ(clipboard(), "ab");  // the copy reached the system clipboard

    // A paste reads the system clipboard; a cut empties the selection into it.
    SDL_SetClipboardText("XY");
    pushKey(SDLK_v, KMOD_LCTRL);
    pushText("z");
    pushKey(SDLK_a, KMOD_LCTRL);
    pushKey(SDLK_x, KMOD_LCTRL);
    pushKey(SDLK_ESCAPE);
    backend.run();
    EXPECT_EQ(field->text(), ns::String(""));
    EXPECT_EQ(clipboard(), "XYz");
    EXPECT_EQ(ui::Pasteboard::general().string(), ns::String("XYz"));

    ASSERT_TRUE(field->resignFirstResponder());
    backend.run(1);
    EXPECT_FALSE(SDL_IsTextInputActive());
}

} // namespace
} // namespace pellavo::backend
