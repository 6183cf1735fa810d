#include "ui/MainWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFont>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cstring>

#include "app/Desktop.h"
#include "ui/BalloonTip.h"
#include "ui/Fonts.h"
#include "ui/GroupBox.h"
#include "ui/HyperlinkLabel.h"
#include "ui/Links.h"
#include "ui/PaneEdit.h"
#include "ui/ProgramIcon.h"
#include "ui/TextLabel.h"

namespace morvelin {

namespace {

const QColor kBackground(236, 236, 236);
const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);
const QColor kGrey(128, 128, 128);
const QColor kGreen(0, 128, 0);
const QColor kBlack(0, 0, 0);

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// Children are created front first; each new one goes to the back of its siblings so that the
// earlier (front) one is drawn over it where they overlap.
template <typename W>
W* Place(W* widget, const QString& name, int x, int y, int w, int h) {
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    widget->lower();
    return widget;
}

GroupBox* MakeGroupBox(QWidget* parent, const char* name, const char* caption,
                       const QColor& captionColour, int x, int y, int w, int h) {
    return Place(new GroupBox(Utf8(caption), captionColour, parent), Utf8(name), x, y, w, h);
}

TextLabel* MakeLabel(QWidget* parent, const char* name, const char* text, const QColor& colour,
                     bool wrap, int x, int y, int w, int h) {
    return Place(new TextLabel(Utf8(text), colour, wrap, parent), Utf8(name), x, y, w, h);
}

struct LinkPlace {
    const char* name;
    int x, y, w, h;
};

struct CategoryPlace {
    char letter;
    int x, y;
};

// Front to back.
constexpr CategoryPlace kCategories[] = {
    {'H', 5, 42},   {'I', 71, 42},  {'J', 137, 42}, {'A', 5, 17},   {'B', 71, 17},  {'C', 137, 17},
    {'D', 203, 17}, {'E', 269, 17}, {'F', 334, 17}, {'G', 400, 17}, {'V', 5, 86},   {'W', 71, 86},
    {'X', 137, 86}, {'Y', 203, 86}, {'Z', 269, 86}, {'O', 5, 65},   {'P', 71, 65},  {'Q', 137, 65},
    {'R', 203, 65}, {'S', 269, 65}, {'T', 334, 65}, {'U', 400, 65}, {'N', 400, 42}, {'K', 202, 42},
    {'L', 268, 42}, {'M', 334, 42},
};

const QString kGenerateCaption = QString::fromUtf8("一 键 生 成");

}  // namespace

MainWindow::MainWindow(Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      desktop_(desktop) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Morvelin V8.8"));
    setFixedSize(kClientWidth, kClientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    pal.setColor(QPalette::Button, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(DefaultGuiFont());

    setWindowIcon(ProgramIcon());

    balloonTips_ = new BalloonTipComponent(this);
    balloonTips_->setObjectName(Utf8("气球提示框"));

    BuildBottomRightBox();
    BuildOutputBoxes();
    BuildInputBoxes();
    BuildBottomLeftBox();

    generateButton_ =
        Place(new QPushButton(kGenerateCaption, this), Utf8("生成关键词按钮"), 336, 507, 118, 24);
    generateButton_->setFont(SongTiPixelFont(16));
    generateButton_->setAutoDefault(false);
    generateButton_->setDefault(false);
    generateButton_->setCursor(Qt::PointingHandCursor);

    BuildCategoryBox();
}

void MainWindow::BuildBottomRightBox() {
    GroupBox* box = MakeGroupBox(this, "分组框9", "官方说明", kBlack, 428, 539, 453, 90);
    MakeLabel(box, "标签5", "标签", kGreen, true, 8, 36, 440, 49);
    MakeLabel(box, "标签4",
              "关键词支持快捷键：(全选 Ctrl+A)、(剪切Ctrl+X)、(复制Ctrl+C)、(粘贴Ctrl+V)", kBlue,
              false, 8, 12, 440, 24);
}

void MainWindow::BuildOutputBoxes() {
    GroupBox* box8 = MakeGroupBox(this, "分组框8", "二级生成", kBlue, 661, 2, 220, 534);
    panes_[4] = Place(new PaneEdit(Utf8("五级编辑框"), true, kBackground, box8), Utf8("五级编辑框"),
                      1, 20, 217, 512);
    GroupBox* box7 = MakeGroupBox(this, "分组框7", "一级生成", kBlue, 468, 2, 190, 534);
    panes_[3] = Place(new PaneEdit(Utf8("四级编辑框"), true, kBackground, box7), Utf8("四级编辑框"),
                      1, 20, 187, 512);
}

void MainWindow::BuildInputBoxes() {
    panes_[2] = Place(new PaneEdit(Utf8("三级编辑框"), false, kWhite, this), Utf8("三级编辑框"),
                      313, 20, 150, 400);
    MakeGroupBox(this, "分组框6", "请输入产品的类别", kBlue, 312, 2, 153, 420);
    panes_[1] = Place(new PaneEdit(Utf8("二级编辑框"), false, kWhite, this), Utf8("二级编辑框"),
                      157, 20, 150, 400);
    MakeGroupBox(this, "分组框5", "请输入产品的属性", kBlue, 156, 2, 153, 420);
    panes_[0] = Place(new PaneEdit(Utf8("一级编辑框"), false, kWhite, this), Utf8("一级编辑框"), 1,
                      20, 150, 400);
    MakeGroupBox(this, "分组框4", "请录入产品名称", kBlue, 0, 2, 153, 420);
    for (PaneEdit* pane : panes_) {
        pane->setFont(PaneFont());
    }
}

void MainWindow::BuildBottomLeftBox() {
    GroupBox* box = MakeGroupBox(this, "分组框1", "软件说明", kGrey, 1, 539, 424, 90);
    MakeLabel(box, "标签3", "友情支持：", kBlue, false, 12, 66, 59, 19);
    // Front to back; captions, addresses and colours come with the build's link table.
    constexpr LinkPlace places[] = {
        {"超级链接框10", 335, 67, 57, 16}, {"超级链接框6", 69, 67, 58, 16},
        {"超级链接框7", 134, 67, 51, 16},  {"超级链接框8", 192, 67, 79, 16},
        {"超级链接框9", 278, 67, 57, 16},  {"超级链接框1", 10, 47, 405, 19},
    };
    for (const LinkPlace& place : places) {
        const auto entry = std::find_if(kLinks.begin(), kLinks.end(), [&](const LinkEntry& e) {
            return std::strcmp(e.formName, place.name) == 0;
        });
        const LinkColors colours{QColor::fromRgb(entry->normal), QColor::fromRgb(entry->visited),
                                 QColor::fromRgb(entry->hover)};
        Place(new HyperlinkLabel(Utf8(entry->caption), Utf8(entry->url), colours, desktop_, box),
              Utf8(place.name), place.x, place.y, place.w, place.h);
    }
    MakeLabel(box, "标签2", "关键词每行一个，不能有无效数据或空行，否则将出现错误！", kGrey, false,
              11, 30, 325, 19);
    MakeLabel(box, "标签1", "以上三项分别是，产品、属性、类别，可以多种方式灵活搭配！", kGrey,
              false, 11, 12, 404, 19);
}

void MainWindow::BuildCategoryBox() {
    GroupBox* box = MakeGroupBox(this, "分组框3", "分类", kBlue, 1, 426, 464, 110);
    categoryGroup_ = new QButtonGroup(this);
    categoryGroup_->setExclusive(true);
    for (const CategoryPlace& place : kCategories) {
        const QString caption = Utf8("分类") + QChar(QLatin1Char(place.letter));
        auto* button = Place(new QRadioButton(caption, box), caption, place.x, place.y, 62, 16);
        QPalette pal = button->palette();
        pal.setColor(QPalette::WindowText, kBlack);
        button->setPalette(pal);
        button->setFont(SongTiPixelFont(14));
        button->setCursor(Qt::PointingHandCursor);
        categoryGroup_->addButton(button);
        categoryButtons_[static_cast<std::size_t>(place.letter - 'A')] = button;
    }
    categoryButtons_[0]->setChecked(true);
}

PaneEdit* MainWindow::Pane(int pane) const {
    if (pane < 1 || pane > static_cast<int>(panes_.size())) {
        return nullptr;
    }
    return panes_[static_cast<std::size_t>(pane - 1)];
}

QAbstractButton* MainWindow::CategoryButton(char letter) const {
    if (letter < 'a' || letter > 'z') {
        return nullptr;
    }
    return categoryButtons_[static_cast<std::size_t>(letter - 'a')];
}

void MainWindow::SetRunLocked(bool locked) {
    generateButton_->setEnabled(!locked);
    for (QAbstractButton* button : categoryButtons_) {
        button->setEnabled(!locked);
    }
    for (PaneEdit* pane : panes_) {
        pane->SetRunLocked(locked);
    }
    if (!locked) {
        ShowProgress(-1);
    }
}

void MainWindow::ShowProgress(int percent) {
    if (percent < 0) {
        generateButton_->setText(kGenerateCaption);
    } else {
        generateButton_->setText(Utf8("生成中 %1%").arg(percent));
    }
}

QPoint MainWindow::CentredPosition(const QSize& screen) {
    // Integer division truncates towards zero, also for a screen smaller than the window.
    return {(screen.width() - kOuterWidth) / 2, (screen.height() - kOuterHeight) / 2};
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Esc reaches the window from whichever control has the focus: none of them takes it.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing always goes ahead; the window is destroyed by its owner once the loop has ended.
    if (!closingSent_) {
        closingSent_ = true;
        Q_EMIT closing();
    }
    event->accept();
}

}  // namespace morvelin
