#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ui/event/ApplicationHost.hpp"

namespace pellavo::backend {

// The application host of a desktop: SdlBackend's window, and Headless for PNG files.
// For the platform's initialisation point to install (ui::ApplicationHost::install).
PELLAVO_EXPORT std::shared_ptr<ui::ApplicationHost> makeDesktopHost();

} // namespace pellavo::backend
