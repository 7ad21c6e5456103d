#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/InstalledSlot.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/event/ApplicationHost.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

namespace {

ns::InstalledSlot<ApplicationHost>& installedHost() {
    static auto* slot = new ns::InstalledSlot<ApplicationHost>;
    return *slot;
}

constexpr const char* usageText = "usage: %s [--frames N] [--png FILE] [--title TEXT]\n"
                                  "  --frames N    quit after N frames\n"
                                  "  --png FILE    no window: run N frames (default 1) and write the screen to FILE\n"
                                  "  --title TEXT  the window's title\n";

// The key window with the controller `launch` answers, or null.
std::shared_ptr<Window> launchWindow(const Application::Launch& launch) {
    auto window = ns::make<Window>();
    auto root = launch ? launch(*window) : nullptr;
    if (!root) {
        ns::log("Application::run: the launch closure gave no root view controller");
        return nullptr;
    }
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    return window;
}

int runHeadless(const Application::Launch& launch, const Application::RunOptions& options,
                ApplicationHost& host) {
    const auto previousClock = ns::Clock::shared();
    ns::Clock::setShared(std::make_shared<ns::ManualClock>());
    auto& loop = ns::RunLoop::main();
    int status = 1;
    if (auto window = launchWindow(launch)) {
        loop.runOnce();
        loop.advance(static_cast<double>(options.frames > 0 ? options.frames : 1) / 60);
        status = host.writeScreenPNG(options.png) ? 0 : 1;
    }
    Application::shared().terminate();
    ns::Clock::setShared(previousClock);
    return status;
}

} // namespace

std::shared_ptr<ApplicationHost> ApplicationHost::installed() { return installedHost().get(); }

std::shared_ptr<ApplicationHost> ApplicationHost::install(std::shared_ptr<ApplicationHost> host) {
    return installedHost().exchange(std::move(host));
}

int Application::run(const Launch& launch, const RunOptions& options) {
    const auto host = ApplicationHost::installed();
    if (!host) {
        ns::log("Application::run: no application host is installed");
        return 1;
    }
    if (!options.png.empty()) return runHeadless(launch, options, *host);
    if (!host->open(options.title)) return 1;
    int status = 1;
    if (const auto window = launchWindow(launch)) {
        host->run(options.frames, options.keyPressed);
        status = 0;
    } else {
        host->close();
    }
    shared().terminate();
    return status;
}

std::optional<long> Application::parseCount(const char* text) {
    if (text == nullptr) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value <= 0) return std::nullopt;
    return value;
}

int Application::run(int argc, char** argv, const Launch& launch) {
    RunOptions options;
    const char* name = argc > 0 ? argv[0] : "application";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (const auto count = arg == "--frames" && hasValue ? parseCount(argv[i + 1]) : std::nullopt) {
            options.frames = *count;
            ++i;
        } else if (arg == "--png" && hasValue && argv[i + 1][0] != '\0') {
            options.png = argv[++i];
        } else if (arg == "--title" && hasValue) {
            options.title = argv[++i];
        } else {
            std::fprintf(stderr, usageText, name);
            return 2;
        }
    }
    return run(launch, options);
}

} // namespace pellavo::ui
