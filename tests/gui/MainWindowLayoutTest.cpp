#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <vector>

#include "behaviour/Layout.h"
#include "qt/BalloonTip.h"
#include "qt/Fonts.h"
#include "qt/MainWindow.h"
#include "qt/PaneEdit.h"
#include "qt/QtText.h"
#include "tests/gui/FakeDesktop.h"

namespace morvelin::testing {
namespace {

class MainWindowLayout : public ::testing::Test {
  protected:
    FakeDesktop desktop_;
    MainWindow window_{desktop_};
};

// The window built from the layout tables: each control where the table puts it. The tables
// themselves are checked for sense in the behaviour tests.
TEST_F(MainWindowLayout, EveryControlSitsAtItsPlaceInItsParent) {
    for (const ControlLayout& control : ControlLayouts()) {
        SCOPED_TRACE(control.formName);
        if (control.kind == ControlKind::BalloonTips) {
            EXPECT_EQ(window_.BalloonTips()->objectName(), Utf8(control.formName));
            continue;
        }
        auto* widget = window_.findChild<QWidget*>(Utf8(control.formName));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget, window_.Control(control.id));
        EXPECT_EQ(widget->parentWidget(), window_.Control(control.parent));
        EXPECT_EQ(widget->geometry(), QRect(control.x, control.y, control.width, control.height));
    }
}

// Where controls overlap, the one listed first is drawn on top: siblings stack back to front in
// the reverse of the table's order.
TEST_F(MainWindowLayout, SiblingsStackFrontToBackInTableOrder) {
    for (const ControlLayout& parentRow : ControlLayouts()) {
        if (parentRow.kind != ControlKind::GroupBox && parentRow.id != ControlId::BalloonTips) {
            continue;
        }
        // The balloon row stands for the window, whose own row the table does not have.
        const ControlId parentId =
            parentRow.kind == ControlKind::GroupBox ? parentRow.id : ControlId::Window;
        QWidget* parent = window_.Control(parentId);
        QStringList expected;
        for (const ControlLayout& control : ControlLayouts()) {
            if (control.parent == parentId && control.kind != ControlKind::BalloonTips) {
                expected.prepend(Utf8(control.formName));
            }
        }
        if (expected.isEmpty()) {
            continue;
        }
        SCOPED_TRACE(parent->objectName().toStdString());
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
