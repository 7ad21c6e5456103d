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

GalleryShell::GalleryShell(std::shared_ptr<ui::Window> window) : window_(std::move(window)) {
    const auto& list = pages();
    for (std::size_t family = 0; family < families().size(); ++family) {
        const std::size_t before = pageOrder_.size();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (familyOf(list[i]) == family) pageOrder_.push_back(i);
        if (pageOrder_.size() > before) shownFamilies_.push_back(family);
    }
}

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

int GalleryShell::positionCount() const {
    return 1 + static_cast<int>(shownFamilies_.size() + pageOrder_.size());
}

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

    const int familyScreens = static_cast<int>(shownFamilies_.size());
    if (position_ == 0) {
        title_ = "Pellavo gallery";
        buildIndex();
    } else if (position_ <= familyScreens) {
        title_ = families()[shownFamilies_[static_cast<std::size_t>(position_ - 1)]];
        buildFamily(static_cast<std::size_t>(position_ - 1));
    } else {
        const GalleryPage& page = pages()[pageOrder_[static_cast<std::size_t>(position_ - 1 - familyScreens)]];
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
    for (std::size_t i = 0; i < pageOrder_.size(); ++i) {
        if (list[pageOrder_[i]].id != id) continue;
        show(1 + static_cast<int>(shownFamilies_.size() + i));
        return true;
    }
    return false;
}

void GalleryShell::backToIndex() {
    const int familyScreens = static_cast<int>(shownFamilies_.size());
    if (position_ <= familyScreens) {
        show(0);
        return;
    }
    const std::size_t family = familyOf(pages()[pageOrder_[static_cast<std::size_t>(position_ - 1 - familyScreens)]]);
    const auto at = std::find(shownFamilies_.begin(), shownFamilies_.end(), family);
    show(1 + static_cast<int>(at - shownFamilies_.begin()));
}

void GalleryShell::openTile(ui::Button& tile) { show(tile.tag()); }

std::shared_ptr<ui::Button> GalleryShell::makeTile(cg::Rect frame, int position) {
    auto tile = ns::make<ui::Button>(frame);
    tile->setBackgroundColor(tint());
    tile->layer()->setCornerRadius(12);
    tile->setTag(position);
    tile->addTarget(sharedFromThis<GalleryShell>(), &GalleryShell::openTile, ControlEvent::touchUpInside);
    content_->addSubview(tile);
    return tile;
}

namespace {

// A white title over a tile, whole: on up to two lines, the font stepped down from 17
// points until it fits.
std::shared_ptr<ui::Label> tileTitle(cg::Rect frame, const std::string& text) {
    auto label = makeLabel(frame, text, ui::Font::systemFont(17, ui::Font::Weight::semibold), ui::Color::white(),
                           ns::TextAlignment::left);
    label->setNumberOfLines(2);
    label->setLineBreakMode(ns::LineBreakMode::byWordWrapping);
    for (double points = 17; points >= 11; --points) {
        label->setFont(ui::Font::systemFont(points, ui::Font::Weight::semibold));
        const cg::Rect natural = label->textRect({0, 0, frame.width(), 1e6}, 0);
        const cg::Rect unwrapped = label->textRect({0, 0, 1e6, 1e6}, 0);
        const double lineHeight = label->textRect({0, 0, 1e6, 1e6}, 1).height();
        // Fits when it needs at most two lines and no word is wider than the tile.
        const bool wordsFit = unwrapped.width() <= frame.width() * 2;
        if (natural.height() <= 2 * lineHeight + 0.5 && natural.width() <= frame.width() && wordsFit) break;
    }
    return label;
}

} // namespace

void GalleryShell::buildIndex() {
    const cg::Size size = content_->bounds().size;
    if (pageOrder_.empty()) {
        content_->addSubview(
            makeLabel({0, 0, size.width, size.height}, "no pages", ui::Font::systemFont(17), ui::Color(0.5, 1)));
        return;
    }
    const auto& list = pages();
    const double tileWidth = size.width - 2 * margin;
    // Tiles shrink (to a floor) rather than run under the footer when the families grow.
    const double familyCount = static_cast<double>(shownFamilies_.size());
    const double footerTop = size.height - 64;
    const double familyTileHeight =
        std::clamp((footerTop - gap - margin - (familyCount - 1) * gap) / std::max(familyCount, 1.0), 60.0, 90.0);
    std::size_t firstPage = 0;
    for (std::size_t shown = 0; shown < shownFamilies_.size(); ++shown) {
        const std::size_t family = shownFamilies_[shown];
        std::vector<std::string> titles;
        while (firstPage < pageOrder_.size() && familyOf(list[pageOrder_[firstPage]]) == family)
            titles.push_back(list[pageOrder_[firstPage++]].title);
        const double y = margin + static_cast<double>(shown) * (familyTileHeight + gap);
        auto tile = makeTile({margin, y, tileWidth, familyTileHeight}, 1 + static_cast<int>(shown));
        auto name = makeLabel({14, 10, tileWidth - 28, 24}, families()[family],
                              ui::Font::systemFont(18, ui::Font::Weight::semibold), ui::Color::white(),
                              ns::TextAlignment::left);
        // Whole on one line: the font steps down until the name fits.
        for (double points = 18; points > 12 && name->textRect({0, 0, 1e6, 1e6}, 1).width() > tileWidth - 28; --points)
            name->setFont(ui::Font::systemFont(points - 1, ui::Font::Weight::semibold));
        tile->addSubview(name);
        std::string summary = std::to_string(titles.size()) + (titles.size() == 1 ? " page: " : " pages: ");
        for (std::size_t i = 0; i < titles.size(); ++i) summary += (i ? ", " : "") + titles[i];
        auto line = makeLabel({14, 34, tileWidth - 28, 50}, summary, ui::Font::systemFont(12), ui::Color(1, 0.8),
                              ns::TextAlignment::left);
        line->setNumberOfLines(3);
        tile->addSubview(line);
    }
    content_->addSubview(makeLabel({margin, size.height - 64, size.width - 2 * margin, 22},
                                   std::to_string(list.size()) + (list.size() == 1 ? " page" : " pages") + " in " +
                                       std::to_string(shownFamilies_.size()) + " families",
                                   ui::Font::systemFont(15), ui::Color(0.35, 1)));
    content_->addSubview(makeLabel({margin, size.height - 40, size.width - 2 * margin, 20},
                                   "‹ › or the arrow keys turn; the title leads back up", ui::Font::systemFont(12),
                                   ui::Color(0.55, 1)));
}

void GalleryShell::buildFamily(std::size_t shown) {
    const auto& list = pages();
    const cg::Size size = content_->bounds().size;
    const double tileWidth = (size.width - 2 * margin - (columns - 1) * gap) / columns;
    const int familyScreens = static_cast<int>(shownFamilies_.size());
    int slot = 0;
    for (std::size_t i = 0; i < pageOrder_.size(); ++i) {
        const GalleryPage& page = list[pageOrder_[i]];
        if (familyOf(page) != shownFamilies_[shown]) continue;
        auto tile = makeTile({margin + (slot % columns) * (tileWidth + gap), margin + (slot / columns) * (tileHeight + gap),
                              tileWidth, tileHeight},
                             1 + familyScreens + static_cast<int>(i));
        // Labels take no touches: the tile gets them.
        tile->addSubview(tileTitle({12, 6, tileWidth - 24, 40}, page.title));
        tile->addSubview(makeLabel({12, 46, tileWidth - 24, 14}, page.id, ui::Font::systemFont(11), ui::Color(1, 0.75),
                                   ns::TextAlignment::left));
        ++slot;
    }
}

} // namespace pellavo::gallery
