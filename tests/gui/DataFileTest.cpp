// Data files through the real window: the file's bytes, the pane's codec, a keystroke or a paste
// in the real pane, and the exact bytes on disk afterwards.
#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <string>

#include "tests/gui/AppFixture.h"

namespace morvelin::testing {
namespace {

using namespace std::string_literals;

enum class Action {
    Keystroke,  // an "x" typed at the end of pane 1
    // "(", NUL, SUB, ")" pasted at the end, the program started again, a "k" typed at the end
    PasteEndBytesRestartKeystroke,
};

struct DataFileCase {
    const char* name;
    std::string disk;
    Action action;
    std::string after;
    // The pane's text as GetPaneText gives it after the first load.
    std::string shown;
    bool readOnly;
};

void PrintTo(const DataFileCase& c, std::ostream* out) {
    *out << c.name;
}

const DataFileCase kCases[] = {
    {"Gb18030", "\xD6\xD0\r\n\x94\x39\xFC\x36", Action::Keystroke, "\xD6\xD0\r\n\x94\x39\xFC\x36x",
     "\xD6\xD0\r\n\x94\x39\xFC\x36", false},
    {"Utf8", "\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD\r\n", Action::Keystroke,
     "\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD\r\nx", "\xD6\xD0\xCE\xC4\xD6\xD0\r\n", false},
    {"Utf16WithBom", "\xFF\xFE\x2D\x4E\r\0\n\0"s, Action::Keystroke, "\xFF\xFE\x2D\x4E\r\0\n\0x\0"s,
     "\xD6\xD0\r\n", false},
    {"Cp936Euro",
     "\x80"
     "5",
     Action::Keystroke,
     "\x80"
     "5x",
     "\xA2\xE3"
     "5",
     false},
    {"NulInTheMiddle", "ab\0cd"s, Action::Keystroke, "ab\0cd"s, "ab", true},
    // The pane shows a replacement character; the file keeps its byte.
    {"Latin1", "caf\xE9", Action::Keystroke, "caf\xE9", "caf\x84\x31\xA4\x37", true},
    {"PastedEndBytes", "ab", Action::PasteEndBytesRestartKeystroke, "ab()k", "ab", false},
    {"PastedEndBytesUtf8", "\xE4\xB8\xAD", Action::PasteEndBytesRestartKeystroke, "\xE4\xB8\xAD()k",
     "\xD6\xD0", false},
};

class DataFiles : public AppFixture, public ::testing::WithParamInterface<DataFileCase> {
  protected:
    void TypeAtEnd(const QString& text) {
        Pane(1).setFocus();
        QTest::keyClick(&Pane(1), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(&Pane(1), text);
    }
};

TEST_P(DataFiles, KeepEveryByteThroughThePane) {
    const DataFileCase& c = GetParam();
    WriteData("a-1.txt", c.disk);
    StartApp();
    EXPECT_EQ(PaneBytes(1), c.shown);
    EXPECT_EQ(Pane(1).isReadOnly(), c.readOnly);

    if (c.action == Action::Keystroke) {
        TypeAtEnd(QStringLiteral("x"));
    } else {
        QGuiApplication::clipboard()->setText(QStringLiteral("(") + QChar(0) + QChar(0x1A) +
                                              QStringLiteral(")"));
        Pane(1).setFocus();
        QTest::keyClick(&Pane(1), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&Pane(1), Qt::Key_V, Qt::ControlModifier);
        frame_.reset();
        StartApp();
        TypeAtEnd(QStringLiteral("k"));
    }
    EXPECT_EQ(ReadData("a-1.txt"), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, DataFiles, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

using ReadOnlyNotice = AppFixture;

// Once per selection, after its panes are set: which files and why, in the window's language.
TEST_F(ReadOnlyNotice, OneBoxPerSelectionNamesEachFileAndWhy) {
    WriteData("a-2.txt", "ab\0cd"s);
    WriteData("a-4.txt", "caf\xE9");
    WriteData("b-1.txt", "fine");
    StartApp();
    ASSERT_TRUE(WaitFor([&] { return !desktop_.boxes.empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    const QString text = desktop_.boxes[0].text;
    EXPECT_TRUE(text.contains(QStringLiteral("data/a-2.txt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("空字符"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("data/a-4.txt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("编码无法识别"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("a-1.txt"))) << text.toStdString();
    EXPECT_TRUE(Pane(2).isReadOnly());
    EXPECT_TRUE(Pane(4).isReadOnly());

    Window().CategoryButton('b')->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_FALSE(Pane(2).isReadOnly());

    Window().CategoryButton('a')->click();
    ASSERT_TRUE(WaitFor([&] { return desktop_.boxes.size() == 2; }));
    EXPECT_EQ(desktop_.boxes[1].text, text);
}

// Data paths are relative: started anywhere else, the program would use another folder's files.
TEST_F(ReadOnlyNotice, AProgramFolderThatCannotBeEnteredEndsTheStart) {
    frame_ = std::make_unique<AppFrame>(desktop_, folder_.filePath(QStringLiteral("gone")));
    frame_->SetProcessExit([this](int code) { exitCodes_.push_back(code); });
    const QString current = QDir::currentPath();

    EXPECT_FALSE(frame_->Start());

    EXPECT_EQ(exitCodes_, std::vector<int>{-1});
    ASSERT_EQ(desktop_.boxes.size(), 1u);
    EXPECT_TRUE(desktop_.boxes[0].text.contains(QString::fromUtf8("无法进入本程序所在的文件夹")));
    EXPECT_EQ(QDir::currentPath(), current);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("data")));
}

}  // namespace
}  // namespace morvelin::testing
