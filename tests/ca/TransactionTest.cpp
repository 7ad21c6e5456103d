#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/ca/Transaction.hpp"
#include "platform/dispatch/Queue.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using ca::MediaTimingFunction;
using ca::Transaction;

class TransactionTest : public pellavo::testing::PlatformTest {
protected:
    void TearDown() override {
        Transaction::flush();
        PlatformTest::TearDown();
    }
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

} // namespace
