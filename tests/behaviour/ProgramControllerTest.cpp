#include "behaviour/ProgramController.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "behaviour/SystemText.h"
#include "behaviour/Texts.h"
#include "store/CategoryStore.h"
#include "tests/store/FaultyFilePlatform.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/FakeUiLoop.h"
#include "tests/support/FakeWindowView.h"

namespace morvelin::testing {
namespace {

// The controller with a fake window in a temporary program folder: the test's thread is the UI
// thread, and runs the loop's posted tasks when it says so.
class Controller : public TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        MakeDataFolder();
        controller_.SetProcessExit([this](int code) { exitCode_ = code; });
        controller_.OnRunFinished([this](GenerationOutcome outcome) { outcome_ = outcome; });
        view_.OnChanged([this](int pane) { controller_.OnPaneTextChanged(pane); });
    }

    void Start() {
        controller_.PrepareDataFolder();
        controller_.AttachWindow(view_);
        controller_.OnWindowCreated();
    }

    // Runs the loop until the run has ended.
    void FinishRun() {
        loop_.RunUntil([&] { return outcome_.has_value(); });
    }

    FakeUiLoop loop_;
    FakeDesktopPort desktop_;
    ProgramController controller_{desktop_, loop_};
    FakeWindowView view_{controller_.Channel()};
    std::optional<int> exitCode_;
    std::optional<GenerationOutcome> outcome_;
};

TEST_F(Controller, CreatedLoadsCategoryAThenSetsTheDescriptionThenTheSixTips) {
    WriteBytes("data/a-1.txt", "shirt\r\n");
    Start();
    EXPECT_EQ(view_.Pane(1), "shirt\r\n");
    const std::vector<std::string> expected = {
        "set 1",          "set 2",          "set 3",          "set 4",
        "set 5",          "label 标签5",    "tip 一级编辑框", "tip 二级编辑框",
        "tip 三级编辑框", "tip 四级编辑框", "tip 五级编辑框", "tip 生成关键词按钮"};
    EXPECT_EQ(view_.calls, expected);
    EXPECT_EQ(view_.labels[0].second, kDescriptionText);
    EXPECT_EQ(view_.tips[0].second,
              "在这里您可以录入种子关键词类型一\r\n\r\n比如产品名称，等核心批配关键词！");
    EXPECT_EQ(view_.tips[5].second, "点击此处一键生成长尾关键词！");
    // The load left existing files alone and made the missing ones empty.
    EXPECT_EQ(ReadBytes("data/a-1.txt"), "shirt\r\n");
    EXPECT_EQ(ReadBytes("data/a-5.txt"), "");
}

// A pane that cannot show its file whole is locked, and one box after the selection says why.
TEST_F(Controller, UnsavablePanesAreLockedAndNamedInOneBoxPerSelection) {
    WriteBytes("data/a-2.txt", std::string("red\0long", 8));
    WriteBytes("data/a-3.txt", "women");
    MakeReadOnly("data/a-3.txt");
    Start();
    EXPECT_EQ(view_.fileReadOnly, (std::array<bool, 5>{false, true, true, false, false}));
    EXPECT_EQ(view_.Pane(3), "women");
    EXPECT_TRUE(desktop_.boxes.empty()) << "the box comes once the panes are set";
    loop_.RunPending();
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(desktop_.boxes[0].caption, "文件只能查看");
    const std::string& text = desktop_.boxes[0].text;
    EXPECT_NE(text.find("a-2.txt：文件中间有空字符"), std::string::npos) << text;
    EXPECT_NE(text.find("a-3.txt：文件是只读的"), std::string::npos) << text;
    EXPECT_EQ(text.find("a-1.txt"), std::string::npos) << text;

    controller_.OnCategoryClicked('b');
    loop_.RunPending();
    EXPECT_EQ(desktop_.boxes.size(), 1u) << "category b shows whole";
    EXPECT_EQ(view_.fileReadOnly, (std::array<bool, 5>{}));
}

// A failing save is told once per pane and marked in the title until a save of it succeeds.
TEST_F(Controller, FailedSavesAreToldOnceAndMarkedUntilASaveSucceeds) {
    WriteBytes("data/a-1.txt", "old");
    Start();
    FaultyFilePlatform faulty;
    UsingPlatform using_(faulty);
    faulty.FailAlways(Step::Write, WriteFailure::DiskFull);
    view_.Type(1, "a");
    view_.Type(1, "b");
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_NE(desktop_.boxes[0].text.find("磁盘已满"), std::string::npos);
    EXPECT_EQ(desktop_.boxes[0].caption, "保存失败");
    EXPECT_EQ(view_.title, "Morvelin V8.8 - 未保存：" + PathForDisplay("data/a-1.txt"));
    EXPECT_TRUE(controller_.PaneUnsaved(1));
    EXPECT_EQ(ReadBytes("data/a-1.txt"), "old");

    faulty.Heal();
    view_.Type(1, "c");
    EXPECT_EQ(ReadBytes("data/a-1.txt"), "oldabc");
    EXPECT_EQ(view_.title, "Morvelin V8.8");
    EXPECT_EQ(desktop_.boxes.size(), 1u);
}

TEST_F(Controller, ASecondControllerOnTheSameDataFolderStopsBeforeAnyFile) {
    Start();
    FakeDesktopPort secondDesktop;
    FakeUiLoop secondLoop;
    ProgramController second(secondDesktop, secondLoop);
    EXPECT_FALSE(second.PrepareDataFolder());
    ASSERT_EQ(secondDesktop.boxes.size(), 1u);
    EXPECT_EQ(secondDesktop.boxes[0].caption, "已经在运行");
}

TEST_F(Controller, AWindowThatCannotTakeATipWasNotBuiltWhole) {
    view_.missingControl = ControlId::Pane3;
    Start();
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(desktop_.boxes[0].text, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
    EXPECT_EQ(exitCode_, -1);
}

// A tool of a pane's menu: one edit of the pane (so one save), a note of what it did, and its
// question asked with the answer remembered; never on a pane that takes no edits or during a run.
TEST_F(Controller, PaneToolsChangeThePaneOnceAndSayWhatTheyDid) {
    WriteBytes("data/a-3.txt", "kept");
    MakeReadOnly("data/a-3.txt");
    Start();
    view_.Type(5, "a b\r\na b\r\nlonger line\r\n");
    view_.calls.clear();
    controller_.OnPaneTool(5, PaneCommand::DropDuplicates);
    EXPECT_EQ(view_.calls, std::vector<std::string>{"edit 5"});
    EXPECT_EQ(ReadBytes("data/a-5.txt"), "a b\r\nlonger line\r\n");
    ASSERT_EQ(view_.notes.size(), 1u);
    EXPECT_EQ(view_.notes[0], (std::pair<int, std::string>{5, "已删除 1 行"}));

    controller_.OnPaneTool(5, PaneCommand::KeepUpToLength);  // cancelled
    desktop_.answer = "3";
    controller_.OnPaneTool(5, PaneCommand::KeepUpToLength);
    EXPECT_EQ(ReadBytes("data/a-5.txt"), "a b\r\n");
    desktop_.answer = "x";  // no number: nothing happens
    controller_.OnPaneTool(5, PaneCommand::KeepUpToLength);
    EXPECT_EQ(
        desktop_.questions,
        (std::vector<std::string>{"按标题长度筛选|60", "按标题长度筛选|60", "按标题长度筛选|3"}));
    EXPECT_EQ(controller_.TitleLength(), 3u);

    desktop_.answer = "a\r\n";
    controller_.OnPaneTool(5, PaneCommand::DropLinesWithWords);
    EXPECT_EQ(ReadBytes("data/a-5.txt"), "");
    EXPECT_EQ(desktop_.questions.back(), "排除含有以下词的行||lines");

    view_.calls.clear();
    controller_.OnPaneTool(3, PaneCommand::TrimBlankLines);  // its file cannot be saved over
    view_.Type(1, "x");
    view_.Type(2, "y");
    controller_.OnGenerateClicked();
    controller_.OnPaneTool(1, PaneCommand::DropDuplicates);  // a run has the panes
    FinishRun();
    EXPECT_EQ(std::count(view_.calls.begin(), view_.calls.end(), "edit 3"), 0);
    EXPECT_EQ(std::count(view_.calls.begin(), view_.calls.end(), "edit 1"), 0);
}

TEST_F(Controller, NothingReachesAHandlerBeforeTheWindowIsCreatedOrAfterItCloses) {
    controller_.AttachWindow(view_);
    controller_.OnCategoryClicked('c');
    controller_.OnGenerateClicked();
    EXPECT_TRUE(view_.calls.empty());
    controller_.OnWindowCreated();
    controller_.OnWindowClosing();
    view_.calls.clear();
    controller_.OnCategoryClicked('c');
    controller_.OnPaneDoubleClicked(4);
    view_.Type(1, "x");
    EXPECT_TRUE(view_.calls.empty());
    EXPECT_TRUE(desktop_.boxes.empty());
    EXPECT_EQ(ReadBytes("data/a-1.txt"), "") << "no save after the close";
}

TEST_F(Controller, EveryChangeSavesOnceToTheSelectedCategory) {
    Start();
    view_.Type(3, "women");
    EXPECT_EQ(ReadBytes("data/a-3.txt"), "women");
    controller_.OnCategoryClicked('b');
    EXPECT_EQ(view_.Pane(3), "");
    view_.Type(3, "men");
    EXPECT_EQ(ReadBytes("data/b-3.txt"), "men");
    EXPECT_EQ(ReadBytes("data/a-3.txt"), "women");
    controller_.OnCategoryClicked('a');
    EXPECT_EQ(view_.Pane(3), "women");
}

TEST_F(Controller, DoubleClickOnAnOutputPaneCopiesItAndConfirms) {
    Start();
    view_.Type(4, "x\r\ny");
    controller_.OnPaneDoubleClicked(4);
    EXPECT_EQ(desktop_.clipboard, "x\r\ny");
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(desktop_.boxes[0].text, "已经复制此处内容！");
    EXPECT_EQ(desktop_.boxes[0].caption, "成功复制");
    EXPECT_EQ(desktop_.boxes[0].icon, BoxIcon::None);

    controller_.OnPaneDoubleClicked(1);
    EXPECT_EQ(desktop_.boxes.size(), 1u) << "panes 1 to 3 only select a word";
}

TEST_F(Controller, GenerationLocksTheWindowFillsBothOutputsAndSavesThem) {
    Start();
    view_.Type(1, "shirt\r\ndress\r\n");
    view_.Type(2, "red\r\nlong");
    view_.Type(3, "women");
    controller_.OnGenerateClicked();
    EXPECT_TRUE(view_.locked);
    EXPECT_TRUE(controller_.RunActive());
    controller_.OnGenerateClicked();  // ignored while a run is active
    FinishRun();
    EXPECT_EQ(outcome_, GenerationOutcome::Done);
    EXPECT_FALSE(view_.locked);
    const std::string twoPart = "shirt red\r\nshirt long\r\ndress red\r\ndress long\r\n";
    const std::string threePart =
        "shirt red women\r\nshirt long women\r\ndress red women\r\ndress long women\r\n";
    EXPECT_EQ(view_.Pane(4), twoPart);
    EXPECT_EQ(view_.Pane(5), threePart);
    EXPECT_EQ(ReadBytes("data/a-4.txt"), twoPart);
    EXPECT_EQ(ReadBytes("data/a-5.txt"), threePart);
    EXPECT_EQ(std::count(view_.calls.begin(), view_.calls.end(), "lock"), 1);
}

TEST_F(Controller, ProgressShowsOnlyOnceTheRunHasLastedHalfASecond) {
    Start();
    view_.Type(1, "a\r\nb");
    view_.Type(2, "c");
    controller_.OnGenerateClicked();
    EXPECT_TRUE(loop_.TimerRunning());
    EXPECT_TRUE(view_.progress.empty());
    loop_.FireTimers();
    ASSERT_FALSE(view_.progress.empty());
    EXPECT_GE(view_.progress.front(), 0);
    FinishRun();
    EXPECT_EQ(view_.progress.back(), -1) << "the caption comes back";
    EXPECT_FALSE(loop_.TimerRunning());
}

TEST_F(Controller, RefusedRunSaysWhyAndChangesNothing) {
    Start();
    view_.Type(1, "shirt\r\ndress\r\n");
    view_.Type(2, "red\r\nlong\r\nshort\r\n");
    view_.Type(4, "old");
    GenerationLimit limit;
    limit.maxLines = 5;
    limit.maxBytes = 1000;
    controller_.SetGenerationLimit(limit);
    controller_.OnGenerateClicked();
    FinishRun();
    EXPECT_EQ(outcome_, GenerationOutcome::Refused);
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(desktop_.boxes[0].caption, "无法生成");
    EXPECT_EQ(desktop_.boxes[0].text,
              "要生成的关键词太多，本程序容纳不下，所以没有生成，各框内容都未改动。\r\n\r\n"
              "一级生成：6 行，72 字节\r\n二级生成：0 行，0 字节\r\n\r\n"
              "每一项最多 5 行、1,000 字节。请减少录入的关键词后再试。");
    EXPECT_EQ(view_.Pane(4), "old");
    EXPECT_EQ(ReadBytes("data/a-4.txt"), "old");
}

// A close while the worker waits for the UI thread: the run is cancelled and joined without the
// UI thread ever running its call, the makers' page opens once, and no pane changes afterwards.
TEST_F(Controller, CloseDuringARunCancelsItAndOpensTheMakersPageOnce) {
    Start();
    view_.Type(1, "shirt");
    view_.Type(2, "red");
    controller_.OnGenerateClicked();
    // The worker's first read now waits on the loop, which this thread does not run.
    controller_.OnWindowClosing();
    EXPECT_FALSE(controller_.RunActive());
    EXPECT_EQ(outcome_, GenerationOutcome::Stopped);
    EXPECT_EQ(desktop_.pages, std::vector<std::string>{kMakersPageUrl});
    loop_.RunPending();
    EXPECT_EQ(view_.Pane(4), "");
    controller_.OnWindowClosing();
    EXPECT_EQ(desktop_.pages.size(), 1u);
    EXPECT_EQ(controller_.End(0), 0);
}

TEST_F(Controller, EndReleasesTheCategoryOnceAndBlocksEvents) {
    Start();
    EXPECT_EQ(controller_.Store()->Files()[0], "data/a-1.txt");
    EXPECT_EQ(controller_.End(0), 0);
    EXPECT_EQ(controller_.Store()->Files()[0], "");
    EXPECT_TRUE(controller_.EventsBlocked());
    EXPECT_EQ(controller_.End(3), 3);
}

TEST_F(Controller, FatalErrorShowsTheBoxAndEndsWithoutTheEndHandler) {
    Start();
    controller_.FatalError("载入启动窗口失败", 0);
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(desktop_.boxes[0].caption, "错误");
    EXPECT_EQ(desktop_.boxes[0].text, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
    EXPECT_EQ(desktop_.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(exitCode_, -1);
    EXPECT_TRUE(controller_.EventsBlocked());
    controller_.End(-1);
    EXPECT_EQ(controller_.Store()->Files()[0], "data/a-1.txt") << "the end handler did not run";

    EXPECT_EQ(ProgramController::FatalErrorText("", 5), "运行时出错!\r\n\r\n错误代码：5\r\n\r\n");
}

TEST(MemoryFigures, RunMemoryCountsLinesOrBytesWhicheverCostsMore) {
    const struct {
        GenerationPlan plan;
        std::uint64_t memory;
    } cases[] = {
        {{{35'000, 1'000}, {0, 0}}, 1'000 * ProgramController::kPaneBytesPerLine},
        {{{10'000'000, 1}, {0, 0}}, 10'000'000 * ProgramController::kPaneBytesPerTextByte},
        {{{35'000, 1'000}, {45'000, 1'000}}, 2'000 * ProgramController::kPaneBytesPerLine},
        {{{UINT64_MAX, UINT64_MAX}, {1, 1}}, UINT64_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgramController::RunMemory(c.plan), c.memory);
    }
}

TEST(MemoryFigures, OutOfMemoryTextGivesTheBytesWhereKnown) {
    EXPECT_EQ(ProgramController::OutOfMemoryText(123456), "分配 123456 字节内存失败!");
    EXPECT_EQ(ProgramController::OutOfMemoryText(0), "分配内存失败!");
    EXPECT_TRUE(ProgramController::AvailableMemory().has_value());
}

}  // namespace
}  // namespace morvelin::testing
