#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ca/DisplayLink.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Timer.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using ca::DisplayLink;

class DisplayLinkTest : public pellavo::testing::PlatformTest {
protected:
    std::shared_ptr<DisplayLink> recording(std::vector<std::int64_t>& fires) {
        return DisplayLink::make([this, &fires](DisplayLink&) { fires.push_back(now()); });
    }
};

TEST_F(DisplayLinkTest, ThirtyFramesPerSecondFireOnEveryOtherFrameOfTheGrid) {
    std::vector<std::int64_t> fires;
    auto link = recording(fires);
    link->setPreferredFramesPerSecond(30);
    const std::int64_t added = now();
    link->add(ns::RunLoop::main());
    advance(1);
    ASSERT_EQ(fires.size(), 30u);
    // The first fire is the first even frame strictly after the add.
    const std::int64_t k0 = DisplayLink::nextFrame(added, 2);
    EXPECT_EQ(k0 % 2, 0);
    EXPECT_GT(fires[0], added);
    EXPECT_LE(DisplayLink::frameTime(k0 - 2), added);
    for (std::size_t i = 0; i < fires.size(); ++i) {
        const std::int64_t k = k0 + 2 * static_cast<std::int64_t>(i);
        EXPECT_EQ(fires[i], k * 1'000'000'000 / 60) << i;
    }
    EXPECT_EQ(link->timestamp(), static_cast<double>(fires.back()) / 1e9);
}

TEST_F(DisplayLinkTest, RatesAreDivisorsOfSixty) {
    auto link = DisplayLink::make([](DisplayLink&) {});
    const std::pair<int, int> cases[] = {{0, 60}, {-5, 60}, {60, 60}, {100, 60}, {45, 30},
                                         {30, 30}, {29, 20}, {7, 6}, {1, 1}};
    for (auto [preferred, actual] : cases) {
        link->setPreferredFramesPerSecond(preferred);
        EXPECT_EQ(link->framesPerSecond(), actual) << preferred;
    }
}

TEST_F(DisplayLinkTest, FirstFrameIsStrictlyAfterTheAddEvenOnAFrame) {
    // Move exactly onto a frame, then add: that frame is not delivered.
    const std::int64_t k = DisplayLink::nextFrame(now(), 1);
    clock().set(DisplayLink::frameTime(k));
    std::vector<std::int64_t> fires;
    auto link = recording(fires);
    link->add(ns::RunLoop::main());
    runUntilIdle();
    EXPECT_TRUE(fires.empty());
    advance(1.0 / 60);
    ASSERT_EQ(fires.size(), 1u);
    EXPECT_EQ(fires[0], DisplayLink::frameTime(k + 1));
}

TEST_F(DisplayLinkTest, PauseStopsAndUnpauseResumesAfterNow) {
    std::vector<std::int64_t> fires;
    auto link = recording(fires);
    link->add(ns::RunLoop::main());
    advance(0.1);
    EXPECT_EQ(fires.size(), 6u);
    link->setPaused(true);
    EXPECT_TRUE(link->isPaused());
    advance(0.5);
    EXPECT_EQ(fires.size(), 6u);
    clock().advance(1'000'000); // between frames
    const std::int64_t unpaused = now();
    link->setPaused(false);
    advance(0.05);
    ASSERT_EQ(fires.size(), 9u);
    EXPECT_EQ(fires[6], DisplayLink::frameTime(DisplayLink::nextFrame(unpaused, 1)));
}

TEST_F(DisplayLinkTest, InvalidatingInsideItsOwnCallback) {
    int count = 0;
    std::weak_ptr<DisplayLink> weak;
    {
        auto link = DisplayLink::make([&count](DisplayLink& l) {
            if (++count == 3) l.invalidate();
        });
        weak = link;
        link->add(ns::RunLoop::main());
    }
    // The run loop alone holds the link while it is live.
    EXPECT_FALSE(weak.expired());
    advance(1);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(weak.expired());
}

struct Ticker : ns::Object {
    int ticks = 0;
    void tick(DisplayLink&) { ++ticks; }
};

TEST_F(DisplayLinkTest, ADeadTargetInvalidatesTheLink) {
    auto target = ns::make<Ticker>();
    auto link = DisplayLink::make(target, &Ticker::tick);
    link->add(ns::RunLoop::main());
    advance(0.05);
    EXPECT_EQ(target->ticks, 3);
    target.reset();
    advance(0.05);
    EXPECT_FALSE(link->isValid());
    // An invalidated link ignores everything.
    link->add(ns::RunLoop::main());
    link->setPaused(false);
    advance(0.05);
    EXPECT_FALSE(link->isValid());
}

TEST_F(DisplayLinkTest, LinksAtOneFrameFireInTheOrderTheyWereAdded) {
    std::vector<std::string> order;
    auto a = DisplayLink::make([&](DisplayLink&) { order.push_back("a"); });
    auto b = DisplayLink::make([&](DisplayLink&) { order.push_back("b"); });
    a->add(ns::RunLoop::main());
    b->add(ns::RunLoop::main());
    b->add(ns::RunLoop::main()); // twice: still one fire per frame
    advance(1.0 / 60);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b"}));
    // Pausing and resuming does not lose a link its place.
    a->setPaused(true);
    a->setPaused(false);
    order.clear();
    advance(1.0 / 60);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b"}));
}

TEST_F(DisplayLinkTest, OrderedAgainstATimerDueAtTheSameInstant) {
    std::vector<std::string> order;
    const std::int64_t frame = DisplayLink::frameTime(DisplayLink::nextFrame(now(), 1));
    const double interval = static_cast<double>(frame - now()) / 1e9;
    // A timer whose due time was set first fires first; one set after the link, after it.
    auto early = ns::Timer::scheduledTimer(interval, false, [&](ns::Timer&) { order.push_back("timer before"); });
    auto link = DisplayLink::make([&](DisplayLink&) { order.push_back("link"); });
    link->add(ns::RunLoop::main());
    auto late = ns::Timer::scheduledTimer(interval, false, [&](ns::Timer&) { order.push_back("timer after"); });
    ASSERT_EQ(early->fireDate(), frame);
    advance(interval);
    EXPECT_EQ(order, (std::vector<std::string>{"timer before", "link", "timer after"}));
}

} // namespace
