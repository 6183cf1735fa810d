#include "behaviour/UiCallChannel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/FakeUiLoop.h"

namespace morvelin::testing {
namespace {

TEST(UiCallChannel, WorkerCallRunsOnTheUiThreadWhileTheWorkerWaits) {
    FakeUiLoop loop;
    UiCallChannel channel(loop);
    std::thread::id ranOn;
    std::atomic<bool> done{false};
    bool result = false;
    std::thread worker([&] {
        result = channel.Call([&] { ranOn = std::this_thread::get_id(); });
        done = true;
    });
    loop.RunUntil([&] { return done.load(); });
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

// The close of the window: the UI thread shuts the channel and joins without handling events in
// between. Whether the worker's call was queued before or after the shut, the join must not hang
// and the task must never run, not even once events are handled again.
TEST(UiCallChannel, ShutReleasesAWaitingWorkerAndDropsItsCall) {
    FakeUiLoop loop;
    UiCallChannel channel(loop);
    std::atomic<bool> ran{false};
    bool result = true;
    std::thread worker([&] { result = channel.Call([&] { ran = true; }); });
    channel.Shut();
    worker.join();
    loop.RunPending();
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran.load());

    // Reopened for the next run, the channel carries calls again; the dropped one stays dropped.
    channel.Reopen();
    std::atomic<bool> done{false};
    std::thread next([&] {
        result = channel.Call([] {});
        done = true;
    });
    loop.RunUntil([&] { return done.load(); });
    next.join();
    EXPECT_TRUE(result);
    EXPECT_FALSE(ran.load());
}

TEST(UiCallChannel, CallOnTheUiThreadRunsAtOnceUnlessShut) {
    FakeUiLoop loop;
    UiCallChannel channel(loop);
    int runs = 0;
    EXPECT_TRUE(channel.Call([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    channel.Shut();
    EXPECT_FALSE(channel.Call([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace morvelin::testing
