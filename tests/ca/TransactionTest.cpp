#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/ca/AnimationGroup.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/dispatch/Queue.hpp"
#include "tests/ca/AnimationTestSupport.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using ca::MediaTimingFunction;
using ca::Transaction;

class TransactionTest : public pellavo::testing::AnimationFixture {
public:
    // A 1.2 s group, held at its end and never removed.
    static std::shared_ptr<ca::AnimationGroup> group() {
        auto child = ns::make<ca::BasicAnimation>();
        child->setKeyPath("cornerRadius");
        child->setFromValue(0.0);
        child->setToValue(5.0);
        auto g = ns::make<ca::AnimationGroup>();
        g->setAnimations({child});
        g->setDuration(1.2);
        g->setFillMode(ca::FillMode::forwards);
        g->setIsRemovedOnCompletion(false);
        return g;
    }

protected:
    std::int64_t at(double seconds) const { return ns::ManualClock::defaultStart + ns::secondsToNanoseconds(seconds); }
};

TEST_F(TransactionTest, NestedTransactionsLookOutwardsAndRestore) {
    EXPECT_EQ(Transaction::animationDuration(), 0.25);
    EXPECT_FALSE(Transaction::animationTimingFunction());
    EXPECT_FALSE(Transaction::disableActions());

    Transaction::begin();
    Transaction::setAnimationDuration(0.4);
    Transaction::setDisableActions(true);
    Transaction::begin();
    EXPECT_EQ(Transaction::animationDuration(), 0.4); // inherited
    EXPECT_TRUE(Transaction::disableActions());
    Transaction::setAnimationDuration(1.5);
    Transaction::setDisableActions(false);
    Transaction::setAnimationTimingFunction(MediaTimingFunction::easeIn());
    EXPECT_EQ(Transaction::animationDuration(), 1.5);
    EXPECT_EQ(Transaction::animationTimingFunction(), MediaTimingFunction::easeIn());
    Transaction::commit();
    EXPECT_EQ(Transaction::animationDuration(), 0.4);
    EXPECT_TRUE(Transaction::disableActions());
    EXPECT_FALSE(Transaction::animationTimingFunction());
    Transaction::commit();
    EXPECT_EQ(Transaction::animationDuration(), 0.25);
    EXPECT_FALSE(Transaction::disableActions());
}

TEST_F(TransactionTest, CommitWithoutBeginDoesNothing) {
    // Setting a value outside any transaction opens the implicit one; a stray commit
    // leaves it open, and the end of the turn closes it.
    Transaction::setAnimationDuration(2);
    Transaction::commit();
    EXPECT_EQ(Transaction::animationDuration(), 2);
    runUntilIdle();
    EXPECT_EQ(Transaction::animationDuration(), 0.25);
}

TEST_F(TransactionTest, EndOfTurnClosesExplicitTransactionsLeftOpen) {
    Transaction::begin();
    Transaction::setDisableActions(true);
    Transaction::begin();
    Transaction::setAnimationDuration(3);
    runUntilIdle();
    EXPECT_FALSE(Transaction::disableActions());
    EXPECT_EQ(Transaction::animationDuration(), 0.25);
}

TEST_F(TransactionTest, CompletionWithoutAnimationsRunsAfterTheOutermostCommit) {
    std::vector<std::string> log;
    Transaction::begin();
    Transaction::begin();
    Transaction::setCompletionBlock([&] { log.push_back("old"); });
    Transaction::setCompletionBlock([&] { log.push_back("inner"); }); // replaces
    Transaction::commit();
    EXPECT_TRUE(log.empty()); // the outer transaction is still open
    runUntilIdle();           // the end of the turn commits it
    EXPECT_EQ(log, (std::vector<std::string>{"inner"}));

    log.clear();
    Transaction::begin();
    Transaction::setCompletionBlock([&] { log.push_back("outer"); });
    Transaction::begin();
    Transaction::setCompletionBlock([&] { log.push_back("nested"); });
    Transaction::commit();
    EXPECT_TRUE(log.empty());
    Transaction::commit();
    // Queued on the main queue, never run inline.
    EXPECT_TRUE(log.empty());
    runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"nested", "outer"}));
}

TEST_F(TransactionTest, ACompletionInsideTheImplicitTransactionWaitsForTheTurnToEnd) {
    std::vector<std::string> log;
    Transaction::layerWillChange(); // a layer change opens the implicit transaction
    Transaction::begin();
    Transaction::setCompletionBlock([&] { log.push_back("done"); });
    Transaction::commit();
    dispatch::Queue::main().async([&] { log.push_back("queued before the commit"); });
    runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"queued before the commit", "done"}));
}

TEST_F(TransactionTest, AWorkerThreadHasItsOwnStack) {
    Transaction::begin();
    Transaction::setAnimationDuration(0.9);
    double seenOnWorker = 0;
    bool disabledOnWorker = true;
    std::thread worker([&] {
        seenOnWorker = Transaction::animationDuration();
        Transaction::begin();
        Transaction::setDisableActions(true);
        disabledOnWorker = Transaction::disableActions();
        Transaction::commit();
    });
    worker.join();
    EXPECT_EQ(seenOnWorker, 0.25);
    EXPECT_TRUE(disabledOnWorker);
    EXPECT_FALSE(Transaction::disableActions());
    EXPECT_EQ(Transaction::animationDuration(), 0.9);
    Transaction::commit();
}

TEST_F(TransactionTest, GlobalQueueWorkersCommitAfterEachTask) {
    double before = 0, after = 0;
    bool ran = false;
    dispatch::Queue::global().async([&] {
        Transaction::setAnimationDuration(4); // opens the worker's implicit transaction
        before = Transaction::animationDuration();
    });
    dispatch::Queue::global().async([&] {
        after = Transaction::animationDuration();
        ran = true;
    });
    settle();
    ASSERT_TRUE(ran);
    EXPECT_EQ(before, 4);
    EXPECT_EQ(after, 0.25);
}

TEST_F(TransactionTest, StampsTurnCommittedAtTheNextOutermostCommit) {
    const auto stamp = Transaction::stamp();
    EXPECT_FALSE(stamp.committedSince());
    Transaction::begin();
    Transaction::begin();
    Transaction::commit();
    EXPECT_FALSE(stamp.committedSince());
    Transaction::commit();
    EXPECT_TRUE(stamp.committedSince());
    const auto later = Transaction::stamp();
    runUntilIdle(); // the end of a turn commits too
    EXPECT_TRUE(later.committedSince());
}

TEST_F(TransactionTest, CompletionWaitsForAHeldGroupToReachItsEnd) {
    auto layer = ns::make<ca::Layer>();
    std::vector<std::int64_t> fired;
    Transaction::begin();
    Transaction::setCompletionBlock([&] { fired.push_back(now()); });
    layer->addAnimation(group(), "group");
    Transaction::commit();
    advance(1.2 - 1e-9);
    EXPECT_TRUE(fired.empty());
    advance(1);
    EXPECT_EQ(fired, (std::vector<std::int64_t>{at(1.2)}));
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"group"}));
}

TEST_F(TransactionTest, RemovingTheAnimationReleasesTheCompletion) {
    auto layer = ns::make<ca::Layer>();
    std::vector<std::int64_t> fired;
    Transaction::begin();
    Transaction::setCompletionBlock([&] { fired.push_back(now()); });
    layer->addAnimation(group(), "group");
    Transaction::commit();
    advance(0.5);
    layer->removeAnimation("group");
    EXPECT_TRUE(fired.empty()); // queued, never run inside the removal
    runUntilIdle();
    EXPECT_EQ(fired, (std::vector<std::int64_t>{at(0.5)}));
    advance(2);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(TransactionTest, CompletionsCountAnimationsOfNestedTransactionsAddedAfterTheBlock) {
    auto layer = ns::make<ca::Layer>();
    auto timed = [](double duration) {
        auto a = ns::make<ca::BasicAnimation>();
        a->setKeyPath("borderWidth");
        a->setToValue(1.0);
        a->setDuration(duration);
        return a;
    };
    std::vector<std::string> log;
    Transaction::begin();
    layer->addAnimation(timed(5), "before the block"); // not waited for
    Transaction::setCompletionBlock([&] { log.push_back("outer " + std::to_string(now())); });
    Transaction::begin();
    Transaction::setCompletionBlock([&] { log.push_back("inner " + std::to_string(now())); });
    layer->addAnimation(timed(2), "nested");
    Transaction::commit();
    layer->addAnimation(timed(1), "outer");
    Transaction::commit();
    advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"inner " + std::to_string(at(2)), "outer " + std::to_string(at(2))}));
}

// Restarts a held 1.2 s group from its transaction's completion, forever.
struct Cycler : ns::Object {
    std::shared_ptr<ca::Layer> layer = ns::make<ca::Layer>();
    std::vector<std::int64_t> starts;
    void start() {
        starts.push_back(ns::Clock::shared()->now());
        Transaction::begin();
        std::weak_ptr<Cycler> weak = sharedFromThis<Cycler>();
        Transaction::setCompletionBlock([weak] {
            if (auto self = weak.lock()) self->start();
        });
        layer->addAnimation(TransactionTest::group(), "cycle");
        Transaction::commit();
    }
};

TEST_F(TransactionTest, ACompletionThatRestartsKeepsExactCycles) {
    auto cycler = ns::make<Cycler>();
    cycler->start();
    advance(6);
    std::vector<std::int64_t> expected;
    for (int k = 0; k <= 5; ++k) expected.push_back(at(1.2 * k));
    EXPECT_EQ(cycler->starts, expected);
}

} // namespace
