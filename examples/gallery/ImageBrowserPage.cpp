// Image browser: a host screen with three rounded thumbnails, each page presenting the
// browser from one of them — settled in fit and fill mode, held mid-drag, and caught
// half-way through the flight out of the thumbnail.
#include <algorithm>
#include <memory>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXImageBrowser/VXImageBrowserViewController.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::gallery {

namespace {

// A gradient with a grid, the kind of picture a photo would be.
ui::Image gradientImage(cg::Size size, cg::Color from, cg::Color to) {
    ui::graphicsBeginImageContextWithOptions(size, true, 1);
    if (auto* context = ui::graphicsGetCurrentContext()) {
        context->drawLinearGradient({{0, from}, {1, to}}, {0, 0}, {size.width, size.height});
        context->setFillColor(cg::Color(1, 1, 1, 0.55));
        for (double x = 50; x < size.width; x += 50) context->fill({x - 1, 0, 2, size.height});
        for (double y = 50; y < size.height; y += 50) context->fill({0, y - 1, size.width, 2});
        context->setFillColor(cg::Color(1, 1, 1, 0.9));
        const double side = std::min(size.width, size.height) / 4;
        context->fill({size.width / 2 - side / 2, size.height / 2 - side / 2, side, side});
    }
    ui::Image image = ui::graphicsGetImageFromCurrentImageContext();
    ui::graphicsEndImageContext();
    return image;
}

ui::Image wideImage() { return gradientImage({600, 400}, cg::Color(0.98, 0.6, 0.2, 1), cg::Color(0.25, 0.3, 0.8, 1)); }
ui::Image tallImage() { return gradientImage({300, 600}, cg::Color(0.2, 0.75, 0.55, 1), cg::Color(0.5, 0.2, 0.6, 1)); }

// Holds the host controller for as long as the page is shown.
class HostBoard : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryImageBrowserHost"; }
    std::shared_ptr<ui::ViewController> host;
};

struct Thumbnails {
    std::shared_ptr<ui::ViewController> host;
    std::shared_ptr<ui::ImageView> wide;
    std::shared_ptr<ui::ImageView> tall;
};

Thumbnails buildHost(ui::View& content) {
    auto board = ns::make<HostBoard>(content.bounds());
    content.addSubview(board);
    board->host = ns::make<ui::ViewController>();
    const auto view = board->host->view();
    view->setFrame(board->bounds());
    view->setBackgroundColor(ui::Color(0.95, 1));
    board->addSubview(view);

    auto title = ns::make<ui::Label>(cg::Rect{16, 16, 343, 20});
    title->setText(ns::String("Album"));
    title->setFont(ui::Font::systemFont(17, ui::Font::Weight::semibold));
    title->setTextAlignment(ns::TextAlignment::left);
    view->addSubview(title);

    const auto thumb = [&](cg::Rect frame, ui::Image image) {
        auto made = ns::make<ui::ImageView>(frame);
        made->setImage(std::move(image));
        made->setContentMode(ui::View::ContentMode::scaleAspectFill);
        made->setClipsToBounds(true);
        made->layer()->setCornerRadius(8);
        view->addSubview(made);
        return made;
    };
    Thumbnails result{board->host, thumb({16, 52, 108, 80}, wideImage()), thumb({134, 52, 108, 80}, tallImage())};
    thumb({252, 52, 108, 80}, gradientImage({400, 400}, cg::Color(0.9, 0.3, 0.35, 1), cg::Color(0.95, 0.85, 0.3, 1)));
    return result;
}

std::shared_ptr<VXImageBrowserViewController> presentFrom(const Thumbnails& thumbnails,
                                                          const std::shared_ptr<ui::ImageView>& from,
                                                          VXImageInfo::ImageMode mode) {
    auto browser = ns::make<VXImageBrowserViewController>(VXImageInfo(*from->image(), mode),
                                                          std::make_shared<VXTransitionInfo>(from));
    thumbnails.host->present(browser, true, {});
    return browser;
}

void buildFit(ui::View& content) {
    const auto thumbnails = buildHost(content);
    presentFrom(thumbnails, thumbnails.wide, VXImageInfo::ImageMode::aspectFit);
}

void buildFill(ui::View& content) {
    const auto thumbnails = buildHost(content);
    presentFrom(thumbnails, thumbnails.tall, VXImageInfo::ImageMode::aspectFill);
}

void buildDrag(ui::View& content) {
    const auto thumbnails = buildHost(content);
    presentFrom(thumbnails, thumbnails.wide, VXImageInfo::ImageMode::aspectFit);
    const std::weak_ptr<ui::Window> weakWindow = content.window();
    // Once the browser is in place, a finger presses the middle and drags 112.5 pt right.
    dispatch::Queue::main().asyncAfter(0.5, [weakWindow] {
        const auto window = weakWindow.lock();
        if (!window) return;
        ui::TestDriver driver(window);
        const cg::Point centre{187.5, 333.5};
        const auto finger = driver.touchDown(centre);
        for (double dx = 5; dx < 112.5; dx += 5) driver.move(finger, {centre.x + dx, centre.y});
        driver.move(finger, {centre.x + 112.5, centre.y});
    });
}

void buildTransition(ui::View& content) {
    const auto thumbnails = buildHost(content);
    presentFrom(thumbnails, thumbnails.wide, VXImageInfo::ImageMode::aspectFit);
}

const PageRegistration fit{{"VXImageBrowser", "Image browser", buildFit, 1}};
const PageRegistration fill{{"VXImageBrowserFill", "Image browser, fill", buildFill, 1}};
const PageRegistration drag{{"VXImageBrowserDrag", "Image browser, drag", buildDrag, 1}};
const PageRegistration transition{{"VXImageBrowserTransition", "Image browser, flight", buildTransition, 0.175}};

} // namespace

} // namespace pellavo::gallery
