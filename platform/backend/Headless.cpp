#include "platform/backend/Headless.hpp"

#include <fstream>
#include <memory>

#include "platform/ca/Renderer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/view/DisplayCycle.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::backend {

cg::ImageRef Headless::renderScreen() {
    ui::DisplayCycle::layoutPass();
    ui::DisplayCycle::displayPass();

    const auto& screen = ui::Screen::main();
    ca::Renderer renderer(screen.bounds().size, screen.scale());
    const auto mode = ca::RenderMode::presentation(ns::Clock::shared()->seconds());

    const std::vector<std::shared_ptr<ui::Window>> visible = ui::Application::shared().displayWindows();

    if (visible.empty()) {
        const auto blank = ns::make<ca::Layer>();
        return std::make_shared<const cg::Image>(renderer.render(*blank, mode));
    }
    auto bottom = std::make_shared<const cg::Image>(renderer.render(*visible.front()->layer(), mode));
    if (visible.size() == 1) return bottom;

    // Several windows: each frame is painted over the ones below it.
    const int width = bottom->width();
    const int height = bottom->height();
    auto screenContext = width > 0 && height > 0 ? cg::Context::makeBitmap(width, height, false) : nullptr;
    if (!screenContext) return bottom;
    const cg::Rect all{0, 0, static_cast<double>(width), static_cast<double>(height)};
    screenContext->draw(*bottom, all);
    for (std::size_t i = 1; i < visible.size(); ++i) screenContext->draw(renderer.render(*visible[i]->layer(), mode), all);
    return screenContext->makeImage();
}

bool Headless::renderScreenPNG(const std::string& path) {
    const ui::Image image(renderScreen(), ui::Screen::main().scale());
    const auto bytes = image.pngData();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (bytes.empty() || !out) {
        ns::log("cannot write the screen to " + path);
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        ns::log("cannot write the screen to " + path);
        return false;
    }
    return true;
}

} // namespace pellavo::backend
