// Sets made from a worker fill the pane in steps while the UI thread goes on; these tests hold
// them to the contract of a one-piece set: the whole text, one report, one save, an exact read.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextDocument>
#include <algorithm>
#include <atomic>
#include <thread>

#include "app/QtUiLoop.h"
#include "app/WindowSystem.h"
#include "behaviour/UiCallChannel.h"
#include "tests/gui/AppFixture.h"

namespace morvelin::testing {
namespace {

// `line` (CR LF included) as many times as it takes to pass `bytes`: a set that the worker
// decodes and the pane takes in several parts.
std::string Repeat(const std::string& line, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
        text += line;
    }
    return text;
}

// Equal texts; on a difference only the sizes and where it starts, as megabytes of text would
// drown the report.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    const auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const auto at = static_cast<std::size_t>(diff.first - actual.begin());
    return ::testing::AssertionFailure()
           << actual.size() << " bytes instead of " << expected.size() << ", first difference at "
           << at << ": \"" << actual.substr(at, 16) << "\" instead of \"" << expected.substr(at, 16)
           << "\"";
}

// Runs the set on a thread of its own, as a generation does, and waits for it.
void SetFromWorker(WindowSystem& system, int pane, const std::string& text) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        system.SetPaneText(pane, text);
        done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, 60000);
    worker.join();
    ASSERT_TRUE(finished);
}

using LargeSets = AppFixture;

// The read-back of a worker's set comes from the bytes worked out beside the fill; it must be
// what the document itself gives, also for texts that the pane does not keep as they were.
TEST_F(LargeSets, ReadBackAndSaveAreWhatTheDocumentHolds) {
    struct Case {
        const char* what;
        std::string line;
    };
    const Case cases[] = {
        {"CR LF lines", Gb("连衣裙 红色 女装 😀\r\n")},
        {"lone LF and lone CR", "a\nb\rc\r\n"},
        {"invalid bytes before a break", "x\x81\r\n\xFF\xFE\r\ny\r\n"},
        {"lead byte before LF", "p\x81\nq\r\n"},
        {"separators a document breaks at", Gb("a\u2028b\uFDD0c\uFDD1d\r\n")},
        {"no-break space and tab", Gb("a\u00A0b\tc\r\n")},
    };
    MakeDataFolder();
    StartApp();
    WindowSystem& system = *frame_->System();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Past the first part and over one full later part, so that parts meet several times.
        const std::string text = Repeat(std::string(120, 'x') + c.line, 5 * 1024 * 1024);
        QSignalSpy changes(&Pane(5), &PaneEdit::paneTextChanged);
        SetFromWorker(system, 5, text);
        EXPECT_EQ(changes.count(), 1);
        const std::string fromDocument = PaneBytes(5);
        EXPECT_TRUE(SameBytes(system.GetPaneText(5), fromDocument));
        EXPECT_TRUE(SameBytes(ReadData("a-5.txt").value_or("(none)"), fromDocument));
        EXPECT_FALSE(Pane(5).isReadOnly());
        EXPECT_FALSE(Pane(5).document()->isUndoAvailable());
    }
}

TEST_F(LargeSets, TextStopsAtNulAndTypingAfterASetIsRead) {
    MakeDataFolder();
    StartApp();
    WindowSystem& system = *frame_->System();
    const std::string head = Repeat("head\r\n", 300 * 1024);
    SetFromWorker(system, 5, head + std::string("\0tail\r\n", 7));
    EXPECT_TRUE(SameBytes(system.GetPaneText(5), head));

    // The bytes kept from the set no longer hold once the user changes the pane.
    Pane(5).setFocus();
    Pane(5).moveCursor(QTextCursor::End);
    QTest::keyClicks(&Pane(5), QStringLiteral("z"));
    EXPECT_TRUE(SameBytes(system.GetPaneText(5), head + "z"));
    EXPECT_TRUE(SameBytes(ReadData("a-5.txt").value_or("(none)"), head + "z"));
}

// A fill waits for more parts, so these steps are in the test's hands, not the clock's.
class FillingPane : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        MakeDataFolder();
        StartApp();
        changes_ = std::make_unique<QSignalSpy>(&Pane(4), &PaneEdit::paneTextChanged);
        auto start = Pane(4).BeginFill(
            QStringLiteral("first\n"), [this] { ++filledCalls_; }, {}, /*more=*/true);
        fill_ = start.fill;
        oldDocument_ = std::move(start.oldDocument);
        ASSERT_TRUE(Pane(4).Filling());
        ASSERT_TRUE(Pane(4).isReadOnly());
    }

    std::unique_ptr<QSignalSpy> changes_;
    std::unique_ptr<QTextDocument> oldDocument_;
    unsigned fill_ = 0;
    int filledCalls_ = 0;
};

TEST_F(FillingPane, CompletesOnlyAfterTheLastPartThenReportsOnce) {
    Pane(4).AppendFill(fill_, QStringLiteral("second\n"), /*last=*/false);
    ASSERT_TRUE(WaitFor([&] { return Pane(4).RawText().contains(QStringLiteral("second")); }));
    EXPECT_EQ(filledCalls_, 0);
    Pane(4).AppendFill(fill_, QStringLiteral("third"), /*last=*/true);
    ASSERT_TRUE(WaitFor([&] { return filledCalls_ == 1; }));
    EXPECT_EQ(changes_->count(), 0);  // only the finish reports

    Pane(4).FinishFill(fill_, nullptr);
    EXPECT_EQ(changes_->count(), 1);
    EXPECT_FALSE(Pane(4).Filling());
    EXPECT_FALSE(Pane(4).isReadOnly());
    EXPECT_EQ(PaneBytes(4), "first\r\nsecond\r\nthird");
    Pane(4).FinishFill(fill_, nullptr);  // a second finish changes nothing
    EXPECT_EQ(changes_->count(), 1);
}

TEST_F(FillingPane, ANewSetReplacesTheFillAndReleasesItsSetter) {
    frame_->System()->SetPaneText(4, "new");
    EXPECT_EQ(filledCalls_, 1);  // its setter must not wait for ever
    EXPECT_FALSE(Pane(4).Filling());
    EXPECT_EQ(changes_->count(), 1);  // the new set's report, none for the replaced fill
    EXPECT_EQ(PaneBytes(4), "new");
    EXPECT_EQ(ReadData("a-4.txt"), "new");

    // The replaced fill's late parts and finish find nothing to act on.
    Pane(4).AppendFill(fill_, QStringLiteral("late"), /*last=*/true);
    Pane(4).FinishFill(fill_, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(PaneBytes(4), "new");
    EXPECT_EQ(changes_->count(), 1);
}

// A run closed while pane 5 fills: the worker's wait ends, the fill stops unreported, and the
// file keeps its old output.
TEST_F(AppFixture, CloseWhileAPaneFillsStopsTheRunWithoutItsSave) {
    WriteData("a-1.txt", Repeat("product\r\n", 9 * 1000));    // 1000 products
    WriteData("a-2.txt", Repeat("attribute\r\n", 11 * 100));  // 100 attributes
    WriteData("a-3.txt", "class 1\r\nclass 2\r\n");
    WriteData("a-5.txt", "old 5");
    StartApp();
    QSignalSpy finished(frame_.get(), &AppFrame::runFinished);
    QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
    // One round of events at a time, so that the fill is caught in its course.
    while (!(Pane(5).Filling() && Pane(5).document()->blockCount() > 1) && finished.isEmpty()) {
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(finished.isEmpty()) << "the run ended before pane 5 was seen filling";
    QTest::keyClick(&Pane(1), Qt::Key_Escape);

    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.first().first().toInt(), static_cast<int>(GenerationOutcome::Stopped));
    EXPECT_FALSE(Pane(5).Filling());
    // The set to empty changed the pane only, the result was never saved: the old output stays.
    EXPECT_EQ(ReadData("a-5.txt"), "old 5");
    EXPECT_EQ(desktop_.openedUrls.size(), 1u);
    EXPECT_EQ(frame_->End(0), 0);
}

TEST(UiCallChannelLatch, ReleaseEndsTheWaitAndAShutEndsItWithout) {
    QtUiLoop loop;
    UiCallChannel channel(loop);
    const auto early = channel.MakeLatch();
    channel.Release(early);
    EXPECT_TRUE(channel.Wait(early));  // a release before the wait counts

    const auto late = channel.MakeLatch();
    std::atomic<int> result{-1};
    std::thread worker([&] { result = channel.Wait(late) ? 1 : 0; });
    channel.Shut();
    worker.join();
    EXPECT_EQ(result.load(), 0);
}

}  // namespace
}  // namespace morvelin::testing
