#include "platform/backend/SdlBackend.hpp"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "platform/backend/Headless.hpp"
#include "platform/backend/PointerTouches.hpp"
#include "platform/ca/ChangeCount.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/Pasteboard.hpp"
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
    auto& app = ui::Application::shared();
    const auto clock = ns::Clock::shared();

    // Does what one window event means, in one turn: the pointer runs its own.
    const auto handle = [&](const SDL_Event& e) {
        bool turned = false;
        switch (e.type) {
        case SDL_QUIT:
            s.running = false;
            break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                s.running = false;
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                turned = s.pointer.cancel();
                break;
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                s.exposed = true;
                break;
            default:
                break;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT)
                turned = s.pointer.press(s.toScreen(e.button.x, e.button.y), (SDL_GetModState() & KMOD_CTRL) != 0);
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.state & SDL_BUTTON_LMASK) turned = s.pointer.drag(s.toScreen(e.motion.x, e.motion.y));
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) turned = s.pointer.release(s.toScreen(e.button.x, e.button.y));
            break;
        case SDL_TEXTINPUT: {
            const ns::String text(std::string(e.text.text));
            loop.enqueue([&app, text] { app.insertText(text); });
            break;
        }
        case SDL_KEYDOWN: {
            // Ctrl+A/C/X/V are the edit actions, sent from the key window's first
            // responder up the chain.
            if ((e.key.keysym.mod & KMOD_CTRL) != 0) {
                const char* action = nullptr;
                switch (e.key.keysym.sym) {
                case SDLK_a: action = "selectAll:"; break;
                case SDLK_c: action = "copy:"; break;
                case SDLK_x: action = "cut:"; break;
                case SDLK_v: action = "paste:"; break;
                default: break;
                }
                if (action != nullptr) {
                    const bool paste = e.key.keysym.sym == SDLK_v;
                    loop.enqueue([&s, &app, action, paste] {
                        if (paste) s.adoptClipboard();
                        app.keyboard().sendAction(ns::Selector(action));
                    });
                    break;
                }
            }
            std::optional<Key> key;
            switch (e.key.keysym.sym) {
            case SDLK_ESCAPE:
                s.running = false;
                break;
            case SDLK_BACKSPACE:
                loop.enqueue([&app] { app.deleteBackward(); });
                break;
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
                loop.enqueue([&app] { app.returnKey(); });
                break;
            case SDLK_LEFT: key = Key::left; break;
            case SDLK_RIGHT: key = Key::right; break;
            case SDLK_UP: key = Key::up; break;
            case SDLK_DOWN: key = Key::down; break;
            case SDLK_HOME: key = Key::home; break;
            case SDLK_END: key = Key::end; break;
            default: break;
            }
            if (key && keyPressed) loop.enqueue([this, k = *key] { if (keyPressed) keyPressed(k); });
            break;
        }
        default:
            break;
        }
        if (!turned) loop.runOnce();
        s.syncTextInput();
        s.mirrorPasteboard();
    };

    s.running = true;
    s.syncTextInput();
    long frames = 0;
    std::int64_t lastFrame = std::numeric_limits<std::int64_t>::min();
    std::uint64_t shownChanges = 0;
    bool wasAnimating = false;
    loop.runOnce();

    while (s.running) {
        SDL_Event e;
        while (s.running && SDL_PollEvent(&e)) handle(e);
        if (!s.running) break;
        for (int turn = 0; turn < maxDueTurns && !loop.isIdle(); ++turn) loop.runOnce();
        s.syncTextInput();
        s.mirrorPasteboard();

        const bool animating = screenIsAnimating();
        const bool wanted = maxFrames > 0 || !s.hasFrame || animating || wasAnimating ||
                            ca::ChangeCount::current() != shownChanges;
        std::int64_t now = clock->now();
        std::int64_t wakeAt = loop.nextDueTime();
        if (wanted) {
            const std::int64_t frameDue =
                lastFrame == std::numeric_limits<std::int64_t>::min() ? now : ns::saturatingAdd(lastFrame, frameIntervalNs);
            if (now >= frameDue) {
                const auto image = Headless::renderScreen();
                // The display pass inside the render may itself change layers.
                shownChanges = ca::ChangeCount::current();
                wasAnimating = animating;
                if (image && s.upload(*image)) {
                    s.present();
                    s.hasFrame = true;
                    s.exposed = false;
                }
                lastFrame = now;
                if (++frames == maxFrames) break;
                continue;
            }
            wakeAt = std::min(wakeAt, frameDue);
        }
        if (s.exposed) {
            s.present();
            s.exposed = false;
        }
        if (!loop.isIdle()) continue;
        now = clock->now();
        const std::int64_t waitNs = std::clamp<std::int64_t>(wakeAt - now, 0, maxWaitNs);
        const auto waitMs = static_cast<int>((waitNs + 999'999) / 1'000'000);
        if (waitMs > 0) SDL_WaitEventTimeout(nullptr, waitMs);
    }
    s.running = false;
    // Fingers still down when the window goes away never lift.
    s.pointer.cancel();
    return frames;
}

} // namespace pellavo::backend
