// What the window does when saves fail, when a second window starts on the same data folder and
// when a run does not finish: nothing is lost without being seen.
#include <QPushButton>
#include <QSignalSpy>

#include "qt/QtText.h"
#include "store/FileLayer.h"
#include "tests/gui/AppFixture.h"
#include "tests/store/FaultyFilePlatform.h"

namespace morvelin::testing {
namespace {

class SaveFailures : public AppFixture {
  protected:
    void TearDown() override {
        AppFixture::TearDown();
        UseFilePlatform(nullptr);
    }

    // Types at the end of the pane's text.
    void Type(int pane, const char* text) {
        Pane(pane).setFocus();
        QTest::keyClick(&Pane(pane), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(&Pane(pane), QString::fromUtf8(text));
    }

    QString Title() const { return Window().windowTitle(); }

    FaultyFilePlatform faulty_;
};

TEST_F(SaveFailures, AFullDiskIsToldOncePerPaneAndMarkedUntilASaveSucceeds) {
    WriteData("a-1.txt", "old");
    StartApp();
    UseFilePlatform(&faulty_);
    faulty_.FailAlways(Step::Write, WriteFailure::DiskFull);

    Type(1, "abc");
    ASSERT_EQ(desktop_.boxes.size(), 1u) << "one box, not one per keystroke";
    EXPECT_TRUE(desktop_.boxes[0].text.contains(QStringLiteral("data/a-1.txt")));
    EXPECT_TRUE(desktop_.boxes[0].text.contains(Utf8("磁盘已满")));
    EXPECT_EQ(desktop_.boxes[0].icon, Desktop::Icon::Error);
    EXPECT_EQ(ReadData("a-1.txt"), "old") << "the old file stays whole";
    EXPECT_TRUE(Title().endsWith(QStringLiteral("data/a-1.txt"))) << Title().toStdString();

    Type(2, "x");
    EXPECT_EQ(desktop_.boxes.size(), 2u) << "each pane says so once";
    EXPECT_TRUE(Title().endsWith(Utf8("data/a-1.txt、data/a-2.txt"))) << Title().toStdString();

    faulty_.Heal();
    Type(1, "d");
    EXPECT_EQ(ReadData("a-1.txt"), "oldabcd");
    EXPECT_TRUE(Title().endsWith(QStringLiteral("data/a-2.txt"))) << Title().toStdString();
    EXPECT_FALSE(frame_->PaneUnsaved(1));
    Type(2, "y");
    EXPECT_EQ(Title(), QStringLiteral("Morvelin V8.8"));

    // A pane that fails again after a success says so again.
    faulty_.FailAlways(Step::Write, WriteFailure::DiskFull);
    Type(1, "e");
    EXPECT_EQ(desktop_.boxes.size(), 3u);
}

TEST_F(SaveFailures, AFolderThatTakesNoNewFileIsToldOnceAndItsFilesAreWrittenInPlace) {
    WriteData("a-1.txt", "old");
    UseFilePlatform(&faulty_);
    faulty_.FailAlways(Step::CreateTemp, WriteFailure::NoPermission);
    StartApp();
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_TRUE(desktop_.boxes[0].text.contains(Utf8("没有写入权限")));
    EXPECT_EQ(ReadData("a-2.txt"), std::nullopt) << "the folder made no file";
    EXPECT_EQ(Title(), QStringLiteral("Morvelin V8.8"));

    Type(1, "new");
    EXPECT_EQ(ReadData("a-1.txt"), "oldnew");
    // A file the folder cannot make: its pane takes no typing that could not be kept, and the
    // start-up box said so already.
    EXPECT_TRUE(Pane(2).isReadOnly());
    QCoreApplication::processEvents();
    EXPECT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(ReadData("a-2.txt"), std::nullopt);
}

TEST_F(SaveFailures, ASecondWindowOnTheSameFolderSaysSoAndTouchesNoFile) {
    WriteData("a-1.txt", "first window's");
    StartApp();
    Type(1, " typing");
    const auto listing = QDir(DataPath("")).entryList(QDir::AllEntries | QDir::Hidden);
    std::vector<std::optional<std::string>> files;
    for (const char* name : {"a-1.txt", "a-2.txt", "a-3.txt", "a-4.txt", "a-5.txt"}) {
        files.push_back(ReadData(name));
    }

    FakeDesktop secondDesktop;
    AppFrame second(secondDesktop, folder_.path());
    second.SetProcessExit([](int) {});
    EXPECT_FALSE(second.Start());
    EXPECT_EQ(second.Window(), nullptr);
    ASSERT_EQ(secondDesktop.boxes.size(), 1u);
    EXPECT_TRUE(secondDesktop.boxes[0].text.contains(Utf8("另一个")));

    EXPECT_EQ(QDir(DataPath("")).entryList(QDir::AllEntries | QDir::Hidden), listing);
    std::size_t i = 0;
    for (const char* name : {"a-1.txt", "a-2.txt", "a-3.txt", "a-4.txt", "a-5.txt"}) {
        EXPECT_EQ(ReadData(name), files[i++]) << name;
    }
    Type(1, "!");
    EXPECT_EQ(ReadData("a-1.txt"), "first window's typing!");
}

class FailedRuns : public SaveFailures {
  protected:
    void WriteInputs() {
        WriteData("a-1.txt", "shirt\r\ndress\r\n");
        WriteData("a-2.txt", "red\r\nlong");
        WriteData("a-3.txt", "women");
        WriteData("a-4.txt", "old 4");
        WriteData("a-5.txt", "old 5");
    }

    int GenerateAndWait() {
        QSignalSpy finished(frame_.get(), &AppFrame::runFinished);
        QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
        EXPECT_TRUE(WaitFor([&] { return finished.count() > 0; }));
        return finished.isEmpty() ? -1 : finished.first().first().toInt();
    }
};

// Stopped right after pane 4 was emptied: the files keep the old outputs, and the panes show them
// again.
TEST_F(FailedRuns, AStoppedRunLeavesTheOldOutputsOnDiskAndInThePanes) {
    WriteInputs();
    StartApp();
    bool stopped = false;
    QObject::connect(&Pane(4), &PaneEdit::paneTextChanged, [&] {
        if (!stopped && frame_->RunActive()) {
            stopped = true;
            EXPECT_EQ(PaneBytes(4), "");
            frame_->StopRun();
        }
    });

    EXPECT_EQ(GenerateAndWait(), static_cast<int>(GenerationOutcome::Stopped));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(ReadData("a-4.txt"), "old 4");
    EXPECT_EQ(ReadData("a-5.txt"), "old 5");
    EXPECT_EQ(PaneBytes(4), "old 4");
    EXPECT_EQ(PaneBytes(5), "old 5");
    EXPECT_TRUE(desktop_.boxes.empty());
}

TEST_F(FailedRuns, AResultThatCannotBeSavedIsShownMarkedAndTheOldFilesStay) {
    WriteInputs();
    StartApp();
    UseFilePlatform(&faulty_);
    faulty_.FailAlways(Step::Write, WriteFailure::DiskFull);

    EXPECT_EQ(GenerateAndWait(), static_cast<int>(GenerationOutcome::Done));
    EXPECT_EQ(ReadData("a-4.txt"), "old 4");
    EXPECT_EQ(ReadData("a-5.txt"), "old 5");
    EXPECT_EQ(PaneBytes(4), "shirt red\r\nshirt long\r\ndress red\r\ndress long\r\n");
    EXPECT_TRUE(frame_->PaneUnsaved(4));
    EXPECT_TRUE(frame_->PaneUnsaved(5));
    EXPECT_TRUE(Title().endsWith(Utf8("data/a-4.txt、data/a-5.txt"))) << Title().toStdString();
    EXPECT_EQ(desktop_.boxes.size(), 2u);
}

// Memory runs out where the run saves its first result: the out-of-memory box with the size,
// and the old outputs are still on disk.
TEST_F(FailedRuns, MemoryRunningOutEndsInTheBoxWithTheOldOutputsKept) {
    WriteInputs();
    StartApp();
    UseFilePlatform(&faulty_);
    faulty_.ThrowOnce(Step::CreateTemp, 4096);

    QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !frame_->RunActive(); }));
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_TRUE(desktop_.boxes[0].text.contains(Utf8("分配 4096 字节内存失败!")))
        << desktop_.boxes[0].text.toStdString();
    EXPECT_EQ(exitCodes_, std::vector<int>{-1});
    EXPECT_EQ(ReadData("a-4.txt"), "old 4");
    EXPECT_EQ(ReadData("a-5.txt"), "old 5");
    // Where the process goes on (here, with its exit replaced), the panes show the files again.
    EXPECT_EQ(PaneBytes(4), "old 4");
}

TEST_F(FailedRuns, ARunBeyondTheAvailableMemoryIsRefusedAndChangesNothing) {
    WriteInputs();
    StartApp();
    // Four and four lines: far more than 1000 bytes at the panes' cost per line.
    frame_->SetAvailableMemory([] { return std::optional<std::uint64_t>(1000); });

    EXPECT_EQ(GenerateAndWait(), static_cast<int>(GenerationOutcome::Refused));
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_TRUE(desktop_.boxes[0].text.contains(Utf8("内存")))
        << desktop_.boxes[0].text.toStdString();
    EXPECT_EQ(PaneBytes(4), "old 4");
    EXPECT_EQ(ReadData("a-4.txt"), "old 4");

    frame_->SetAvailableMemory([] { return std::optional<std::uint64_t>(1u << 30); });
    EXPECT_EQ(GenerateAndWait(), static_cast<int>(GenerationOutcome::Done));
}

}  // namespace
}  // namespace morvelin::testing
