#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ui/control/Button.hpp"

namespace pellavo::ns {
class Notification;
}

namespace pellavo::ui {
class Label;
}

namespace pellavo {

// A button with a small round red "N" badge in its top-right corner, 38 % of the button's
// size when it is set up, shown and hidden with a 0.6 s scaling animation. Every post of
// "adBadgeShowingKey" toggles the badge of every live badge button; the library never
// posts it.
class PELLAVO_EXPORT VXBadgeButton : public ui::Button {
public:
    // Starts hiding its badge at once: isShowingBadge becomes false 0.6 s later.
    explicit VXBadgeButton(const cg::Rect& frame = {});
    // From an interface file: the badge starts hidden at full size, isShowingBadge none.
    explicit VXBadgeButton(const ns::Coder& coder);
    ~VXBadgeButton() override;
    std::string_view className() const override { return "VXBadgeButton"; }

    // True once a show has started, false once a hide has finished; none before either.
    std::optional<bool> isShowingBadge() const { return isShowingBadge_; }
    void setIsShowingBadge(std::optional<bool> showing) { isShowingBadge_ = showing; }
    // Hides a shown badge, shows a hidden one. The notification is not examined; off the
    // main thread the toggle runs on the main queue.
    void updateBadgeStatus(ns::Notification* notification);
    void showBadge();
    // Hides the badge when its animation ends, unless a show has started since.
    void hideBadge();
    bool isBadge() const { return isShowingBadge_.value_or(false); }

protected:
    void init() override;

private:
    void makeBadge();
    // Places the badge by the button's size now, adds it hidden and listens for the toggle.
    void setUpBadge();

    std::shared_ptr<ui::Label> badge_;
    std::optional<bool> isShowingBadge_;
    // Counts shows, so a hide's completion can tell a show began after it.
    std::uint64_t showCount_ = 0;
    bool fromCoder_ = false;
};

} // namespace pellavo
