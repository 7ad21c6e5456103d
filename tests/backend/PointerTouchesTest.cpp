#include "platform/backend/PointerTouches.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::backend {
namespace {

// Writes "phase x,y" for every touch a view hears, one delivery per line.
class Recorder : public ui::View {
public:
    using View::View;
    std::vector<std::string> lines;

    void touchesBegan(const ui::TouchSet& t, const ui::Event*) override { record("began", t); }
    void touchesMoved(const ui::TouchSet& t, const ui::Event*) override { record("moved", t); }
    void touchesEnded(const ui::TouchSet& t, const ui::Event*) override { record("ended", t); }
    void touchesCancelled(const ui::TouchSet& t, const ui::Event*) override { record("cancelled", t); }

private:
    void record(const char* phase, const ui::TouchSet& touches) {
        std::string line = phase;
        for (const auto& touch : touches) {
            const cg::Point p = touch->location(this);
            line += " " + std::to_string(static_cast<int>(p.x)) + "," + std::to_string(static_cast<int>(p.y));
        }
        lines.push_back(line);
    }
};

class PointerTouchesTest : public pellavo::testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        recorder = ns::make<Recorder>(cg::Rect{0, 0, 375, 667});
        recorder->setIsMultipleTouchEnabled(true);
        window()->addSubview(recorder);
    }
    std::shared_ptr<Recorder> recorder;
    PointerTouches pointer;
};

TEST_F(PointerTouchesTest, TheButtonIsOneFinger) {
    pointer.press({100, 200}, false);
    EXPECT_FALSE(pointer.drag({100, 200})); // nothing moved: no event
    pointer.drag({130, 210});
    pointer.drag({160, 220});
    EXPECT_FALSE(pointer.hasSecondTouch());
    pointer.release({170, 230});
    EXPECT_FALSE(pointer.isPressed());
    EXPECT_EQ(recorder->lines, (std::vector<std::string>{"began 100,200", "moved 130,210", "moved 160,220",
                                                         "ended 170,230"}));
}

TEST_F(PointerTouchesTest, APinchDragAddsAFingerMirroredAboutThePressPoint) {
    pointer.press({200, 300}, true);
    pointer.drag({203, 300}); // within the spread: still one finger
    EXPECT_FALSE(pointer.hasSecondTouch());
    pointer.drag({210, 300});
    EXPECT_TRUE(pointer.hasSecondTouch());
    pointer.drag({240, 330});
    pointer.release({250, 340});
    EXPECT_EQ(recorder->lines,
              (std::vector<std::string>{"began 200,300", "moved 203,300", "moved 210,300", "began 190,300",
                                        "moved 240,330 160,270", "ended 250,340 150,260"}));
}

TEST_F(PointerTouchesTest, CancelEndsEveryFingerAndLaterMovesAreIgnored) {
    pointer.press({200, 300}, true);
    pointer.drag({220, 300});
    pointer.cancel();
    EXPECT_FALSE(pointer.drag({230, 300}));
    EXPECT_FALSE(pointer.release({230, 300}));
    EXPECT_FALSE(pointer.cancel());
    EXPECT_EQ(recorder->lines, (std::vector<std::string>{"began 200,300", "moved 220,300", "began 180,300",
                                                         "cancelled 220,300 180,300"}));
    EXPECT_TRUE(app().liveTouches().empty());
    // Pressing again starts afresh.
    pointer.press({10, 10}, false);
    EXPECT_EQ(recorder->lines.back(), "began 10,10");
}

} // namespace
} // namespace pellavo::backend
