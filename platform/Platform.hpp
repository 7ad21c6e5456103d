#pragma once

#include "platform/ns/Export.hpp"

namespace pellavo::platform {

// The platform library's one initialisation point. It runs on the loading thread when
// the library is loaded, before the host's main(), and installs what the backend
// provides to the layers below it: libcurl's global state, the HTTP transport behind
// ns::URLSession, the PNG/JPEG codec behind ui::Image (cg::ImageCodec) and the desktop
// window behind ui::Application::run (ui::ApplicationHost). Within the
// platform it is the one place outside backend/ that names backend/. Hosts need not call
// it; further calls do nothing.
PELLAVO_EXPORT void initialise();

// Undoes initialise(): removes the image codec and the transport, joining its worker
// (unfinished transfers end without completions), and releases libcurl. Runs by itself
// at exit.
PELLAVO_EXPORT void shutdown();

} // namespace pellavo::platform
