#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <utility>
#include <vector>

#include "qt/MainWindow.h"
#include "qt/PaneEdit.h"
#include "qt/QtText.h"
#include "tests/gui/AppFixture.h"

namespace morvelin::testing {
namespace {

using Entries = std::vector<std::pair<QString, bool>>;

class PaneMenu : public AppFixture {
  protected:
    // Opens pane n's menu as a right-click does, and gives its entries with whether each is
    // enabled; chooses the entry with caption `choose`, if any, else closes the menu.
    Entries Open(int n, const QString& choose = {}) {
        Entries entries;
        QTimer::singleShot(0, &Window(), [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) {
                return;
            }
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                if (!action->isSeparator()) {
                    entries.emplace_back(action->text(), action->isEnabled());
                    if (action->text() == choose) {
                        chosen = action;
                    }
                }
            }
            menu->close();
            if (chosen != nullptr) {
                chosen->trigger();
            }
        });
        QWidget* viewport = Pane(n).viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                                viewport->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(viewport, &event);
        // A tool runs once the menu's event is over.
        QCoreApplication::processEvents();
        return entries;
    }

    static QStringList Captions(const Entries& entries) {
        QStringList captions;
        for (const auto& entry : entries) {
            captions << entry.first;
        }
        return captions;
    }

    static bool Enabled(const Entries& entries, const char* caption) {
        for (const auto& entry : entries) {
            if (entry.first == Utf8(caption)) {
                return entry.second;
            }
        }
        ADD_FAILURE() << "no entry " << caption;
        return false;
    }
};

TEST_F(PaneMenu, EntriesInChineseEnabledAsThePaneAllows) {
    WriteData("a-2.txt", "red\r\nred\r\n");
    WriteData("a-5.txt", Gb("衬衫 红色 女装\r\nab\r\n"));
    WriteData("a-3.txt", "women");
    QFile::setPermissions(DataPath("a-3.txt"), QFile::ReadOwner);
    StartApp();

    const Entries output = Open(5);
    EXPECT_EQ(
        Captions(output),
        (QStringList{Utf8("撤销"), Utf8("重做"), Utf8("剪切"), Utf8("复制"), Utf8("粘贴"),
                     Utf8("删除"), Utf8("全选"), Utf8("共 2 行，最长 14 字节"), Utf8("去除重复行"),
                     Utf8("按标题长度筛选…"), Utf8("排除含有以下词的行…")}));
    EXPECT_FALSE(Enabled(output, "共 2 行，最长 14 字节")) << "it only informs";
    EXPECT_TRUE(Enabled(output, "去除重复行"));
    EXPECT_FALSE(Enabled(output, "撤销")) << "nothing typed yet";

    const Entries input = Open(2);
    EXPECT_TRUE(Captions(input).contains(Utf8("清理空行和首尾空格")));
    EXPECT_FALSE(Captions(input).contains(Utf8("按标题长度筛选…")));
    EXPECT_TRUE(Enabled(input, "清理空行和首尾空格"));

    const Entries readOnly = Open(3);
    EXPECT_FALSE(Enabled(readOnly, "清理空行和首尾空格"));
    EXPECT_FALSE(Enabled(readOnly, "粘贴"));
    EXPECT_TRUE(Enabled(readOnly, "全选"));

    Window().SetRunLocked(true);
    const Entries running = Open(2);
    EXPECT_FALSE(Enabled(running, "去除重复行"));
    EXPECT_FALSE(Enabled(running, "清理空行和首尾空格"));
    Window().SetRunLocked(false);
}

TEST_F(PaneMenu, AToolIsOneSavedChangeThatOneUndoTakesBack) {
    const std::string before = Gb("衬衫 红色\r\n衬衫 红色\r\n连衣裙 长款\r\n");
    WriteData("a-4.txt", before);
    StartApp();
    QSignalSpy changes(&Pane(4), &PaneEdit::paneTextChanged);

    Open(4, Utf8("去除重复行"));
    ASSERT_TRUE(WaitFor([&] { return changes.count() == 1; }));
    const std::string after = Gb("衬衫 红色\r\n连衣裙 长款\r\n");
    EXPECT_EQ(ReadData("a-4.txt"), after);
    EXPECT_EQ(PaneBytes(4), after);

    Open(4, Utf8("撤销"));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(ReadData("a-4.txt"), before);
    EXPECT_EQ(PaneBytes(4), before);

    // A tool that asks: a cancel changes nothing; the answer given is asked with next time.
    desktop_.answer = std::nullopt;
    Open(4, Utf8("按标题长度筛选…"));
    desktop_.answer = QStringLiteral("10");
    Open(4, Utf8("按标题长度筛选…"));
    ASSERT_TRUE(WaitFor([&] { return changes.count() == 3; }));
    EXPECT_EQ(ReadData("a-4.txt"), Gb("衬衫 红色\r\n衬衫 红色\r\n"));
    Open(4, Utf8("按标题长度筛选…"));
    EXPECT_EQ(desktop_.questions,
              (std::vector<QString>{Utf8("按标题长度筛选|60"), Utf8("按标题长度筛选|60"),
                                    Utf8("按标题长度筛选|10")}));
}

}  // namespace
}  // namespace morvelin::testing
