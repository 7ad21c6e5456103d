#include "examples/gallery/GalleryShell.hpp"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::gallery {

namespace {

constexpr double margin = 16;
constexpr double gap = 12;
constexpr double tileHeight = 64;
constexpr int columns = 2;

using State = ui::Control::State;
using ControlEvent = ui::Control::Event;

ui::Color tint() { return ui::View::defaultTintColor(); }

std::shared_ptr<ui::Label> makeLabel(cg::Rect frame, const std::string& text, ui::Font font, ui::Color color,
                                     ns::TextAlignment alignment = ns::TextAlignment::center) {
    auto label = ns::make<ui::Label>(frame);
    label->setText(ns::String(text));
    label->setFont(std::move(font));
    label->setTextColor(color);
    label->setTextAlignment(alignment);
    return label;
}

std::shared_ptr<ui::Button> makeBarButton(cg::Rect frame, const std::string& title, ui::Font font, ui::Color color) {
    auto button = ns::make<ui::Button>(frame);
    button->setTitle(ns::String(title), State::normal);
    button->setTitleColor(color, State::normal);
    button->setTitleColor(color.withAlphaComponent(0.3), State::highlighted);
    button->titleLabel()->setFont(std::move(font));
    return button;
}

} // namespace

GalleryShell::GalleryShell(std::shared_ptr<ui::Window> window) : window_(std::move(window)) {}

void GalleryShell::init() {
    if (!window_) return;
    const double width = window_->bounds().size.width;
    window_->setBackgroundColor(ui::Color::white());
    // A root controller, as hosts have one: components that place themselves in the
    // first window's root view find it. Its clear view holds the bar and the content.
    auto root = ns::make<ui::ViewController>();
    rootView_ = ns::make<ui::View>(window_->bounds());
    rootView_->setBackgroundColor(ui::Color::clear());
    root->setView(rootView_);
    window_->setRootViewController(root);

    bar_ = ns::make<ui::View>(cg::Rect{0, 0, width, barHeight});
    bar_->setBackgroundColor(ui::Color(0.97, 1));
    auto hairline = ns::make<ui::View>(cg::Rect{0, barHeight - 0.5, width, 0.5});
    hairline->setBackgroundColor(ui::Color(0.7, 1));
    bar_->addSubview(hairline);

    const auto self = sharedFromThis<GalleryShell>();
    const auto arrow = ui::Font::systemFont(32, ui::Font::Weight::light);
    previousButton_ = makeBarButton({0, 0, barHeight, barHeight}, "‹", arrow, tint());
    previousButton_->addTarget(self, &GalleryShell::previous, ControlEvent::touchUpInside);
    nextButton_ = makeBarButton({width - barHeight, 0, barHeight, barHeight}, "›", arrow, tint());
    nextButton_->addTarget(self, &GalleryShell::next, ControlEvent::touchUpInside);
    titleButton_ = makeBarButton({barHeight, 0, width - 2 * barHeight, barHeight}, "",
                                 ui::Font::systemFont(17, ui::Font::Weight::semibold), ui::Color::black());
    titleButton_->addTarget(self, &GalleryShell::backToIndex, ControlEvent::touchUpInside);
    bar_->addSubview(previousButton_);
    bar_->addSubview(titleButton_);
    bar_->addSubview(nextButton_);
    rootView_->addSubview(bar_);
}

int GalleryShell::indexScreenCount() const {
    const int count = static_cast<int>(pages().size());
    return std::max(1, (count + pagesPerScreen - 1) / pagesPerScreen);
}

int GalleryShell::positionCount() const { return indexScreenCount() + static_cast<int>(pages().size()); }

void GalleryShell::show(int position) {
    if (!window_) return;
    position_ = std::clamp(position, 0, positionCount() - 1);

    // A fresh content view each time: a page may change anything about the one it got.
    // Whatever the last page put beside it in the root view leaves with that page, and so
    // does what it presented or laid over the window: its presenting controller goes with
    // the content, and a screen left standing would cover every later page.
    const auto placed = rootView_->subviews();
    for (const auto& view : placed)
        if (view != bar_) view->removeFromSuperview();
    const auto overlays = window_->subviews();
    for (const auto& view : overlays)
        if (view != rootView_) view->removeFromSuperview();
    const cg::Size size = window_->bounds().size;
    content_ = ns::make<ui::View>(cg::Rect{0, barHeight, size.width, std::max(0.0, size.height - barHeight)});
    content_->setBackgroundColor(ui::Color::white());
    content_->setClipsToBounds(true);
    rootView_->insertSubview(content_, 0);

    const int screens = indexScreenCount();
    if (position_ < screens) {
        title_ = "Pellavo gallery";
        buildIndex(position_);
    } else {
        const GalleryPage& page = pages()[static_cast<std::size_t>(position_ - screens)];
        title_ = page.title;
        try {
            page.build(*content_);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "gallery: the page %s failed: %s\n", page.id.c_str(), e.what());
        }
    }
    titleButton_->setTitle(ns::String(title_), State::normal);
    previousButton_->setIsHidden(position_ == 0);
    nextButton_->setIsHidden(position_ == positionCount() - 1);
}

bool GalleryShell::showPage(std::string_view id) {
    const auto& list = pages();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].id != id) continue;
        show(indexScreenCount() + static_cast<int>(i));
        return true;
    }
    return false;
}

void GalleryShell::backToIndex() {
    const int screens = indexScreenCount();
    show(position_ < screens ? 0 : (position_ - screens) / pagesPerScreen);
}

void GalleryShell::openTile(ui::Button& tile) { show(tile.tag()); }

void GalleryShell::buildIndex(int screen) {
    const auto& list = pages();
    const cg::Size size = content_->bounds().size;
    if (list.empty()) {
        content_->addSubview(
            makeLabel({0, 0, size.width, size.height}, "no pages", ui::Font::systemFont(17), ui::Color(0.5, 1)));
        return;
    }
    const auto self = sharedFromThis<GalleryShell>();
    const int screens = indexScreenCount();
    const double tileWidth = (size.width - 2 * margin - (columns - 1) * gap) / columns;
    const int first = screen * pagesPerScreen;
    const int last = std::min(static_cast<int>(list.size()), first + pagesPerScreen);
    for (int i = first; i < last; ++i) {
        const GalleryPage& page = list[static_cast<std::size_t>(i)];
        const int slot = i - first;
        auto tile = ns::make<ui::Button>(cg::Rect{margin + (slot % columns) * (tileWidth + gap),
                                                  margin + (slot / columns) * (tileHeight + gap), tileWidth,
                                                  tileHeight});
        tile->setBackgroundColor(tint());
        tile->layer()->setCornerRadius(12);
        tile->setTag(screens + i);
        tile->addTarget(self, &GalleryShell::openTile, ControlEvent::touchUpInside);
        // Labels take no touches: the tile gets them.
        tile->addSubview(makeLabel({12, 10, tileWidth - 24, 26}, page.title,
                                   ui::Font::systemFont(17, ui::Font::Weight::semibold), ui::Color::white()));
        tile->addSubview(makeLabel({12, 36, tileWidth - 24, 18}, page.id, ui::Font::systemFont(12), ui::Color(1, 0.75)));
        content_->addSubview(tile);
    }
    const std::string footer = "screen " + std::to_string(screen + 1) + " of " + std::to_string(screens) + " · " +
                               std::to_string(list.size()) + (list.size() == 1 ? " page" : " pages");
    content_->addSubview(makeLabel({margin, size.height - 64, size.width - 2 * margin, 22}, footer,
                                   ui::Font::systemFont(15), ui::Color(0.35, 1)));
    content_->addSubview(makeLabel({margin, size.height - 40, size.width - 2 * margin, 20},
                                   "‹ › or the arrow keys turn; the title leads back here", ui::Font::systemFont(12),
                                   ui::Color(0.55, 1)));
}

} // namespace pellavo::gallery
