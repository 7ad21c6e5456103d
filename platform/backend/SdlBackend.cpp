#include "platform/backend/SdlBackend.hpp"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/backend/Headless.hpp"
#include "platform/backend/PointerTouches.hpp"
#include "platform/ca/ChangeCount.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/Pasteboard.hpp"
#include "platform/ui/view/DisplayCycle.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::backend {

namespace {

constexpr std::int64_t frameIntervalNs = 1'000'000'000 / 60;
// Work queued from another thread does not wake SDL, so the wait is capped.
constexpr std::int64_t maxWaitNs = 50'000'000;
// Turns of due work between two looks at the window's events.
constexpr int maxDueTurns = 100;
// Room left on the display for the window's decorations.
constexpr int decorationAllowance = 48;

int clampedPixels(double value) {
    if (!(value >= 1)) return 1;
    if (value > 16384) return 16384;
    return static_cast<int>(std::lround(value));
}

bool treeIsAnimating(const ca::Layer& layer) {
    if (!layer.animationKeys().empty()) return true;
    for (const auto& child : layer.sublayers())
        if (treeIsAnimating(*child)) return true;
    return false;
}

bool screenIsAnimating() {
    // The keyboard's window counts: an input view can animate too.
    for (const auto& window : ui::Application::shared().displayWindows())
        if (!window->isHidden() && treeIsAnimating(*window->layer())) return true;
    return false;
}

} // namespace

struct SdlBackend::State {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    bool videoStarted = false;
    bool running = false;
    bool exposed = false;
    bool hasFrame = false;
    // Draws the screen while one window shows, keeping its last frame so that the
    // next redraws only what changed; remade when the screen's size or scale changes.
    std::unique_ptr<ca::Renderer> screenRenderer;
    const ui::Window* screenWindow = nullptr; // the window screenRenderer drew last
    cg::Size screenPoints;
    double screenScale = 0;
    PointerTouches pointer;
    // The pasteboard's change count last copied to the system clipboard.
    long mirroredPasteboard = 0;

    ~State() {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        if (videoStarted) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            SDL_Quit();
        }
    }

    // A window point in screen points.
    cg::Point toScreen(int x, int y) const {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(window, &width, &height);
        const cg::Size points = ui::Screen::main().bounds().size;
        const double sx = width > 0 ? points.width / width : 1;
        const double sy = height > 0 ? points.height / height : 1;
        return {x * sx, y * sy};
    }

    bool upload(const cg::Image& image) {
        if (image.width() <= 0 || image.height() <= 0) return false;
        if (!texture || textureWidth != image.width() || textureHeight != image.height()) {
            if (texture) SDL_DestroyTexture(texture);
            texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                        image.width(), image.height());
            if (!texture) {
                ns::log(std::string("cannot make the window's texture: ") + SDL_GetError());
                return false;
            }
            // The screen is opaque: its alpha must not blend with whatever the window held.
            SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
            textureWidth = image.width();
            textureHeight = image.height();
        }
        return SDL_UpdateTexture(texture, nullptr, image.data(), image.stride()) == 0;
    }

    // Copies only the damaged rects of the frame to the texture, which holds the frame
    // before it; a texture that does not match takes the whole frame.
    bool upload(const cg::Image& image, const std::vector<cg::Rect>& damage) {
        if (!texture || textureWidth != image.width() || textureHeight != image.height()) return upload(image);
        for (const cg::Rect& r : damage) {
            const SDL_Rect area{static_cast<int>(r.minX()), static_cast<int>(r.minY()), static_cast<int>(r.width()),
                                static_cast<int>(r.height())};
            const unsigned char* first = image.data() + static_cast<std::size_t>(area.y) * image.stride() +
                                         static_cast<std::size_t>(area.x) * 4;
            if (SDL_UpdateTexture(texture, &area, first, image.stride()) != 0) return false;
        }
        return true;
    }

    enum class Shown { failed, unchanged, uploaded };

    // Draws the screen into the texture. One window is drawn by redrawing only what
    // changed since its last frame, and only those rects are copied; several are drawn whole.
    Shown showScreen() {
        const auto windows = ui::Application::shared().displayWindows();
        if (windows.size() != 1) {
            screenWindow = nullptr;
            const auto image = Headless::renderScreen();
            return image && upload(*image) ? Shown::uploaded : Shown::failed;
        }
        ui::DisplayCycle::layoutPass();
        ui::DisplayCycle::displayPass();
        const auto& screen = ui::Screen::main();
        // A fresh renderer draws its first frame whole.
        if (!screenRenderer || screenWindow != windows.front().get() || !(screenPoints == screen.bounds().size) ||
            screenScale != screen.scale()) {
            screenPoints = screen.bounds().size;
            screenScale = screen.scale();
            screenRenderer = std::make_unique<ca::Renderer>(screenPoints, screenScale);
            screenWindow = windows.front().get();
        }
        const auto mode = ca::RenderMode::presentation(ns::Clock::shared()->seconds());
        const cg::Image& image = screenRenderer->renderChanges(*windows.front()->layer(), mode);
        if (screenRenderer->damage().empty()) return Shown::unchanged;
        return upload(image, screenRenderer->damage()) ? Shown::uploaded : Shown::failed;
    }

    // Typed text is wanted only while the keyboard is up, as on a phone.
    static void syncTextInput() {
        const bool wanted = ui::Application::shared().keyboard().isVisible();
        if (wanted == (SDL_IsTextInputActive() == SDL_TRUE)) return;
        if (wanted)
            SDL_StartTextInput();
        else
            SDL_StopTextInput();
    }

    // What the application put on the pasteboard goes to the system clipboard.
    void mirrorPasteboard() {
        const auto& board = ui::Pasteboard::general();
        if (board.changeCount() == mirroredPasteboard) return;
        mirroredPasteboard = board.changeCount();
        const auto string = board.string();
        SDL_SetClipboardText(string ? string->utf8().c_str() : "");
    }

    // Before a paste: the system clipboard's text becomes the pasteboard's, unless
    // it already is (then the pasteboard keeps its own, equal, contents).
    void adoptClipboard() {
        if (SDL_HasClipboardText() != SDL_TRUE) return;
        char* text = SDL_GetClipboardText();
        if (text == nullptr) return;
        const ns::String string{std::string(text)};
        SDL_free(text);
        auto& board = ui::Pasteboard::general();
        if (board.string() == string) return;
        board.setString(string);
        mirroredPasteboard = board.changeCount();
    }

    void present() {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        if (texture) SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }

    // What one window event means, in one turn: the pointer runs its own.
    void handle(const SDL_Event& e, SdlBackend& backend) {
        bool turned = false;
        switch (e.type) {
        case SDL_QUIT: running = false; break;
        case SDL_WINDOWEVENT: turned = windowEvent(e.window); break;
        case SDL_MOUSEBUTTONDOWN: turned = mouseDown(e.button); break;
        case SDL_MOUSEMOTION: turned = mouseMotion(e.motion); break;
        case SDL_MOUSEBUTTONUP: turned = mouseUp(e.button); break;
        case SDL_TEXTINPUT: textInput(e.text); break;
        case SDL_KEYDOWN: keyDown(e.key.keysym, backend); break;
        default: break;
        }
        if (!turned) ns::RunLoop::main().runOnce();
        syncTextInput();
        mirrorPasteboard();
    }

    // The event handlers below return true when they ran the turn themselves.

    bool windowEvent(const SDL_WindowEvent& e) {
        switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE:
            running = false;
            return false;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return pointer.cancel();
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            exposed = true;
            return false;
        default:
            return false;
        }
    }

    // The left button is a finger; with Ctrl held it is a pinch about the press point.
    bool mouseDown(const SDL_MouseButtonEvent& e) {
        if (e.button != SDL_BUTTON_LEFT) return false;
        return pointer.press(toScreen(e.x, e.y), (SDL_GetModState() & KMOD_CTRL) != 0);
    }

    bool mouseMotion(const SDL_MouseMotionEvent& e) {
        if ((e.state & SDL_BUTTON_LMASK) == 0) return false;
        return pointer.drag(toScreen(e.x, e.y));
    }

    bool mouseUp(const SDL_MouseButtonEvent& e) {
        if (e.button != SDL_BUTTON_LEFT) return false;
        return pointer.release(toScreen(e.x, e.y));
    }

    static void textInput(const SDL_TextInputEvent& e) {
        const ns::String text(std::string(e.text));
        ns::RunLoop::main().enqueue([text] { ui::Application::shared().insertText(text); });
    }

    void keyDown(const SDL_Keysym& key, SdlBackend& backend) {
        if (editShortcut(key)) return;
        auto& loop = ns::RunLoop::main();
        auto& app = ui::Application::shared();
        std::optional<Key> hostKey;
        switch (key.sym) {
        case SDLK_ESCAPE:
            running = false;
            break;
        case SDLK_BACKSPACE:
            loop.enqueue([&app] { app.deleteBackward(); });
            break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            loop.enqueue([&app] { app.returnKey(); });
            break;
        case SDLK_LEFT: hostKey = Key::left; break;
        case SDLK_RIGHT: hostKey = Key::right; break;
        case SDLK_UP: hostKey = Key::up; break;
        case SDLK_DOWN: hostKey = Key::down; break;
        case SDLK_HOME: hostKey = Key::home; break;
        case SDLK_END: hostKey = Key::end; break;
        default: break;
        }
        if (hostKey && backend.keyPressed)
            loop.enqueue([&backend, k = *hostKey] { if (backend.keyPressed) backend.keyPressed(k); });
    }

    // Ctrl+A/C/X/V are the edit actions, sent from the key window's first responder
    // up the chain. False for any other key, which then is an ordinary key.
    bool editShortcut(const SDL_Keysym& key) {
        if ((key.mod & KMOD_CTRL) == 0) return false;
        const char* action = nullptr;
        switch (key.sym) {
        case SDLK_a: action = "selectAll:"; break;
        case SDLK_c: action = "copy:"; break;
        case SDLK_x: action = "cut:"; break;
        case SDLK_v: action = "paste:"; break;
        default: return false;
        }
        const bool paste = key.sym == SDLK_v;
        ns::RunLoop::main().enqueue([this, action, paste] {
            if (paste) adoptClipboard();
            ui::Application::shared().keyboard().sendAction(ns::Selector(action));
        });
        return true;
    }

    // Frames drawn in one run, and what the last one showed.
    struct Pacing {
        long maxFrames = 0;
        long frames = 0;
        std::int64_t lastFrame = std::numeric_limits<std::int64_t>::min();
        std::uint64_t shownChanges = 0;
        bool wasAnimating = false;
    };

    // Draws a frame when one is wanted and due; true when it did. Otherwise sets
    // wakeAt to when there is something to do next: due work or the next frame.
    bool drawFrameIfDue(Pacing& pacing, const ns::Clock& clock, std::int64_t& wakeAt) {
        const bool animating = screenIsAnimating();
        const bool wanted = pacing.maxFrames > 0 || !hasFrame || animating || pacing.wasAnimating ||
                            ca::ChangeCount::current() != pacing.shownChanges;
        const std::int64_t now = clock.now();
        wakeAt = ns::RunLoop::main().nextDueTime();
        if (!wanted) return false;
        const std::int64_t frameDue = pacing.lastFrame == std::numeric_limits<std::int64_t>::min()
                                          ? now
                                          : ns::saturatingAdd(pacing.lastFrame, frameIntervalNs);
        if (now < frameDue) {
            wakeAt = std::min(wakeAt, frameDue);
            return false;
        }
        const Shown shown = showScreen();
        // The display pass inside the render may itself change layers.
        pacing.shownChanges = ca::ChangeCount::current();
        pacing.wasAnimating = animating;
        // A frame that changed nothing is not presented again.
        if (shown == Shown::uploaded || (shown == Shown::unchanged && (exposed || !hasFrame))) {
            present();
            hasFrame = true;
            exposed = false;
        }
        pacing.lastFrame = now;
        ++pacing.frames;
        return true;
    }

    // Sleeps until wakeAt, or an event, or the cap for work queued from other threads.
    static void waitUntil(std::int64_t wakeAt, const ns::Clock& clock) {
        const std::int64_t waitNs = std::clamp<std::int64_t>(wakeAt - clock.now(), 0, maxWaitNs);
        const auto waitMs = static_cast<int>((waitNs + 999'999) / 1'000'000);
        if (waitMs <= 0) return;
        // Drivers without a display to wait on (offscreen, dummy) have SDL poll every
        // millisecond while it waits; they bring no events, so a plain sleep does.
        if (const char* driver = SDL_GetCurrentVideoDriver();
            driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
            SDL_Delay(static_cast<Uint32>(waitMs));
            return;
        }
        SDL_WaitEventTimeout(nullptr, waitMs);
    }
};

SdlBackend::SdlBackend() : state_(std::make_unique<State>()) {}

SdlBackend::~SdlBackend() = default;

bool SdlBackend::open(const std::string& title) {
    auto& s = *state_;
    if (s.window) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        ns::log(std::string("cannot open a window: ") + SDL_GetError());
        return false;
    }
    s.videoStarted = true;

    // The screen at its scale, or smaller with the same shape when the display is.
    const auto& screen = ui::Screen::main();
    const double wanted = screen.bounds().size.width * screen.scale();
    const double wantedHeight = screen.bounds().size.height * screen.scale();
    double fit = 1;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > decorationAllowance)
        fit = std::min({1.0, usable.w / wanted, (usable.h - decorationAllowance) / wantedHeight});
    const int width = clampedPixels(wanted * fit);
    const int height = clampedPixels(wantedHeight * fit);

    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    s.window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
    if (!s.window) {
        ns::log(std::string("cannot open a window: ") + SDL_GetError());
        return false;
    }
    s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_ACCELERATED);
    if (!s.renderer) s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
    if (!s.renderer) {
        ns::log(std::string("cannot draw into the window: ") + SDL_GetError());
        return false;
    }
    s.mirroredPasteboard = ui::Pasteboard::general().changeCount();
    State::syncTextInput();
    return true;
}

cg::Size SdlBackend::windowSize() const {
    if (!state_->window) return {};
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(state_->window, &width, &height);
    return {static_cast<double>(width), static_cast<double>(height)};
}

void SdlBackend::stop() { state_->running = false; }

long SdlBackend::run(long maxFrames) {
    auto& s = *state_;
    if (!s.window && !open("Pellavo")) return 0;
    auto& loop = ns::RunLoop::main();
    const auto clock = ns::Clock::shared();

    s.running = true;
    s.syncTextInput();
    State::Pacing pacing{maxFrames};
    loop.runOnce();

    while (s.running) {
        SDL_Event e;
        while (s.running && SDL_PollEvent(&e)) s.handle(e, *this);
        if (!s.running) break;
        for (int turn = 0; turn < maxDueTurns && !loop.isIdle(); ++turn) loop.runOnce();
        s.syncTextInput();
        s.mirrorPasteboard();

        std::int64_t wakeAt = 0;
        if (s.drawFrameIfDue(pacing, *clock, wakeAt)) {
            if (pacing.frames == maxFrames) break;
            continue;
        }
        if (s.exposed) {
            s.present();
            s.exposed = false;
        }
        if (!loop.isIdle()) continue;
        State::waitUntil(wakeAt, *clock);
    }
    s.running = false;
    // Fingers still down when the window goes away never lift.
    s.pointer.cancel();
    return pacing.frames;
}

} // namespace pellavo::backend
