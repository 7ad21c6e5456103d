#include "pellavo/VXTextField/FontAnimation.hpp"

#include <utility>

#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Runtime.hpp"

namespace pellavo {

FontAnimation::FontAnimation(std::weak_ptr<ns::Object> target, ns::Selector selector)
    : target(std::move(target)), selector(selector) {}

FontAnimation::~FontAnimation() {
    if (displayLink) displayLink->invalidate();
}

void FontAnimation::init() {
    ns::Object::init();
    // The link keeps only a weak hold on the target: the field owns this object, and
    // through it the link, not the other way round.
    displayLink = ca::DisplayLink::make([weakTarget = target, selector = selector](ca::DisplayLink&) {
        if (const auto strong = weakTarget.lock()) ns::Runtime::shared().perform(strong.get(), selector, nullptr);
    });
    // The common mode keeps the ticks coming while a touch is tracked or a view scrolls.
    displayLink->add(ns::RunLoop::main(), ca::RunLoopMode::common);
    displayLink->setPreferredFramesPerSecond(30);
}

} // namespace pellavo
