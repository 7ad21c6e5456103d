#pragma once

#include "platform/ns/Export.hpp"

namespace pellavo::ui {

class GestureRecognizer;
class Touch;

// What a recogniser asks its delegate. A plain interface, so an ns::Object (a
// controller, a menu) can adopt it beside its own base; recognisers hold it weakly.
class PELLAVO_EXPORT GestureRecognizerDelegate {
public:
    virtual ~GestureRecognizerDelegate() = default;

    // Asked just before the recogniser begins or recognises; false makes it fail.
    virtual bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) {
        (void)recognizer;
        return true;
    }
    // Asked once per touch, when it begins; false keeps the touch from the recogniser.
    virtual bool gestureRecognizerShouldReceive(GestureRecognizer& recognizer, Touch& touch) {
        (void)recognizer;
        (void)touch;
        return true;
    }
    // True lets both recognise at once; either side's delegate may allow it.
    virtual bool gestureRecognizerShouldRecognizeSimultaneously(GestureRecognizer& recognizer,
                                                                GestureRecognizer& other) {
        (void)recognizer;
        (void)other;
        return false;
    }
};

} // namespace pellavo::ui
