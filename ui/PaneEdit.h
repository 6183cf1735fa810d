#pragma once

#include <QColor>
#include <QPlainTextEdit>
#include <QString>

namespace morvelin {

// One of the five text panes. Setting and reading the whole text live here and nowhere else, so
// the way a large text is filled in can change without touching any caller.
//
// Every change of the content, typed or set, emits paneTextChanged exactly once after it is
// complete; a set emits it also when the text equals the old one.
class PaneEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    // `wrap` wraps lines at the pane's width with a vertical scroll bar only; otherwise long lines
    // scroll sideways and both scroll bars show.
    PaneEdit(const QString& objectName, bool wrap, const QColor& background, QWidget* parent);

    // Replaces the whole content; '\n' separates lines (see TextCodec::ToPaneText). Works also
    // while the pane is read-only: only the user is kept from editing. The text is released
    // before the change is reported, so a large one is not held while the pane's save runs.
    void SetText(QString text);

    // The whole content as the document holds it: paragraphs separated by U+2029.
    QString RawText() const;

    // The data file of this pane cannot be written: the pane shows its content read-only.
    void SetFileReadOnly(bool readOnly);
    bool FileReadOnly() const { return fileReadOnly_; }

    // A generation runs: no editing until it ends. Independent of the file's read-only state.
    void SetRunLocked(bool locked);

  Q_SIGNALS:
    void paneTextChanged();
    // The second press of a left double-click, before the pane selects the word under it.
    void doubleClicked();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void UpdateReadOnly();

    bool fileReadOnly_ = false;
    bool runLocked_ = false;
    bool setting_ = false;
};

}  // namespace morvelin
