#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "behaviour/Layout.h"
#include "core/Text.h"

class QAbstractButton;
class QButtonGroup;
class QPushButton;

namespace morvelin {

class BalloonTipComponent;
class Desktop;
class PaneEdit;

// The one window: five panes, 26 category buttons, the generate button, and the boxes of fixed
// texts and links along the bottom. Layout only; the handlers are connected from outside once the
// window is built, so nothing done while building reaches them.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kCategoryCount = 26;

    // Built hidden from the layout tables; `desktop` opens the hyperlink labels' pages.
    explicit MainWindow(Desktop& desktop, QWidget* parent = nullptr);

    // Pane 1 to 5.
    PaneEdit* Pane(int pane) const;
    // The category button of letter a to z.
    QAbstractButton* CategoryButton(char letter) const;
    QPushButton* GenerateButton() const { return generateButton_; }
    // Any control of the layout tables with a widget (all but the balloon-tip component); the
    // window itself for ControlId::Window.
    QWidget* Control(ControlId id) const;
    // The balloon-tip component (气球提示框) that the tips are attached to.
    BalloonTipComponent* BalloonTips() const { return balloonTips_; }

    // While a generation runs nothing may start another or change what it reads: the generate
    // and category buttons are disabled and the panes take no edits.
    void SetRunLocked(bool locked);
    // Shows a run's progress on the generate button; a negative value restores its caption.
    void ShowProgress(int percent);

    // The top-left corner of the frame that centres the outer size on a screen of this size.
    static QPoint CentredPosition(const QSize& screen);

  Q_SIGNALS:
    // The window is closing for good (close button, Alt+F4 or Esc); its controls still exist.
    void closing();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Makes the widget of one row of the layout table, in its parent, without place or name.
    QWidget* Build(const ControlLayout& control);

    Desktop& desktop_;
    BalloonTipComponent* balloonTips_ = nullptr;
    std::array<QWidget*, static_cast<std::size_t>(ControlId::CategoryZ) + 1> controls_{};
    std::array<PaneEdit*, kPaneCount> panes_{};
    std::array<QAbstractButton*, kCategoryCount> categoryButtons_{};
    QButtonGroup* categoryGroup_ = nullptr;
    QPushButton* generateButton_ = nullptr;
    bool closingSent_ = false;
};

}  // namespace morvelin
