#pragma once

// The engine's header uses Qt's plain keywords, which this build turns off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintillabase.h>
#undef signals
#undef slots

#include <QColor>

#include <QString>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "behaviour/PaneMenu.h"

namespace morvelin {

// One of the five text panes, on the Scintilla engine. The pane holds its text as UTF-8 with lines
// ended by CR LF; setting and reading the whole text live here and nowhere else.
//
// Every change of the content emits paneTextChanged exactly once, synchronously, after it is
// complete: a keystroke, a paste that replaces a selection, an undo or a drop is one change. A set
// emits it also when the text equals the old one. An input-method composition that is not
// committed is no change: the pane reports the commit, once, and a read never gives the
// composition's provisional text.
//
// NUL and SUB typed, pasted or dropped into the pane are dropped: a data file's text ends at the
// first of them.
class PaneEdit : public QsciScintillaBase {
    Q_OBJECT
  public:
    // A line longer than this many bytes is held and read whole, but drawn only up to here, and a
    // wrapping pane stops wrapping while it holds one. The engine measures a line it draws or wraps
    // as a whole, at some 0.5 s per megabyte here: a 10 MB line would hold the window for seconds
    // at each first paint. Up to this length a line takes a few tens of milliseconds.
    static constexpr std::size_t kLongLineBytes = 64 * 1024;
    // A wrapping pane does not wrap a text of more lines than this. The engine keeps per-line
    // wrapping data only once a line needs two rows, and then builds it for every line at once,
    // on the UI thread: some 100 ns a line, 0.1 s at a million.
    static constexpr std::size_t kWrapMaxLines = 250'000;

    // `wrap` wraps lines at the pane's width with a vertical scroll bar only; otherwise long lines
    // scroll sideways and both scroll bars show.
    PaneEdit(int pane, const QString& objectName, bool wrap, const QColor& background,
             QWidget* parent);

    // A new content for the pane, taken in off the UI thread: the pane makes an empty document
    // (UI thread), a worker fills it, and the pane shows it in one short step (UI thread). A
    // loader that is not shown is dropped on whichever thread destroys it.
    class Loader {
      public:
        Loader(const Loader&) = delete;
        Loader& operator=(const Loader&) = delete;
        ~Loader();
        // Takes in `utf8` (UTF-8, lines ended by CR LF, no NUL); any thread. False when memory
        // ran out.
        bool Load(std::string_view utf8);

      private:
        friend class PaneEdit;
        explicit Loader(void* engine) : engine_(engine) {}
        void* engine_;  // the engine's loader interface
    };
    // UI thread; null when memory ran out.
    std::unique_ptr<Loader> NewLoader();
    // Replaces the whole content with the loader's, also while the pane is read-only: only the
    // user is kept from editing. The set cannot be undone, and an input-method composition in
    // progress is dropped. `shape` is the text's, as Measure gives it. Reports the change once,
    // also for the same text.
    struct Shape {
        std::size_t lines = 1;
        std::size_t longestLine = 0;  // in bytes
    };
    void SetLoaded(std::unique_ptr<Loader> loader, Shape shape);

    // The same in one call on the UI thread. False when memory ran out: the pane is then as it
    // was and reports nothing, so nothing is saved.
    bool SetText(std::string_view utf8);
    // The lines of `text` and the length of its longest; any thread.
    static Shape Measure(std::string_view text);

    // The whole content as UTF-8, without an input-method composition in progress.
    std::string Utf8Text() const;

    // The data file of this pane cannot be written: the pane shows its content read-only.
    void SetFileReadOnly(bool readOnly);
    // A generation runs: no editing until it ends. Independent of the file's read-only state.
    void SetRunLocked(bool locked);
    bool isReadOnly() const { return fileReadOnly_ || runLocked_; }

    // The layout's choice for the pane, and whether it wraps now (not while it holds a long line).
    bool WrapsByLayout() const { return wrap_; }
    bool WrapsLines() const;

    // An input-method composition is in progress.
    bool Composing() const { return composing_; }
    bool HasSelection() const;
    bool CanUndo() const;
    // Moves the caret to the end of the text.
    void MoveToEnd();

    // Replaces the whole text as one edit of the user's, which one undo takes back; reported as
    // one change.
    void ReplaceAllAsEdit(std::string_view utf8);

  Q_SIGNALS:
    void paneTextChanged();
    // The second press of a left double-click, before the pane selects the word under it.
    void doubleClicked();
    // A tool of the pane's menu was chosen; it runs after the menu has closed.
    void toolChosen(int command);

  protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;

  private:
    void OnModified(int position, int type, int length);
    // Emits the change that the event just handled made, if any.
    void ReportChange();
    void EndComposition();
    // What belongs to a document rather than the view: UTF-8, CR LF, no undo history.
    void SetUpDocument();
    void RunMenuCommand(PaneCommand command);
    void ApplyFont();
    void ApplyReadOnly();
    void ApplyWrap(Shape shape);
    // Draws the lines from `first` to `last` up to kLongLineBytes each; what lies beyond takes no
    // room on the screen. Turns wrapping off when one of them is that long.
    void LimitDrawnLines(long first, long last);

    const bool wrap_;
    const QColor background_;
    const int pane_;
    bool fileReadOnly_ = false;
    bool runLocked_ = false;
    bool setting_ = false;
    bool changed_ = false;
    int eventDepth_ = 0;
    // The lines that the changes of the current event touched, and whether a drawn line was cut.
    long changedFirstLine_ = -1;
    long changedLastLine_ = -1;
    long linesBeforeChange_ = 0;
    bool cutLines_ = false;
    // The composition: while the engine handles an input-method event, where its provisional text
    // starts and how long the document was without it.
    bool composing_ = false;
    bool inInputMethod_ = false;
    bool commitInEvent_ = false;
    long compositionStart_ = 0;
    long lengthWithoutComposition_ = 0;
};

}  // namespace morvelin
