// What the user does in a pane and what reaches its file: one save per change, input-method
// compositions saved only when committed, NUL and SUB kept out, long lines, copies of whole texts.
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <atomic>
#include <thread>
#include <vector>

#include "behaviour/Ports.h"
#include "tests/gui/AppFixture.h"

namespace morvelin::testing {
namespace {

// One step of an input method: provisional text (pinyin, or a guess), a commit, or the end of
// the composition without one.
struct ImeStep {
    enum Kind { Preedit, Commit, Cancel } kind;
    const char* text;
};

void Send(PaneEdit& pane, const ImeStep& step) {
    const QString text = QString::fromUtf8(step.text);
    if (step.kind == ImeStep::Preedit) {
        const QList<QInputMethodEvent::Attribute> attributes{
            {QInputMethodEvent::Cursor, static_cast<int>(text.size()), 1}};
        QInputMethodEvent event(text, attributes);
        QCoreApplication::sendEvent(&pane, &event);
    } else {
        QInputMethodEvent event;
        if (step.kind == ImeStep::Commit) {
            event.setCommitString(text);
        }
        QCoreApplication::sendEvent(&pane, &event);
    }
}

class PaneRules : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        MakeDataFolder();
    }

    // The pane with the focus and the caret at its end, its changes counted from here.
    void Focus(int pane) {
        Pane(pane).setFocus();
        Pane(pane).MoveToEnd();
        changes_ = std::make_unique<QSignalSpy>(&Pane(pane), &PaneEdit::paneTextChanged);
    }

    int Changes() const { return static_cast<int>(changes_->count()); }

    std::unique_ptr<QSignalSpy> changes_;
};

TEST_F(PaneRules, CompositionIsSavedOnlyWhenCommittedAndOnce) {
    struct Case {
        const char* what;
        const char* before;
        bool selectAll;
        std::vector<ImeStep> steps;
        int changes;
        const char* after;
    };
    const Case cases[] = {
        {"pinyin, guesses, then the word",
         "a",
         false,
         {{ImeStep::Preedit, "z"},
          {ImeStep::Preedit, "zhong"},
          {ImeStep::Preedit, "zhong w"},
          {ImeStep::Preedit, "zhong wen"},
          {ImeStep::Preedit, "中哦"},
          {ImeStep::Commit, "中文"}},
         1,
         "a中文"},
        {"two words, one save each",
         "",
         false,
         {{ImeStep::Preedit, "zhong"},
          {ImeStep::Commit, "中"},
          {ImeStep::Preedit, "wen"},
          {ImeStep::Commit, "文"}},
         2,
         "中文"},
        {"given up: no change",
         "a",
         false,
         {{ImeStep::Preedit, "zhong"}, {ImeStep::Cancel, ""}},
         0,
         "a"},
        {"over a selection: its removal, then the word",
         "old",
         true,
         {{ImeStep::Preedit, "xin"}, {ImeStep::Commit, "新"}},
         2,
         "新"},
    };
    WriteData("a-1.txt", "");
    StartApp();
    WindowView& system = *frame_->System();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        system.SetPaneText(1, Gb(c.before));
        Focus(1);
        if (c.selectAll) {
            QTest::keyClick(&Pane(1), Qt::Key_A, Qt::ControlModifier);
        }
        for (const ImeStep& step : c.steps) {
            Send(Pane(1), step);
            const std::string saved = ReadData("a-1.txt").value_or("(none)");
            EXPECT_EQ(system.GetPaneText(1), saved) << step.text;
            if (step.kind == ImeStep::Preedit) {
                // Provisional text reaches neither the file nor a read of the pane.
                EXPECT_TRUE(Pane(1).Composing());
                EXPECT_EQ(saved.find(Gb(step.text)), std::string::npos) << step.text;
            } else {
                EXPECT_FALSE(Pane(1).Composing());
            }
        }
        EXPECT_EQ(Changes(), c.changes);
        EXPECT_EQ(ReadData("a-1.txt"), Gb(c.after));
        EXPECT_EQ(PaneBytes(1), Gb(c.after));
    }
}

// A run locks the panes; a composition under way is dropped, not saved.
TEST_F(PaneRules, RunLockDropsACompositionUnsaved) {
    WriteData("a-1.txt", "a");
    StartApp();
    Focus(1);
    Send(Pane(1), {ImeStep::Preedit, "zhong"});
    Window().SetRunLocked(true);
    EXPECT_FALSE(Pane(1).Composing());
    EXPECT_EQ(PaneBytes(1), "a");
    Send(Pane(1), {ImeStep::Commit, "中"});  // a read-only pane takes nothing
    Window().SetRunLocked(false);
    EXPECT_EQ(Changes(), 0);
    EXPECT_EQ(ReadData("a-1.txt"), "a");
}

// Keys and pastes on a pane that holds "ab" with the caret at its end.
TEST_F(PaneRules, EachEditIsOneSaveAndNulAndSubNeverGetIn) {
    struct Case {
        const char* what;
        std::function<void(PaneEdit&)> edit;
        int changes;
        std::string after;
    };
    const auto type = [](QString text) {
        return [text](PaneEdit& pane) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
            QCoreApplication::sendEvent(&pane, &press);
        };
    };
    const auto paste = [](QString text) {
        return [text](PaneEdit& pane) {
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
        };
    };
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        return [k, modifiers](PaneEdit& pane) { QTest::keyClick(&pane, k, modifiers); };
    };
    const Case cases[] = {
        {"Enter", key(Qt::Key_Return), 1, "ab\r\n"},
        {"Enter on an empty line",
         [](PaneEdit& pane) {
             QTest::keyClick(&pane, Qt::Key_Return);
             QTest::keyClick(&pane, Qt::Key_Return);
         },
         2, "ab\r\n\r\n"},
        {"paste over a selection",
         [](PaneEdit& pane) {
             QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
             QGuiApplication::clipboard()->setText(QStringLiteral("x\ny"));
             QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
         },
         1, "x\r\ny"},
        {"typed NUL", type(QString(QChar(0))), 0, "ab"},
        {"typed SUB", type(QString(QChar(0x1A))), 0, "ab"},
        {"SUB in committed input",
         [](PaneEdit& pane) {
             Send(pane, {ImeStep::Commit,
                         "c\x1A"
                         "d"});
         },
         1, "abcd"},
        {"pasted NUL and SUB", paste(QString::fromUtf16(u"c\u0000d\u001Ae", 5)), 1, "abcde"},
        {"Backspace", key(Qt::Key_Backspace), 1, "a"},
        {"Tab moves on", key(Qt::Key_Tab), 0, "ab"},
        {"line commands of the engine do nothing", key(Qt::Key_D, Qt::ControlModifier), 0, "ab"},
    };
    StartApp();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frame_->System()->SetPaneText(2, "ab");
        Focus(2);
        c.edit(Pane(2));
        EXPECT_EQ(Changes(), c.changes);
        EXPECT_EQ(ReadData("a-2.txt"), c.after);
        EXPECT_EQ(PaneBytes(2), c.after);
    }
}

std::string LongLine(std::size_t bytes) {
    std::string line;
    while (line.size() < bytes) {
        line += Gb("连衣裙 red ");
    }
    return line;
}

// A long line is held and read whole; the pane draws it only up to the limit and stops wrapping,
// and a set of ordinary lines wraps again.
TEST_F(PaneRules, LongLinesAreKeptWholeButNeitherWrappedNorDrawnWhole) {
    struct Case {
        const char* what;
        int pane;
        std::string text;
        bool wraps;
    };
    const std::string tenMegabytes = LongLine(10 * 1024 * 1024);
    const Case cases[] = {
        {"10 MB line in an output pane", 4, "first\r\n" + tenMegabytes + "\r\nlast", false},
        {"ordinary lines wrap again", 4, "a\r\nb", true},
        {"10 MB line in an input pane", 1, tenMegabytes, false},
        {"just under the limit", 5, std::string(PaneEdit::kLongLineBytes, 'x'), true},
        {"just over the limit", 5, std::string(PaneEdit::kLongLineBytes + 1, 'x'), false},
    };
    StartApp();
    WindowView& system = *frame_->System();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> done{false};
        std::thread worker([&] {
            system.SetPaneText(c.pane, c.text);
            done = true;
        });
        const bool finished = WaitFor([&] { return done.load(); });
        worker.join();
        ASSERT_TRUE(finished);
        EXPECT_TRUE(system.GetPaneText(c.pane) == c.text);
        EXPECT_TRUE(ReadData(c.pane == 1   ? "a-1.txt"
                             : c.pane == 4 ? "a-4.txt"
                                           : "a-5.txt") == c.text);
        EXPECT_EQ(Pane(c.pane).WrapsLines(), c.wraps && Pane(c.pane).WrapsByLayout());
        EXPECT_EQ(Pane(c.pane).verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        if (!c.wraps) {
            EXPECT_EQ(Pane(c.pane).horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        }
        // Drawn up to the limit: the style beyond it takes no room.
        const std::size_t lineStart = c.text.find(tenMegabytes.substr(0, 16));
        if (!c.wraps && lineStart != std::string::npos) {
            const auto styleAt = [&](std::size_t offset) {
                const QByteArray utf8 = QByteArray::fromStdString(
                    TextCodec::ToPaneText(c.text.substr(0, lineStart + offset)));
                return Pane(c.pane).SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT,
                                                  static_cast<unsigned long>(utf8.size()));
            };
            const long hidden = styleAt(PaneEdit::kLongLineBytes * 2);
            EXPECT_NE(styleAt(0), hidden);
            EXPECT_EQ(Pane(c.pane).SendScintilla(QsciScintillaBase::SCI_STYLEGETVISIBLE, hidden),
                      0);
        }
        Window().repaint();
    }

    // A long line pasted into a wrapping pane stops its wrapping too.
    system.SetPaneText(4, "a");
    ASSERT_TRUE(Pane(4).WrapsLines());
    Focus(4);
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(TextCodec::ToPaneText(LongLine(PaneEdit::kLongLineBytes * 2))));
    QTest::keyClick(&Pane(4), Qt::Key_V, Qt::ControlModifier);
    EXPECT_FALSE(Pane(4).WrapsLines());
    EXPECT_EQ(Changes(), 1);
}

// A start on a file with a long line, a generation of 10 MB lines, and Esc: the panes take the
// lines without wrapping them, and the program ends.
TEST_F(PaneRules, TenMegabyteLineGeneratesAndCloses) {
    const std::string line = LongLine(10 * 1024 * 1024);
    WriteData("a-1.txt", line + "\r\n");
    WriteData("a-2.txt", "attribute\r\n");
    WriteData("a-3.txt", Gb("女装"));
    WriteData("a-4.txt", LongLine(400 * 1024));
    StartApp();
    EXPECT_FALSE(Pane(4).WrapsLines());
    QSignalSpy finished(frame_.get(), &AppFrame::runFinished);
    QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !finished.isEmpty(); }));
    EXPECT_EQ(finished.first().first().toInt(), static_cast<int>(GenerationOutcome::Done));
    EXPECT_GT(ReadData("a-5.txt").value_or("").size(), line.size());
    EXPECT_FALSE(Pane(4).WrapsLines());
    EXPECT_FALSE(Pane(5).WrapsLines());
    Window().repaint();
    QTest::keyClick(&Pane(5), Qt::Key_Escape);
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(frame_->End(0), 0);
}

// Double-clicks on pane 5 all through a run: each copies the pane's whole text as it stands, the
// run's empty set or its complete result, never a part.
TEST_F(PaneRules, DoubleClickDuringARunCopiesNothingOrTheWholeText) {
    std::string products;
    for (int i = 0; i < 2000; ++i) {
        products += "product " + std::to_string(i) + "\r\n";
    }
    WriteData("a-1.txt", products);
    WriteData("a-2.txt", "red\r\nlong\r\nwide\r\n");
    WriteData("a-3.txt", "shirt\r\ndress\r\n");
    StartApp();
    QSignalSpy finished(frame_.get(), &AppFrame::runFinished);
    QTimer clicker;
    clicker.setInterval(0);
    QObject::connect(&clicker, &QTimer::timeout, &Window(), [&] {
        const QPoint at(4, 6);
        QTest::mouseClick(Pane(5).viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Pane(5).viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(Pane(5).viewport(), Qt::LeftButton, {}, at);
    });
    QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
    clicker.start();
    ASSERT_TRUE(WaitFor([&] { return !finished.isEmpty(); }));
    clicker.stop();

    const QString whole = TextCodec::Decode(ReadData("a-5.txt").value_or(""));
    ASSERT_FALSE(whole.isEmpty());
    ASSERT_FALSE(desktop_.clipboard.empty());
    for (const QString& copied : desktop_.clipboard) {
        EXPECT_TRUE(copied.isEmpty() || copied == whole) << copied.size() << " characters";
    }
}

// The engine runs out of memory while a new text goes in: the loader says so, and the pane keeps
// what it showed and reports nothing, so nothing is saved. (The window system then raises
// std::bad_alloc on the worker, which ends the run with the out-of-memory box.)
TEST_F(PaneRules, OutOfMemoryWhileATextGoesInLeavesThePaneAsItWas) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer ends the process on an impossible allocation";
#endif
    WriteData("a-4.txt", "kept");
    StartApp();
    QSignalSpy changes(&Pane(4), &PaneEdit::paneTextChanged);
    std::unique_ptr<PaneEdit::Loader> loader = Pane(4).NewLoader();
    ASSERT_TRUE(loader);
    // A length no machine has room for: the engine fails to make room before it reads a byte.
    const char byte = 'x';
    EXPECT_FALSE(loader->Load(std::string_view(&byte, std::size_t{1} << 50)));
    loader.reset();
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(PaneBytes(4), "kept");
    EXPECT_EQ(ReadData("a-4.txt"), "kept");
}

}  // namespace
}  // namespace morvelin::testing
