// Interface-file bytes: loaded, instantiated twice (with an owner and without), each
// view tree laid out and rendered. Loading may refuse the file; nothing may break.

#include <memory>
#include <string>

#include "fuzz/FuzzSupport.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/view/View.hpp"

using namespace pellavo;

namespace {

void layOutAndRender(const std::shared_ptr<ns::Object>& object, ca::Renderer& renderer) {
    std::shared_ptr<ui::View> view = std::dynamic_pointer_cast<ui::View>(object);
    if (const auto controller = std::dynamic_pointer_cast<ui::ViewController>(object)) view = controller->view();
    if (!view) return;
    view->layoutIfNeeded();
    renderer.render(*view->layer());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    auto nib = ui::Nib::fromData(std::string(reinterpret_cast<const char*>(data), size), "fuzz");
    ca::Renderer renderer({48, 48}, 1);
    for (int pass = 0; pass < 2; ++pass) {
        const auto owner = pass == 0 ? std::make_shared<ui::ViewController>() : nullptr;
        const auto objects = nib->instantiate(owner);
        fuzz::require(objects.empty() || !nib->lastError(), "a fatal error gives no objects");
        for (const auto& object : objects) layOutAndRender(object, renderer);
        if (owner && owner->isViewLoaded()) layOutAndRender(owner, renderer);
        session.advance(0.5);
    }
    session.requireNoInternalErrors();
    return 0;
}
