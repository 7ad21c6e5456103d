#include "platform/ui/AlertAction.hpp"

#include "platform/ui/AlertController.hpp"

namespace pellavo::ui {

void AlertAction::setIsEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (const auto alert = alert_.lock()) alert->actionEnabledDidChange();
}

} // namespace pellavo::ui
