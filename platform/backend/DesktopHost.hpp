#pragma once

#include <memory>

#include "platform/ui/event/ApplicationHost.hpp"

namespace pellavo::backend {

// The application host of a desktop: SdlBackend's window, and Headless for PNG files.
// For the platform's initialisation point to install (ui::ApplicationHost::install).
std::shared_ptr<ui::ApplicationHost> makeDesktopHost();

} // namespace pellavo::backend
