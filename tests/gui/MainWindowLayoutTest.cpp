#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <vector>

#include "tests/gui/FakeDesktop.h"
#include "ui/BalloonTip.h"
#include "ui/Fonts.h"
#include "ui/MainWindow.h"
#include "ui/PaneEdit.h"

namespace morvelin::testing {
namespace {

struct Placed {
    const char* name;
    const char* parent;  // nullptr: the window itself
    int x, y, w, h;
};

// Every control with a place, front to back within each parent.
const Placed kPlaces[] = {
    {"分组框9", nullptr, 428, 539, 453, 90},
    {"分组框8", nullptr, 661, 2, 220, 534},
    {"分组框7", nullptr, 468, 2, 190, 534},
    {"三级编辑框", nullptr, 313, 20, 150, 400},
    {"分组框6", nullptr, 312, 2, 153, 420},
    {"二级编辑框", nullptr, 157, 20, 150, 400},
    {"分组框5", nullptr, 156, 2, 153, 420},
    {"一级编辑框", nullptr, 1, 20, 150, 400},
    {"分组框4", nullptr, 0, 2, 153, 420},
    {"分组框1", nullptr, 1, 539, 424, 90},
    {"生成关键词按钮", nullptr, 336, 507, 118, 24},
    {"分组框3", nullptr, 1, 426, 464, 110},
    {"五级编辑框", "分组框8", 1, 20, 217, 512},
    {"四级编辑框", "分组框7", 1, 20, 187, 512},
    {"标签5", "分组框9", 8, 36, 440, 49},
    {"标签4", "分组框9", 8, 12, 440, 24},
    {"标签3", "分组框1", 12, 66, 59, 19},
    {"超级链接框10", "分组框1", 335, 67, 57, 16},
    {"超级链接框6", "分组框1", 69, 67, 58, 16},
    {"超级链接框7", "分组框1", 134, 67, 51, 16},
    {"超级链接框8", "分组框1", 192, 67, 79, 16},
    {"超级链接框9", "分组框1", 278, 67, 57, 16},
    {"超级链接框1", "分组框1", 10, 47, 405, 19},
    {"标签2", "分组框1", 11, 30, 325, 19},
    {"标签1", "分组框1", 11, 12, 404, 19},
    {"分类H", "分组框3", 5, 42, 62, 16},
    {"分类I", "分组框3", 71, 42, 62, 16},
    {"分类J", "分组框3", 137, 42, 62, 16},
    {"分类A", "分组框3", 5, 17, 62, 16},
    {"分类B", "分组框3", 71, 17, 62, 16},
    {"分类C", "分组框3", 137, 17, 62, 16},
    {"分类D", "分组框3", 203, 17, 62, 16},
    {"分类E", "分组框3", 269, 17, 62, 16},
    {"分类F", "分组框3", 334, 17, 62, 16},
    {"分类G", "分组框3", 400, 17, 62, 16},
    {"分类V", "分组框3", 5, 86, 62, 16},
    {"分类W", "分组框3", 71, 86, 62, 16},
    {"分类X", "分组框3", 137, 86, 62, 16},
    {"分类Y", "分组框3", 203, 86, 62, 16},
    {"分类Z", "分组框3", 269, 86, 62, 16},
    {"分类O", "分组框3", 5, 65, 62, 16},
    {"分类P", "分组框3", 71, 65, 62, 16},
    {"分类Q", "分组框3", 137, 65, 62, 16},
    {"分类R", "分组框3", 203, 65, 62, 16},
    {"分类S", "分组框3", 269, 65, 62, 16},
    {"分类T", "分组框3", 334, 65, 62, 16},
    {"分类U", "分组框3", 400, 65, 62, 16},
    {"分类N", "分组框3", 400, 42, 62, 16},
    {"分类K", "分组框3", 202, 42, 62, 16},
    {"分类L", "分组框3", 268, 42, 62, 16},
    {"分类M", "分组框3", 334, 42, 62, 16},
};

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

class MainWindowLayout : public ::testing::Test {
  protected:
    FakeDesktop desktop_;
    MainWindow window_{desktop_};
};

TEST_F(MainWindowLayout, EveryControlSitsAtItsPlaceInItsParent) {
    for (const Placed& placed : kPlaces) {
        SCOPED_TRACE(placed.name);
        auto* widget = window_.findChild<QWidget*>(Utf8(placed.name));
        ASSERT_NE(widget, nullptr);
        const QString parent = placed.parent ? Utf8(placed.parent) : window_.objectName();
        EXPECT_EQ(widget->parentWidget()->objectName(), parent);
        EXPECT_EQ(widget->geometry(), QRect(placed.x, placed.y, placed.w, placed.h));
    }
}

// Where controls overlap, the one listed first is drawn on top: siblings stack back to front in
// the reverse of the table's order.
TEST_F(MainWindowLayout, SiblingsStackFrontToBackInTableOrder) {
    std::vector<QWidget*> parents{&window_};
    for (const char* box : {"分组框9", "分组框8", "分组框7", "分组框1", "分组框3"}) {
        parents.push_back(window_.findChild<QWidget*>(Utf8(box)));
    }
    for (QWidget* parent : parents) {
        SCOPED_TRACE(parent->objectName().toStdString());
        QStringList expected;
        for (const Placed& placed : kPlaces) {
            const QString owner = placed.parent ? Utf8(placed.parent) : window_.objectName();
            if (owner == parent->objectName()) {
                expected.prepend(Utf8(placed.name));
            }
        }
        QStringList stacked;
        for (QObject* child : parent->children()) {
            if (child->isWidgetType() && !child->objectName().isEmpty()) {
                stacked.append(child->objectName());
            }
        }
        EXPECT_EQ(stacked, expected);
    }
}

TEST_F(MainWindowLayout, WindowIsFixedWithoutMaximiseButton) {
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Morvelin V8.8"));
    EXPECT_EQ(window_.minimumSize(), QSize(882, 630));
    EXPECT_EQ(window_.maximumSize(), QSize(882, 630));
    const Qt::WindowFlags flags = window_.windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(window_.palette().color(QPalette::Window), QColor(236, 236, 236));
    EXPECT_EQ(window_.BalloonTips()->objectName(), Utf8("气球提示框"));
}

TEST_F(MainWindowLayout, InputPanesScrollSidewaysOutputPanesWrap) {
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        PaneEdit* pane = window_.Pane(n);
        const bool output = n >= 4;
        EXPECT_EQ(pane->WrapsLines(), output);
        EXPECT_EQ(pane->horizontalScrollBarPolicy(),
                  output ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        // The engine's colours are 0xBBGGRR.
        const long background = pane->SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK,
                                                    QsciScintillaBase::STYLE_DEFAULT);
        EXPECT_EQ(background, output ? 0xECECEC : 0xFFFFFF);
        EXPECT_EQ(pane->font(), PaneFont());
        // Plain text boxes: no margin of the engine's own.
        for (unsigned long margin = 0; margin < 5; ++margin) {
            EXPECT_EQ(pane->SendScintilla(QsciScintillaBase::SCI_GETMARGINWIDTHN, margin), 0);
        }
        EXPECT_FALSE(pane->isReadOnly());
    }
}

TEST_F(MainWindowLayout, CategoryButtonsFormOneGroupWithAMarked) {
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        QAbstractButton* button = window_.CategoryButton(letter);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), Utf8("分类") + QChar(QLatin1Char(letter)).toUpper());
        EXPECT_EQ(button->objectName(), button->text());
        EXPECT_EQ(button->isChecked(), letter == 'a');
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(button->font(), SongTiPixelFont(14));
    }
    window_.CategoryButton('q')->click();
    EXPECT_TRUE(window_.CategoryButton('q')->isChecked());
    EXPECT_FALSE(window_.CategoryButton('a')->isChecked());

    QPushButton* generate = window_.GenerateButton();
    EXPECT_EQ(generate->text(), Utf8("一 键 生 成"));
    EXPECT_FALSE(generate->isDefault());
    EXPECT_FALSE(generate->autoDefault());
    EXPECT_EQ(generate->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(MainWindowLayout, RunLockDisablesButtonsAndPanesAndKeepsFileReadOnly) {
    window_.Pane(3)->SetFileReadOnly(true);
    window_.SetRunLocked(true);
    window_.ShowProgress(37);
    EXPECT_FALSE(window_.GenerateButton()->isEnabled());
    EXPECT_EQ(window_.GenerateButton()->text(), Utf8("生成中 37%"));
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        EXPECT_FALSE(window_.CategoryButton(letter)->isEnabled());
    }
    for (int n = 1; n <= 5; ++n) {
        EXPECT_TRUE(window_.Pane(n)->isReadOnly());
    }
    window_.SetRunLocked(false);
    EXPECT_TRUE(window_.GenerateButton()->isEnabled());
    EXPECT_EQ(window_.GenerateButton()->text(), Utf8("一 键 生 成"));
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(window_.Pane(n)->isReadOnly(), n == 3) << n;
    }
}

TEST(MainWindowPosition, CentresOuterSizeTruncatingTowardsZero) {
    struct Case {
        QSize screen;
        QPoint corner;
    };
    const Case cases[] = {
        {{1024, 768}, {68, 56}},  {{1280, 800}, {196, 72}},
        {{800, 600}, {-44, -28}},  // smaller than the window: partly off the screen
        {{887, 655}, {0, 0}},      // -1 / 2 is 0, not -1
        {{889, 657}, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MainWindow::CentredPosition(c.screen), c.corner) << c.screen.width();
    }
}

}  // namespace
}  // namespace morvelin::testing
