#include "platform/Platform.hpp"

#include <mutex>

#include "platform/backend/CurlTransport.hpp"
#include "platform/backend/DesktopHost.hpp"
#include "platform/backend/ImageCodec.hpp"
#include "platform/cg/ImageCodec.hpp"
#include "platform/ns/URLTransport.hpp"
#include "platform/ui/event/ApplicationHost.hpp"

namespace pellavo::platform {

namespace {

std::mutex& lifecycleMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

bool initialised = false;

// Ties initialise() and shutdown() to the library's load and unload (process exit).
struct LibraryLifetime {
    LibraryLifetime() { initialise(); }
    ~LibraryLifetime() { shutdown(); }
};

const LibraryLifetime lifetime;

} // namespace

void initialise() {
    std::lock_guard lock(lifecycleMutex());
    if (initialised) return;
    initialised = true;
    backend::curlGlobalInit();
    ns::URLTransport::install(backend::makeCurlTransport());
    cg::ImageCodec::install(backend::makeImageCodec());
    ui::ApplicationHost::install(backend::makeDesktopHost());
}

void shutdown() {
    std::lock_guard lock(lifecycleMutex());
    if (!initialised) return;
    initialised = false;
    ui::ApplicationHost::install(nullptr);
    cg::ImageCodec::install(nullptr);
    // The previous transport dies here, joining its worker.
    ns::URLTransport::install(nullptr).reset();
    backend::curlGlobalCleanup();
}

} // namespace pellavo::platform
