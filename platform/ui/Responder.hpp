#pragma once

#include <memory>

#include "platform/ns/Object.hpp"

namespace pellavo::ui {

class Event;
class TouchSet;

// Something that takes part in touch handling. Touches a responder does not handle
// travel up the chain: a view's next responder is its superview, a window's is the
// application, and the application ends the chain.
class Responder : public ns::Object {
public:
    std::string_view className() const override { return "UIResponder"; }

    virtual std::shared_ptr<Responder> nextResponder() const { return nullptr; }

    // Each forwards to the next responder unchanged.
    virtual void touchesBegan(const TouchSet& touches, const Event* event);
    virtual void touchesMoved(const TouchSet& touches, const Event* event);
    virtual void touchesEnded(const TouchSet& touches, const Event* event);
    virtual void touchesCancelled(const TouchSet& touches, const Event* event);
};

} // namespace pellavo::ui
