#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>

#include "app/UiCallChannel.h"

namespace morvelin::testing {
namespace {

TEST(UiCallChannel, WorkerCallRunsOnTheUiThreadWhileTheWorkerWaits) {
    UiCallChannel channel;
    QThread* ranOn = nullptr;
    std::atomic<bool> done{false};
    bool result = false;
    std::thread worker([&] {
        result = channel.Call([&] { ranOn = QThread::currentThread(); });
        done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, 30000);
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, QThread::currentThread());
}

// The close of the window: the UI thread shuts the channel and joins without handling events in
// between. Whether the worker's call was queued before or after the shut, the join must not hang
// and the task must never run, not even once events are handled again.
TEST(UiCallChannel, ShutReleasesAWaitingWorkerAndDropsItsCall) {
    UiCallChannel channel;
    std::atomic<bool> ran{false};
    bool result = true;
    std::thread worker([&] { result = channel.Call([&] { ran = true; }); });
    channel.Shut();
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran.load());

    // Reopened for the next run, the channel carries calls again; the dropped one stays dropped.
    channel.Reopen();
    std::atomic<bool> done{false};
    std::thread next([&] {
        result = channel.Call([] {});
        done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, 30000);
    next.join();
    ASSERT_TRUE(finished);
    EXPECT_TRUE(result);
    EXPECT_FALSE(ran.load());
}

TEST(UiCallChannel, CallOnTheUiThreadRunsAtOnceUnlessShut) {
    UiCallChannel channel;
    int runs = 0;
    EXPECT_TRUE(channel.Call([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    channel.Shut();
    EXPECT_FALSE(channel.Call([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace morvelin::testing
