#pragma once

#include "platform/ns/Export.hpp"

namespace pellavo::ui {

class Event;
class Touch;

// The gesture-recognition seam of Application::sendEvent. Every event goes through
// three steps: (1) interceptEvent hands it to the recognisers of its touches and
// (2) resolves their state changes and actions; (3) the application then delivers
// the event to the touches' views. While recognising, the interceptor can take
// touches away from their views (Application::cancelTouchesInViews) and hold back a
// view's touchesBegan or touchesEnded (shouldDelayTouchBegan, shouldDelayTouchEnded;
// later released or cancelled).
class PELLAVO_EXPORT TouchInterceptor {
public:
    virtual ~TouchInterceptor() = default;

    // Steps 1 and 2, before any view hears of the event. New touches already carry
    // their hit view and window.
    virtual void interceptEvent(const Event& event) = 0;
    // Asked in step 3 for each touch that begins: true holds its view's touchesBegan
    // (and the moves meanwhile) back until Application::deliverDelayedTouchesBegan, or
    // for good after cancelTouchesInViews.
    virtual bool shouldDelayTouchBegan(const Touch& touch) {
        (void)touch;
        return false;
    }
    // Asked in step 3 for each touch that ends: true holds its view's touchesEnded
    // back until Application::deliverDelayedTouchesEnded or cancelTouchesInViews.
    virtual bool shouldDelayTouchEnded(const Touch& touch) {
        (void)touch;
        return false;
    }
    // Application::resetForTesting forgets every touch; so should the interceptor.
    virtual void reset() {}
};

} // namespace pellavo::ui
