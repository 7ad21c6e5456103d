// pellavo-gallery: every registered page, in a window or as PNG files.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "examples/gallery/Gallery.hpp"
#include "examples/gallery/GalleryShell.hpp"
#include "pellavo/Pellavo.hpp"
#include "platform/backend/Headless.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/view/Window.hpp"

namespace {

using namespace pellavo;
using gallery::GalleryPage;
using gallery::GalleryShell;

constexpr const char* usageText =
    "usage: pellavo-gallery [--page ID] [--png DIR] [--list] [--frames N]\n"
    "  (no options)  open a window on the index\n"
    "  --page ID     open that page (with --png: write only that page)\n"
    "  --png DIR     write DIR/<id>.png for every page, DIR/index.png and DIR/index-N.png (the families),\n"
    "                without a window\n"
    "  --list        print the page ids\n"
    "  --frames N    quit after N frames\n";

struct Options {
    bool list = false;
    std::string page;
    std::string pngDir;
    bool png = false;
    long frames = 0;
};

// 0 when parsed; otherwise the exit status.
int parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--list") {
            options.list = true;
        } else if (arg == "--page" && hasValue) {
            options.page = argv[++i];
        } else if (arg == "--png" && hasValue && argv[i + 1][0] != '\0') {
            options.png = true;
            options.pngDir = argv[++i];
        } else if (const auto count = arg == "--frames" && hasValue ? ui::Application::parseCount(argv[i + 1])
                                                                    : std::nullopt) {
            options.frames = *count;
            ++i;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(usageText, stdout);
            return -1;
        } else {
            std::fputs(usageText, stderr);
            return 2;
        }
    }
    return 0;
}

// One screen on the manual clock, settled and written. Each screen is a session of its
// own: the application is terminated before and after.
bool writeScreen(const std::function<void(GalleryShell&)>& show, double settleSeconds,
                 const std::filesystem::path& file) {
    auto& application = ui::Application::shared();
    application.terminate();
    auto window = ns::make<ui::Window>();
    window->makeKeyAndVisible();
    auto shell = ns::make<GalleryShell>(window);
    show(*shell);
    auto& loop = ns::RunLoop::main();
    loop.runOnce();
    loop.advance(settleSeconds);
    dispatch::settleMainAndGlobal(10);  // a page whose pictures are made on workers shows them
    const bool written = backend::Headless::renderScreenPNG(file.string());
    shell.reset();
    window.reset();
    application.terminate();
    return written;
}

int writePngs(const std::filesystem::path& dir, const GalleryPage* only) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir)) {
        std::fprintf(stderr, "pellavo-gallery: cannot make the folder %s%s%s\n", dir.string().c_str(),
                     error ? ": " : "", error ? error.message().c_str() : "");
        return 1;
    }
    ns::Clock::setShared(std::make_shared<ns::ManualClock>());
    bool ok = true;
    if (!only) {
        ok = writeScreen([](GalleryShell& shell) { shell.showIndex(); }, 0, dir / "index.png") && ok;
        // Each family's screen: index-1.png and on.
        std::set<std::size_t> families;
        for (const GalleryPage& page : gallery::pages()) families.insert(gallery::familyOf(page));
        for (int screen = 1; screen <= static_cast<int>(families.size()); ++screen)
            ok = writeScreen([screen](GalleryShell& shell) { shell.showIndex(screen); }, 0,
                             dir / ("index-" + std::to_string(screen) + ".png")) &&
                 ok;
    }
    for (const GalleryPage& page : gallery::pages()) {
        if (only && only != &page) continue;
        ok = writeScreen([&](GalleryShell& shell) { shell.showPage(page.id); }, page.settleSeconds,
                         dir / (page.id + ".png")) &&
             ok;
    }
    ns::Clock::setShared(nullptr);
    return ok ? 0 : 1;
}

int runWindow(const Options& options) {
    std::shared_ptr<GalleryShell> shell;
    ui::Application::RunOptions run;
    run.title = "Pellavo gallery";
    run.frames = options.frames;
    run.keyPressed = [&shell](ui::ApplicationHost::Key key) {
        using Key = ui::ApplicationHost::Key;
        if (!shell) return;
        switch (key) {
        case Key::left: shell->previous(); break;
        case Key::right: shell->next(); break;
        case Key::home:
        case Key::up: shell->backToIndex(); break;
        default: break;
        }
    };
    return ui::Application::run(
        [&](ui::Window& window) {
            shell = ns::make<GalleryShell>(window.sharedFromThis<ui::Window>());
            if (options.page.empty())
                shell->showIndex();
            else
                shell->showPage(options.page);
            return window.rootViewController();
        },
        run);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int status = parse(argc, argv, options); status != 0) return status < 0 ? 0 : status;

    const GalleryPage* page = nullptr;
    if (!options.page.empty()) {
        page = gallery::findPage(options.page);
        if (!page) {
            std::fprintf(stderr, "unknown page: %s\n", options.page.c_str());
            return 2;
        }
    }
    if (options.list) {
        if (gallery::pages().empty()) std::puts("no pages");
        for (const GalleryPage& p : gallery::pages()) std::puts(p.id.c_str());
        return 0;
    }
    if (options.png) return writePngs(options.pngDir, page);
    return runWindow(options);
}
