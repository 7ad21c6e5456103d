#include "platform/ui/controller/AlertAction.hpp"

#include "platform/ui/controller/AlertController.hpp"

namespace pellavo::ui {

void AlertAction::setIsEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (const auto alert = alert_.lock()) alert->actionEnabledDidChange();
}

} // namespace pellavo::ui
