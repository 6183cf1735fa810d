#include "qt/MainWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFont>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include "behaviour/Layout.h"
#include "qt/BalloonTip.h"
#include "qt/Desktop.h"
#include "qt/Fonts.h"
#include "qt/GroupBox.h"
#include "qt/HyperlinkLabel.h"
#include "qt/PaneEdit.h"
#include "qt/ProgramIcon.h"
#include "qt/QtText.h"
#include "qt/TextLabel.h"

namespace morvelin {

namespace {

QFont FontOf(FontKind font) {
    switch (font) {
        case FontKind::Pane:
            return PaneFont();
        case FontKind::SongTiPixels14:
            return SongTiPixelFont(14);
        case FontKind::SongTiPixels16:
            return SongTiPixelFont(16);
        case FontKind::DefaultGui:
            break;
    }
    return DefaultGuiFont();
}

const QString kGenerateCaption = QString::fromUtf8(LayoutOf(ControlId::GenerateButton).caption);

}  // namespace

MainWindow::MainWindow(Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      desktop_(desktop) {
    const WindowLayout& layout = MainWindowLayout();
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(Utf8(layout.caption));
    setFixedSize(layout.clientWidth, layout.clientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToColor(layout.background));
    pal.setColor(QPalette::Button, ToColor(layout.background));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(DefaultGuiFont());

    setWindowIcon(ProgramIcon());

    // Parents come before their children in the table, and siblings front to back: each new
    // control goes behind those made before it, so the earlier one is drawn over it.
    for (const ControlLayout& control : ControlLayouts()) {
        if (control.kind == ControlKind::BalloonTips) {
            // No widget of its own: it makes the balloons when they show.
            balloonTips_ = new BalloonTipComponent(this);
            balloonTips_->setObjectName(Utf8(control.formName));
            continue;
        }
        QWidget* widget = Build(control);
        widget->setObjectName(Utf8(control.formName));
        widget->setGeometry(control.x, control.y, control.width, control.height);
        widget->lower();
        controls_[static_cast<std::size_t>(control.id)] = widget;
    }
    categoryButtons_[0]->setChecked(true);
}

QWidget* MainWindow::Build(const ControlLayout& control) {
    QWidget* parent = control.parent == ControlId::Window
                          ? this
                          : controls_[static_cast<std::size_t>(control.parent)];
    const QString caption = Utf8(control.caption);
    switch (control.kind) {
        case ControlKind::BalloonTips:
            break;
        case ControlKind::GroupBox:
            return new GroupBox(caption, ToColor(control.text), parent);
        case ControlKind::Pane: {
            int number = 0;
            for (int n = 1; n <= kPaneCount; ++n) {
                if (PaneControl(n) == control.id) {
                    number = n;
                }
            }
            auto* pane = new PaneEdit(number, Utf8(control.formName), control.wraps,
                                      ToColor(control.background), parent);
            pane->setFont(FontOf(control.font));
            panes_[static_cast<std::size_t>(number - 1)] = pane;
            return pane;
        }
        case ControlKind::Label:
            return new TextLabel(caption, ToColor(control.text), control.wraps, parent);
        case ControlKind::HyperlinkLabel: {
            const LinkLayout& link = LinkOf(control.id);
            const LinkColors colours{ToColor(link.normal), ToColor(link.visited),
                                     ToColor(link.hover)};
            return new HyperlinkLabel(caption, Utf8(link.url), colours, desktop_, parent);
        }
        case ControlKind::RadioButton: {
            if (categoryGroup_ == nullptr) {
                categoryGroup_ = new QButtonGroup(this);
                categoryGroup_->setExclusive(true);
            }
            auto* button = new QRadioButton(caption, parent);
            QPalette pal = button->palette();
            pal.setColor(QPalette::WindowText, ToColor(control.text));
            button->setPalette(pal);
            button->setFont(FontOf(control.font));
            button->setCursor(Qt::PointingHandCursor);
            categoryGroup_->addButton(button);
            const int index = static_cast<int>(control.id) - static_cast<int>(ControlId::CategoryA);
            categoryButtons_[static_cast<std::size_t>(index)] = button;
            return button;
        }
        case ControlKind::PushButton:
            generateButton_ = new QPushButton(caption, parent);
            generateButton_->setFont(FontOf(control.font));
            generateButton_->setAutoDefault(false);
            generateButton_->setDefault(false);
            generateButton_->setCursor(Qt::PointingHandCursor);
            return generateButton_;
    }
    return new QWidget(parent);
}

QWidget* MainWindow::Control(ControlId id) const {
    return id == ControlId::Window ? const_cast<MainWindow*>(this)
                                   : controls_[static_cast<std::size_t>(id)];
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
    const WindowLayout& layout = MainWindowLayout();
    return {(screen.width() - layout.outerWidth) / 2, (screen.height() - layout.outerHeight) / 2};
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
