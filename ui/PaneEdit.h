#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/Text.h"

class QTextDocument;

namespace morvelin {

// One of the five text panes. Setting and reading the whole text live here and nowhere else, so
// the way a large text is filled in can change without touching any caller.
//
// Every change of the content, typed or set, emits paneTextChanged exactly once after it is
// complete; a set emits it also when the text equals the old one.
//
// A large text goes in through a fill: a fresh document takes it in steps between the UI thread's
// other events, so the window stays responsive while a million lines arrive. The pane is
// read-only while it fills and reports the change once, when the filler finishes it.
class PaneEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    // `wrap` wraps lines at the pane's width with a vertical scroll bar only; otherwise long lines
    // scroll sideways and both scroll bars show.
    PaneEdit(const QString& objectName, bool wrap, const QColor& background, QWidget* parent);
    ~PaneEdit() override;

    // Replaces the whole content at once; '\n' separates lines (see TextCodec::ToPaneText). Works
    // also while the pane is read-only: only the user is kept from editing. The text is released
    // before the change is reported, so a large one is not held while the pane's save runs. Ends a
    // fill in progress first.
    void SetText(QString text);

    // Starts a replace that fills in steps. `filled` is called once every line is in, or at
    // once when the fill is ended early by a new replace, a cancel or the pane's end; the pane then
    // stays read-only and silent until FinishFill. `progress` gets the lines of each step. Returns
    // the old document, detached from the pane, for the caller to delete where it costs nothing.
    struct FillStart {
        unsigned fill = 0;  // names the fill for FinishFill
        std::unique_ptr<QTextDocument> oldDocument;
    };
    // With `more`, further parts follow through AppendFill, the last one marked so; the fill is
    // complete only after it.
    FillStart BeginFill(QString text, std::function<void()> filled,
                        std::function<void(qsizetype lines)> progress = {}, bool more = false);
    // The next part of the fill `fill`, which must end at a line break unless it is the last;
    // ignored when that fill has ended.
    void AppendFill(unsigned fill, QString text, bool last);
    // Ends the complete fill `fill`: the pane is editable again, `exactBytes` (what a read of the
    // new content gives, or null when unknown) is remembered, and the change is reported once.
    // Does nothing unless that fill is complete and still the pane's, as after a cancel or a
    // newer replace.
    void FinishFill(unsigned fill, std::shared_ptr<const Text> exactBytes);
    // Ends a fill in progress without reporting it: the pane keeps the lines that are in.
    void CancelFill();
    bool Filling() const { return fill_ != nullptr; }

    // The whole content as the document holds it: paragraphs separated by U+2029.
    QString RawText() const;

    // What a read of the content gives (CR LF lines, GB18030) as it was known at the last finished
    // fill, while nothing has changed since; null otherwise.
    std::shared_ptr<const Text> ExactBytes() const { return exactBytes_; }

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
    struct Fill;

    void UpdateReadOnly();
    void FillStep();
    // Ends the fill's part of the pane: undo back on, the document unmodified, editable again.
    void EndFill();

    bool fileReadOnly_ = false;
    bool runLocked_ = false;
    bool setting_ = false;
    std::unique_ptr<Fill> fill_;
    unsigned lastFill_ = 0;
    QTimer fillTimer_;
    std::shared_ptr<const Text> exactBytes_;
};

}  // namespace morvelin
