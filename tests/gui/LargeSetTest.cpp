// Sets made from a worker take their text into a new document on the worker, and the pane shows it
// in one step; these tests hold them to the contract of a set: the whole text, one report, one
// save, an exact read.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>

#include "behaviour/Ports.h"
#include "behaviour/UiCallChannel.h"
#include "qt/QtUiLoop.h"
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
void SetFromWorker(WindowView& system, int pane, const std::string& text) {
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
        {"separators kept as characters", Gb("a\u2028b\u2029c\uFDD0d\uFDD1e\r\n")},
        {"no-break space and tab", Gb("a\u00A0b\tc\r\n")},
    };
    MakeDataFolder();
    StartApp();
    WindowView& system = *frame_->System();
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
        EXPECT_FALSE(Pane(5).CanUndo());
    }
}

TEST_F(LargeSets, TextStopsAtNulAndTypingAfterASetIsRead) {
    MakeDataFolder();
    StartApp();
    WindowView& system = *frame_->System();
    const std::string head = Repeat("head\r\n", 300 * 1024);
    SetFromWorker(system, 5, head + std::string("\0tail\r\n", 7));
    EXPECT_TRUE(SameBytes(system.GetPaneText(5), head));

    // The bytes kept from the set no longer hold once the user changes the pane.
    Pane(5).setFocus();
    Pane(5).MoveToEnd();
    QTest::keyClicks(&Pane(5), QStringLiteral("z"));
    EXPECT_TRUE(SameBytes(system.GetPaneText(5), head + "z"));
    EXPECT_TRUE(SameBytes(ReadData("a-5.txt").value_or("(none)"), head + "z"));
}

// A run closed while it hands over its outputs: the close comes right after pane 4 took its
// result, while the worker takes in pane 5's. Whichever of the two ends first, the run ends once,
// the program closes, and pane 5's file holds the whole result or the output it held before the
// run, never a part and never nothing.
TEST_F(AppFixture, CloseWhileTheOutputsGoInEndsCleanlyWithNoPartialFile) {
    WriteData("a-1.txt", Repeat("product\r\n", 9 * 1000));    // 1000 products
    WriteData("a-2.txt", Repeat("attribute\r\n", 11 * 100));  // 100 attributes
    WriteData("a-3.txt", "class 1\r\nclass 2\r\n");
    StartApp();
    QSignalSpy finished(frame_.get(), &AppFrame::runFinished);
    QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !finished.isEmpty(); }));
    const std::string complete = ReadData("a-5.txt").value_or("");
    ASSERT_FALSE(complete.empty());

    finished.clear();
    QObject::connect(&Pane(4), &PaneEdit::paneTextChanged, &Window(), [&] {
        if (!Pane(4).Utf8Text().empty()) {
            QTimer::singleShot(0, &Window(), [&] { QTest::keyClick(&Pane(1), Qt::Key_Escape); });
        }
    });
    QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !finished.isEmpty(); }));
    QCoreApplication::processEvents();

    EXPECT_EQ(finished.count(), 1);
    const std::string file5 = ReadData("a-5.txt").value_or("(none)");
    // The old output stays until the new one is saved; both are the same complete text here.
    EXPECT_EQ(file5, complete) << file5.size() << " bytes";
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(frame_->End(0), 0);
}

}  // namespace
}  // namespace morvelin::testing
