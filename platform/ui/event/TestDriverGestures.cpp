#include "platform/ns/RunLoop.hpp"
#include "platform/ui/gesture/GestureRecognizer.hpp"
#include "platform/ui/event/TestDriver.hpp"

namespace pellavo::ui {

void TestDriver::driveGesture(GestureRecognizer& recognizer, GestureRecognizer::State state,
                              const GestureValues& values) {
    auto strong = recognizer.sharedFromThis<GestureRecognizer>();
    GestureRecognizer::DrivenValues driven{values.location, values.translation, values.velocity, values.scale};
    auto& loop = ns::RunLoop::main();
    loop.enqueue([strong, state, driven] { strong->drive(state, driven); });
    loop.runOnce();
}

} // namespace pellavo::ui
