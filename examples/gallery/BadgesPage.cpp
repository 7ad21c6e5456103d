// Badges: bar buttons on a stand-in navigation bar with counts, and badge buttons untouched,
// shown and hidden again, with a button that toggles every badge button at once.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXBadgeBarButton.hpp"
#include "pellavo/VXBadgeButton.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::gallery {

namespace {

using State = ui::Control::State;

const ui::Color kBarColor(0.92, 1);
const ui::Color kBarTint(0.0, 0.48, 1.0, 1);
const ui::Color kButtonColor(0.26, 0.52, 0.96, 1);

// Holds the bar button items, which nothing else keeps, and is the toggle's target.
class BadgesBoard : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryBadgesBoard"; }

    void toggleAll() { ns::NotificationCenter::defaultCenter().post("adBadgeShowingKey"); }

protected:
    void init() override {
        View::init();
        addHeading(*this, 12, "BAR BUTTONS · 5, 12, 99+ and 0 (no badge)");
        auto bar = ns::make<ui::View>(cg::Rect{0, 36, 375, 44});
        bar->setBackgroundColor(kBarColor);
        addSubview(bar);
        const std::pair<const char*, const char*> items[] = {
            {"Inbox", "5"}, {"Cart", "12"}, {"Chat", "99+"}, {"Bell", "0"}};
        double x = 24;
        for (const auto& [title, value] : items) {
            auto button = ns::make<ui::Button>(cg::Rect{x, 6, 60, 32});
            button->setTitle(ns::String(title), State::normal);
            button->setTitleColor(kBarTint, State::normal);
            bar->addSubview(button);
            auto item = ns::make<VXBadgeBarButton>()->initWithCustomBadgeBarButton(button);
            item->setBadgeValue(ns::String(value));
            items_.push_back(item);
            x += 88;
        }

        addHeading(*this, 100, "BADGE BUTTONS · none, shown, hidden again");
        for (int i = 0; i < 3; ++i) {
            auto button = ns::make<VXBadgeButton>(cg::Rect{16 + 118.0 * i, 126, 100, 40});
            button->setTitle(ns::String("Plain"), State::normal);
            button->setBackgroundColor(kButtonColor);
            addSubview(button);
            if (i > 0) button->showBadge();
            if (i > 1) button->hideBadge();
        }

        addHeading(*this, 190, "TOGGLE ALL · posts adBadgeShowingKey");
        auto toggle = ns::make<ui::Button>(cg::Rect{16, 214, 140, 40});
        toggle->setTitle(ns::String("Toggle all"), State::normal);
        toggle->setBackgroundColor(ui::Color(0.2, 1));
        toggle->layer()->setCornerRadius(8);
        toggle->addTarget(sharedFromThis<BadgesBoard>(), &BadgesBoard::toggleAll, ui::Control::Event::touchUpInside);
        addSubview(toggle);
    }

private:
    std::vector<std::shared_ptr<VXBadgeBarButton>> items_;
};

void build(ui::View& content) { content.addSubview(ns::make<BadgesBoard>(content.bounds())); }

const PageRegistration registration{{"Badges", "Badges", build, 1}};

} // namespace

} // namespace pellavo::gallery
