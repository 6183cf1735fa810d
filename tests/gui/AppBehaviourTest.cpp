#include <QAbstractButton>
#include <QClipboard>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QThread>
#include <atomic>
#include <thread>

#include "behaviour/Layout.h"
#include "behaviour/Ports.h"
#include "behaviour/Texts.h"
#include "qt/BalloonTip.h"
#include "qt/QtText.h"
#include "qt/TextLabel.h"
#include "store/CategoryStore.h"
#include "tests/gui/AppFixture.h"

namespace morvelin::testing {
namespace {

// A left double-click as the window system delivers it: press, release, double-click, release.
void DoubleClick(QWidget& widget, QPoint at) {
    QTest::mouseClick(&widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(&widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, at);
}

using AppStart = AppFixture;

TEST_F(AppStart, ShowsCategoryAWithoutRewritingItsFiles) {
    const std::string products = Gb("衬衫\r\n连衣裙 😀\r\n");
    const std::string loneLf = "red\nlong";
    WriteData("a-1.txt", products);
    WriteData("a-2.txt", loneLf);
    WriteData("b-1.txt", "other");
    StartApp();

    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(PaneBytes(1), products);
    EXPECT_EQ(PaneBytes(2), "red\r\nlong");
    EXPECT_EQ(PaneBytes(3), "");
    // Loading never rewrites an existing file; missing ones of the category become empty files.
    EXPECT_EQ(ReadData("a-1.txt"), products);
    EXPECT_EQ(ReadData("a-2.txt"), loneLf);
    for (const char* name : {"a-3.txt", "a-4.txt", "a-5.txt"}) {
        EXPECT_EQ(ReadData(name), "") << name;
    }
    EXPECT_EQ(ReadData("b-2.txt"), std::nullopt);

    EXPECT_TRUE(Window().CategoryButton('a')->isChecked());
    auto* description = Window().findChild<TextLabel*>(Utf8("标签5"));
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(description->text(), QString::fromUtf8(kDescriptionText));
    EXPECT_EQ(Window().pos(),
              MainWindow::CentredPosition(QGuiApplication::primaryScreen()->geometry().size()));
    EXPECT_TRUE(desktop_.boxes.empty());
}

// A real pointer move, through the window system, over pane 1's viewport.
TEST_F(AppStart, RestingOnAPaneShowsItsTip) {
    MakeDataFolder();
    StartApp();
    BalloonTipComponent* tips = Window().BalloonTips();
    QTest::mouseMove(Pane(1).viewport(), QPoint(30, 40));
    QTest::mouseMove(Pane(1).viewport(), QPoint(40, 50));
    ASSERT_TRUE(WaitFor([&] { return tips->isTipVisible(); }, 10000));
    EXPECT_EQ(tips->tipText(),
              Utf8("在这里您可以录入种子关键词类型一\n\n比如产品名称，等核心批配关键词！"));
}

TEST_F(AppStart, MakesTheMissingDataFolder) {
    StartApp();
    for (const char* name : {"a-1.txt", "a-2.txt", "a-3.txt", "a-4.txt", "a-5.txt"}) {
        EXPECT_EQ(ReadData(name), "") << name;
    }
    EXPECT_TRUE(desktop_.boxes.empty());
}

TEST_F(AppStart, SaysOnceWhenTheDataFolderCannotBeMade) {
    QFile blocker(folder_.filePath(QStringLiteral("data")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    StartApp();
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(desktop_.boxes[0].icon, Desktop::Icon::Error);

    Pane(2).setFocus();
    QTest::keyClicks(&Pane(2), QStringLiteral("x"));
    Window().CategoryButton('b')->click();
    EXPECT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_TRUE(QFileInfo(folder_.filePath(QStringLiteral("data"))).isFile());
}

using Categories = AppFixture;

TEST_F(Categories, ClickLoadsAndReloadsEvenTheMarkedOne) {
    WriteData("a-1.txt", "x");
    WriteData("b-1.txt", "y");
    StartApp();
    QTest::mouseClick(Window().CategoryButton('b'), Qt::LeftButton);
    EXPECT_EQ(PaneBytes(1), "y");

    WriteData("b-1.txt", "changed elsewhere");
    QTest::mouseClick(Window().CategoryButton('b'), Qt::LeftButton);
    EXPECT_TRUE(Window().CategoryButton('b')->isChecked());
    EXPECT_EQ(PaneBytes(1), "changed elsewhere");

    QTest::mouseClick(Window().CategoryButton('a'), Qt::LeftButton);
    EXPECT_EQ(PaneBytes(1), "x");
}

TEST_F(Categories, TypedTextSurvivesSwitchingAway) {
    MakeDataFolder();
    StartApp();
    QTest::keyClicks(&Pane(2), QStringLiteral("x"));
    Window().CategoryButton('b')->click();
    EXPECT_EQ(PaneBytes(2), "");
    Window().CategoryButton('a')->click();
    EXPECT_EQ(PaneBytes(2), "x");
    EXPECT_EQ(ReadData("a-2.txt"), "x");
}

TEST_F(Categories, ReadOnlyFileShowsItsContentAndKeepsIt) {
    WriteData("a-2.txt", "locked");
    ASSERT_TRUE(QFile::setPermissions(DataPath("a-2.txt"),
                                      QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    StartApp();
    EXPECT_EQ(PaneBytes(2), "locked");
    EXPECT_TRUE(Pane(2).isReadOnly());
    QTest::keyClicks(&Pane(2), QStringLiteral("zz"));
    EXPECT_EQ(PaneBytes(2), "locked");
    EXPECT_EQ(ReadData("a-2.txt"), "locked");

    Window().CategoryButton('b')->click();
    EXPECT_FALSE(Pane(2).isReadOnly());
}

using Panes = AppFixture;

TEST_F(Panes, EachKeystrokeSavesTheWholePaneOnce) {
    WriteData("a-3.txt", Gb("类别"));
    StartApp();
    QSignalSpy changes(&Pane(3), &PaneEdit::paneTextChanged);
    Pane(3).setFocus();
    Pane(3).MoveToEnd();

    QTest::keyClick(&Pane(3), Qt::Key_A);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(ReadData("a-3.txt"), Gb("类别a"));

    QTest::keyClick(&Pane(3), Qt::Key_Return);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(ReadData("a-3.txt"), Gb("类别a\r\n"));

    QTest::keyClick(&Pane(3), Qt::Key_Backspace);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(ReadData("a-3.txt"), Gb("类别a"));

    // A paste of several lines, its undo and a cut are one change each, too.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("一\n二\n三"));
    QTest::keyClick(&Pane(3), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(ReadData("a-3.txt"), Gb("类别a一\r\n二\r\n三"));
    QTest::keyClick(&Pane(3), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(changes.count(), 5);
    EXPECT_EQ(ReadData("a-3.txt"), Gb("类别a"));
    QTest::keyClick(&Pane(3), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&Pane(3), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(changes.count(), 6);
    EXPECT_EQ(ReadData("a-3.txt"), "");
}

TEST_F(Panes, TabMovesTheFocusAndTypesNothing) {
    MakeDataFolder();
    StartApp();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    Pane(1).setFocus();
    ASSERT_TRUE(Pane(1).hasFocus());
    QSignalSpy changes(&Pane(1), &PaneEdit::paneTextChanged);
    QTest::keyClick(&Pane(1), Qt::Key_Tab);
    EXPECT_FALSE(Pane(1).hasFocus());
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(PaneBytes(1), "");
}

// What a set puts in a pane, as read back and as saved, and that it reports exactly one change.
TEST_F(Panes, SetReadsBackWithCrLfAndSavesOnce) {
    struct Case {
        const char* what;
        std::string set;
        std::string read;
    };
    const Case cases[] = {
        {"lone LF", "a\nb", "a\r\nb"},
        {"lone CR", "a\rb\r", "a\r\nb\r\n"},
        {"CR LF kept", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {"stops at NUL", std::string("a\0b", 3), "a"},
        {"Chinese and emoji", Gb("中文 😀\r\n𠀀"), Gb("中文 😀\r\n𠀀")},
        {"no-break space kept",
         Gb("a\xC2\xA0"
            "b"),
         Gb("a\xC2\xA0"
            "b")},
        {"empty", "", ""},
    };
    MakeDataFolder();
    StartApp();
    WindowView& system = *frame_->System();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSignalSpy changes(&Pane(1), &PaneEdit::paneTextChanged);
        system.SetPaneText(1, c.set);
        EXPECT_EQ(changes.count(), 1);
        EXPECT_EQ(system.GetPaneText(1), c.read);
        EXPECT_EQ(ReadData("a-1.txt"), c.read);
    }
}

TEST_F(Panes, IdenticalSetStillReportsAndSaves) {
    WriteData("a-1.txt", "same");
    StartApp();
    ASSERT_TRUE(QFile::remove(DataPath("a-1.txt")));
    QSignalSpy changes(&Pane(1), &PaneEdit::paneTextChanged);
    frame_->System()->SetPaneText(1, "same");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(ReadData("a-1.txt"), "same");
}

// A set from another thread runs on the UI thread, handler and save included, before it returns.
TEST_F(Panes, WorkerSetRunsOnTheUiThreadBeforeItReturns) {
    MakeDataFolder();
    StartApp();
    QThread* handlerThread = nullptr;
    QObject::connect(&Pane(2), &PaneEdit::paneTextChanged, &Pane(2),
                     [&] { handlerThread = QThread::currentThread(); });
    std::atomic<bool> done{false};
    std::optional<std::string> savedWhenSetReturned;
    std::string readBack;
    std::thread worker([&] {
        frame_->System()->SetPaneText(2, Gb("一\n二"));
        savedWhenSetReturned = ReadData("a-2.txt");
        readBack = frame_->System()->GetPaneText(2);
        done = true;
    });
    const bool finished = WaitFor([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(handlerThread, QThread::currentThread());
    EXPECT_EQ(savedWhenSetReturned, Gb("一\r\n二"));
    EXPECT_EQ(readBack, Gb("一\r\n二"));
}

TEST_F(Panes, DoubleClickOnOutputCopiesThenSelectsTheWord) {
    struct Case {
        int pane;
        std::string text;
        bool copies;
    };
    const Case cases[] = {
        {4, "x\r\ny", true},
        {5, Gb("三联 关键词"), true},
        {4, "", true},  // an empty pane still copies (nothing) and confirms
        {1, "x y", false},
    };
    MakeDataFolder();
    StartApp();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pane);
        frame_->System()->SetPaneText(c.pane, c.text);
        desktop_.boxes.clear();
        desktop_.clipboard.clear();
        bool selectedWhileBoxOpen = true;
        desktop_.onMessageBox = [&] { selectedWhileBoxOpen = Pane(c.pane).HasSelection(); };
        DoubleClick(*Pane(c.pane).viewport(), QPoint(4, 6));

        if (c.copies) {
            ASSERT_EQ(desktop_.clipboard.size(), 1u);
            EXPECT_EQ(desktop_.clipboard[0], TextCodec::Decode(c.text));
            ASSERT_EQ(desktop_.boxes.size(), 1u);
            EXPECT_EQ(desktop_.boxes[0].text, Utf8("已经复制此处内容！"));
            EXPECT_EQ(desktop_.boxes[0].caption, Utf8("成功复制"));
            EXPECT_FALSE(selectedWhileBoxOpen);
        } else {
            EXPECT_TRUE(desktop_.clipboard.empty());
            EXPECT_TRUE(desktop_.boxes.empty());
        }
        EXPECT_EQ(Pane(c.pane).HasSelection(), !c.text.empty());
    }
}

class Generation : public AppFixture {
  protected:
    // Presses the generate button and waits for the run's end; the run's outcome.
    int GenerateAndWait() {
        QSignalSpy finished(frame_.get(), &AppFrame::runFinished);
        QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
        EXPECT_TRUE(WaitFor([&] { return finished.count() > 0; }));
        return finished.isEmpty() ? -1 : finished.first().first().toInt();
    }

    void WriteInputs() {
        WriteData("a-1.txt", "shirt\r\ndress\r\n");
        WriteData("a-2.txt", "red\r\nlong");
        WriteData("a-3.txt", Gb("女装"));
        WriteData("a-4.txt", "old 4");
        WriteData("a-5.txt", "old 5");
    }
};

TEST_F(Generation, FillsBothOutputsAndTheirFilesWithTheSameBytes) {
    WriteInputs();
    ASSERT_TRUE(QFile::setPermissions(DataPath("a-3.txt"), QFileDevice::ReadOwner));
    StartApp();
    const std::string twoPart = "shirt red\r\nshirt long\r\ndress red\r\ndress long\r\n";
    const std::string threePart =
        Gb("shirt red 女装\r\nshirt long 女装\r\ndress red 女装\r\ndress long 女装\r\n");

    QSignalSpy finished(frame_.get(), &AppFrame::runFinished);
    QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
    // Until the run ends nothing can start another or change what it reads.
    EXPECT_FALSE(Window().GenerateButton()->isEnabled());
    EXPECT_FALSE(Window().CategoryButton('b')->isEnabled());
    EXPECT_TRUE(Pane(1).isReadOnly());
    ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
    EXPECT_EQ(finished.first().first().toInt(), static_cast<int>(GenerationOutcome::Done));

    EXPECT_EQ(PaneBytes(4), twoPart);
    EXPECT_EQ(PaneBytes(5), threePart);
    EXPECT_EQ(ReadData("a-4.txt"), twoPart);
    EXPECT_EQ(ReadData("a-5.txt"), threePart);

    EXPECT_TRUE(Window().GenerateButton()->isEnabled());
    EXPECT_EQ(Window().GenerateButton()->text(), Utf8("一 键 生 成"));
    EXPECT_TRUE(Window().CategoryButton('b')->isEnabled());
    EXPECT_FALSE(Pane(1).isReadOnly());
    EXPECT_TRUE(Pane(3).isReadOnly());  // its file is read-only, run or not

    // A second press runs again on the same inputs.
    EXPECT_EQ(GenerateAndWait(), static_cast<int>(GenerationOutcome::Done));
    EXPECT_EQ(ReadData("a-5.txt"), threePart);
}

TEST_F(Generation, OversizedRunIsRefusedBeforeAnyPaneChanges) {
    WriteInputs();
    StartApp();
    GenerationLimit limit;
    limit.maxLines = 3;  // two products by two attributes make four lines
    frame_->SetGenerationLimit(limit);

    EXPECT_EQ(GenerateAndWait(), static_cast<int>(GenerationOutcome::Refused));
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(desktop_.boxes[0].caption, Utf8("无法生成"));
    EXPECT_TRUE(desktop_.boxes[0].text.contains(QStringLiteral("4")));
    EXPECT_EQ(PaneBytes(4), "old 4");
    EXPECT_EQ(PaneBytes(5), "old 5");
    EXPECT_EQ(ReadData("a-4.txt"), "old 4");
    EXPECT_EQ(ReadData("a-5.txt"), "old 5");
    EXPECT_TRUE(Window().GenerateButton()->isEnabled());
}

// The UI thread handles no event between the press and the close, so the worker cannot have
// reached a pane: the close must stop it, wait for it, and leave the outputs as they were.
TEST_F(Generation, CloseDuringARunStopsItAndTouchesNoPane) {
    WriteInputs();
    StartApp();
    QSignalSpy finished(frame_.get(), &AppFrame::runFinished);
    QTest::mouseClick(Window().GenerateButton(), Qt::LeftButton);
    ASSERT_TRUE(frame_->RunActive());
    QTest::keyClick(&Pane(1), Qt::Key_Escape);

    EXPECT_FALSE(frame_->RunActive());
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.first().first().toInt(), static_cast<int>(GenerationOutcome::Stopped));
    EXPECT_EQ(desktop_.openedUrls.size(), 1u);
    EXPECT_EQ(frame_->End(0), 0);
    EXPECT_EQ(ReadData("a-4.txt"), "old 4");
    EXPECT_EQ(ReadData("a-5.txt"), "old 5");
}

using Ending = AppFixture;

TEST_F(Ending, EscFromAnyPaneOpensTheMakersPageOnceThenEnds) {
    MakeDataFolder();
    StartApp();
    bool pathsSetWhenWindowWent = false;
    QObject::connect(&Window(), &QObject::destroyed,
                     [&] { pathsSetWhenWindowWent = !frame_->Store()->Files()[0].empty(); });
    QTest::keyClicks(&Pane(2), QStringLiteral("q"));
    QTest::keyClick(&Pane(4), Qt::Key_Escape);

    EXPECT_FALSE(Window().isVisible());
    ASSERT_EQ(desktop_.openedUrls.size(), 1u);
    EXPECT_EQ(desktop_.openedUrls[0], QUrl(Utf8(kMakersPageUrl)));
    EXPECT_TRUE(desktop_.started.empty());

    EXPECT_EQ(frame_->End(0), 0);
    EXPECT_TRUE(pathsSetWhenWindowWent);  // the end handler ran after the window was gone
    EXPECT_TRUE(frame_->Store()->Files()[0].empty());
    EXPECT_EQ(ReadData("a-2.txt"), "q");
    EXPECT_EQ(desktop_.openedUrls.size(), 1u);
}

TEST_F(Ending, BrowserRefusalFallsBackToXdgOpen) {
    MakeDataFolder();
    desktop_.openUrlWorks = false;
    StartApp();
    Window().close();
    ASSERT_EQ(desktop_.started.size(), 1u);
    EXPECT_EQ(desktop_.started[0].program, QStringLiteral("xdg-open"));
    EXPECT_EQ(desktop_.started[0].arguments, QStringList{Utf8(kMakersPageUrl)});
    EXPECT_TRUE(desktop_.boxes.empty());
}

TEST_F(Ending, FatalErrorShowsItsBoxAndSkipsTheEndHandler) {
    MakeDataFolder();
    StartApp();
    frame_->FatalError(Utf8("载入启动窗口失败"), 0);
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_EQ(desktop_.boxes[0].caption, Utf8("错误"));
    EXPECT_EQ(desktop_.boxes[0].text, Utf8("运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"));
    EXPECT_EQ(desktop_.boxes[0].icon, Desktop::Icon::Error);
    EXPECT_EQ(exitCodes_, std::vector<int>{-1});

    frame_->End(-1);
    EXPECT_FALSE(frame_->Store()->Files()[0].empty());
}

TEST(FatalErrorText, CodeAndMessageAppearOnlyWhenGiven) {
    struct Case {
        const char* message;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"", 0, "运行时出错!\r\n\r\n"},
        {"", -5, "运行时出错!\r\n\r\n错误代码：-5\r\n\r\n"},
        {"坏了", 7, "运行时出错!\r\n\r\n错误代码：7\r\n\r\n错误信息：坏了\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AppFrame::FatalErrorText(Utf8(c.message), c.code), Utf8(c.text));
    }
}

}  // namespace
}  // namespace morvelin::testing
