#include "platform/backend/DesktopHost.hpp"

#include <utility>

#include "platform/backend/Headless.hpp"
#include "platform/backend/SdlBackend.hpp"

namespace pellavo::backend {

namespace {

using Key = ui::ApplicationHost::Key;

Key toHostKey(SdlBackend::Key key) {
    switch (key) {
    case SdlBackend::Key::left: return Key::left;
    case SdlBackend::Key::right: return Key::right;
    case SdlBackend::Key::up: return Key::up;
    case SdlBackend::Key::down: return Key::down;
    case SdlBackend::Key::home: return Key::home;
    case SdlBackend::Key::end: return Key::end;
    }
    return Key::end;
}

class DesktopHost final : public ui::ApplicationHost {
public:
    bool open(const std::string& title) override {
        window_ = std::make_unique<SdlBackend>();
        if (window_->open(title)) return true;
        window_.reset();
        return false;
    }

    long run(long maxFrames, std::function<void(Key)> keyPressed) override {
        if (!window_) return 0;
        if (keyPressed)
            window_->keyPressed = [keyPressed = std::move(keyPressed)](SdlBackend::Key key) { keyPressed(toHostKey(key)); };
        const long frames = window_->run(maxFrames);
        window_.reset();
        return frames;
    }

    void close() override { window_.reset(); }

    bool writeScreenPNG(const std::string& path) override { return Headless::renderScreenPNG(path); }

private:
    std::unique_ptr<SdlBackend> window_;
};

} // namespace

std::shared_ptr<ui::ApplicationHost> makeDesktopHost() { return std::make_shared<DesktopHost>(); }

} // namespace pellavo::backend
