// A generation on a worker thread against a store on a "UI thread", as the program runs them;
// meant to run under ThreadSanitizer as well.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "core/KeywordGenerator.h"
#include "core/PaneAccess.h"
#include "store/CategoryStore.h"
#include "store/FileLayer.h"
#include "tests/store/StoreTestSupport.h"

namespace morvelin::testing {
namespace {

// A thread that runs the tasks given to it one after another, like the window's event loop.
class UiThread {
  public:
    UiThread() : thread_([this] { Run(); }) {}

    ~UiThread() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    // Runs `task` on this thread and returns when it has run. On this thread itself it runs at
    // once, as a call into the window from its own thread does.
    void Call(const std::function<void()>& task) {
        if (std::this_thread::get_id() == thread_.get_id()) {
            task();
            return;
        }
        std::packaged_task<void()> packaged(task);
        std::future<void> done = packaged.get_future();
        {
            std::lock_guard lock(mutex_);
            tasks_.emplace_back([&packaged] { packaged(); });
        }
        wake_.notify_all();
        done.get();
    }

  private:
    void Run() {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
                if (tasks_.empty()) {
                    return;
                }
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread thread_;
};

// The panes themselves; touched on the UI thread only. A set saves through the store before it
// returns, as the window's text-changed handler does.
class UiPanes final : public PaneAccess {
  public:
    CategoryStore* store = nullptr;
    std::array<Text, kPaneCount> texts;

    Text GetPaneText(int pane) override { return texts[pane - 1]; }
    void SetPaneText(int pane, Text text) override {
        texts[pane - 1] = std::move(text);
        store->SavePane(pane);
    }
    void CloseAllFiles() override { morvelin::CloseAllFiles(); }
};

// What the worker sees: every pane call is carried out on the UI thread while the worker waits;
// the final close of the file table runs on the worker's own thread.
class HandOverPanes final : public PaneAccess {
  public:
    HandOverPanes(UiThread& ui, PaneAccess& panes) : ui_(ui), panes_(panes) {}

    Text GetPaneText(int pane) override {
        Text text;
        ui_.Call([&] { text = panes_.GetPaneText(pane); });
        return text;
    }
    void SetPaneText(int pane, Text text) override {
        ui_.Call([&] { panes_.SetPaneText(pane, std::move(text)); });
    }
    void CloseAllFiles() override { morvelin::CloseAllFiles(); }

  private:
    UiThread& ui_;
    PaneAccess& panes_;
};

class ThreadedGenerationTest : public TempFolderTest {};

TEST_F(ThreadedGenerationTest, OutputFilesHoldTheResultsWhileTheCategoryKeepsReloading) {
    MakeDataFolder();
    const Text products = "shirt\r\ndress\r\n";
    const Text attributes = "red\r\nlong";
    const Text classes = "women\r\nsummer";
    WriteBytes("data/a-1.txt", products);
    WriteBytes("data/a-2.txt", attributes);
    WriteBytes("data/a-3.txt", classes);
    WriteBytes("data/a-4.txt", "typed before the run\r\n");
    const Text twoPart = "shirt red\r\nshirt long\r\ndress red\r\ndress long\r\n";
    const Text threePart =
        "shirt red women\r\nshirt red summer\r\nshirt long women\r\nshirt long summer\r\n"
        "dress red women\r\ndress red summer\r\ndress long women\r\ndress long summer\r\n";

    UiThread ui;
    UiPanes panes;
    std::optional<CategoryStore> store;
    ui.Call([&] {
        store.emplace(panes);
        panes.store = &*store;
        store->SelectCategory('a');
    });
    HandOverPanes handOver(ui, panes);

    // Several runs, each met by reloads of the same category on the UI thread: a reload between
    // two pane calls of the run changes no pane, and one that meets the run's final close on
    // the worker thread must neither lose a file's text nor race on the table.
    for (int run = 0; run < 20; ++run) {
        std::atomic<bool> finished{false};
        GenerationResult result;
        std::thread worker([&] {
            result = KeywordGenerator::Generate(handOver);
            finished = true;
        });
        do {
            ui.Call([&] { store->SelectCategory('a'); });
        } while (!finished);
        worker.join();
        ASSERT_EQ(result.outcome, GenerationOutcome::Done) << "run " << run;
    }

    ui.Call([&] {
        EXPECT_EQ(panes.texts[3], twoPart);
        EXPECT_EQ(panes.texts[4], threePart);
    });
    EXPECT_EQ(ReadBytes("data/a-1.txt"), products);
    EXPECT_EQ(ReadBytes("data/a-2.txt"), attributes);
    EXPECT_EQ(ReadBytes("data/a-3.txt"), classes);
    EXPECT_EQ(ReadBytes("data/a-4.txt"), twoPart);
    EXPECT_EQ(ReadBytes("data/a-5.txt"), threePart);
    ui.Call([&] { store.reset(); });
}

// Another thread's close waits for a load that holds the table, and then closes as usual. The
// test goes on only once the closer waits at the table (or has ended, which a broken hold lets it
// do at once), so it finds a broken hold every time, not by chance.
TEST_F(ThreadedGenerationTest, CloseFromAnotherThreadWaitsForAHoldToEnd) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "shirt");
    std::atomic<bool> closed{false};
    std::thread closer;
    {
        const OpenFileTableHold hold;
        const FileNumber file = OpenShared("data/a-1.txt");
        ASSERT_NE(file, 0);
        closer = std::thread([&closed] {
            CloseAllFiles();
            closed = true;
        });
        while (OpenFileTableWaiters() == 0 && !closed) {
            std::this_thread::yield();
        }
        EXPECT_FALSE(closed) << "the close went through the hold";
        EXPECT_EQ(ReadWholeText(file), "shirt");
        EXPECT_FALSE(WriteWholeFile("data/a-1.txt", "dress")) << "still held in the table";
    }
    closer.join();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(WriteWholeFile("data/a-1.txt", "dress"));
}

}  // namespace
}  // namespace morvelin::testing
