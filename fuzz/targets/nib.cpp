// Interface-file bytes: loaded, instantiated twice (with an owner and without), each
// view tree laid out and rendered. Loading may refuse the file; nothing may break.

#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/view/View.hpp"

using namespace pellavo;

namespace {

// Each subview names its parent as its superview, and its layer sits in the parent's layer.
void requireConsistent(const ui::View& view, int depth = 0) {
    fuzz::require(depth <= 2 * ui::Nib::maximumDepth, "a view tree is no deeper than its file");
    for (const auto& sub : view.subviews()) {
        fuzz::require(sub->superview().get() == &view, "a subview's superview is its parent");
        fuzz::require(sub->layer()->superlayer() == view.layer(), "a subview's layer is in its parent's");
        requireConsistent(*sub, depth + 1);
    }
}

void layOutAndRender(const std::shared_ptr<ns::Object>& object, ca::Renderer& renderer) {
    std::shared_ptr<ui::View> view = std::dynamic_pointer_cast<ui::View>(object);
    if (const auto controller = std::dynamic_pointer_cast<ui::ViewController>(object)) view = controller->view();
    if (!view) return;
    requireConsistent(*view);
    view->layoutIfNeeded();
    renderer.render(*view->layer());
    requireConsistent(*view);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    auto nib = ui::Nib::fromData(std::string(reinterpret_cast<const char*>(data), size), "fuzz");
    ca::Renderer renderer({48, 48}, 1);
    std::vector<std::string> firstClasses;
    for (int pass = 0; pass < 2; ++pass) {
        const auto owner = pass == 0 ? std::make_shared<ui::ViewController>() : nullptr;
        const auto objects = nib->instantiate(owner);
        fuzz::require(objects.empty() || !nib->lastError(), "a fatal error gives no objects");
        // Every instantiation makes the same top-level objects, owner or not.
        std::vector<std::string> classes;
        for (const auto& object : objects) classes.emplace_back(object->className());
        if (pass == 0) firstClasses = classes;
        if (!objects.empty() && !firstClasses.empty()) fuzz::require(classes == firstClasses, "instances agree");
        for (const auto& object : objects) layOutAndRender(object, renderer);
        if (owner && owner->isViewLoaded()) layOutAndRender(owner, renderer);
        session.advance(0.5);
    }
    session.requireNoInternalErrors();
    return 0;
}
