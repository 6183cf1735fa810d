#include "ui/PaneEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <deque>

namespace morvelin {

namespace {

// A fill step inserts pieces of this many lines until it has used its share of the UI thread's
// time. Measured on a 2-core machine at about 4 us a line: every piece costs the document a fixed
// overhead on top (with 256-line pieces the fill took some 30 % longer than one setPlainText),
// while a piece of 2048 lines stays under 10 ms, so a step holds the window up for 20 ms or so.
constexpr int kPieceLines = 2048;
constexpr qint64 kStepBudgetMs = 12;

}  // namespace

struct PaneEdit::Fill {
    unsigned id = 0;
    // The parts still to go in, each shared with the setter, which may read it on its own thread
    // meanwhile; `next` is the position in the first.
    std::deque<QString> parts;
    qsizetype next = 0;
    bool more = false;
    bool complete = false;
    std::function<void()> filled;
    std::function<void(qsizetype)> progress;
};

PaneEdit::PaneEdit(const QString& objectName, bool wrap, const QColor& background, QWidget* parent)
    : QPlainTextEdit(parent) {
    setObjectName(objectName);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(1);
    setTabChangesFocus(true);
    setFocusPolicy(Qt::StrongFocus);
    setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);

    QPalette pal = palette();
    pal.setColor(QPalette::Base, background);
    // The selection shows only while the pane has the focus: unfocused, it is drawn as plain text.
    pal.setColor(QPalette::Inactive, QPalette::Highlight, background);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::Text));
    setPalette(pal);
    setBackgroundVisible(false);

    // A real timer with interval 0, not a queued call: the UI thread's other events get their turn
    // between two steps.
    fillTimer_.setInterval(0);
    connect(&fillTimer_, &QTimer::timeout, this, &PaneEdit::FillStep);

    // textChanged also fires for changes that leave the text as it was (a format change), and a
    // set goes through SetText or a fill, which report on their own; only edits by the user pass
    // here.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!setting_ && !fill_) {
            exactBytes_.reset();
            Q_EMIT paneTextChanged();
        }
    });
}

PaneEdit::~PaneEdit() {
    // A setter that still waits must not wait for a pane that is gone.
    if (fill_ && fill_->filled) {
        fill_->filled();
    }
}

void PaneEdit::SetText(QString text) {
    CancelFill();
    exactBytes_.reset();
    setting_ = true;
    setPlainText(text);
    text = QString();
    setting_ = false;
    Q_EMIT paneTextChanged();
}

PaneEdit::FillStart PaneEdit::BeginFill(QString text, std::function<void()> filled,
                                        std::function<void(qsizetype lines)> progress, bool more) {
    CancelFill();
    exactBytes_.reset();

    // A fresh document: setPlainText on the old one would clear it first, and both that and the
    // one-piece insert hold the UI thread for the whole text.
    auto* fresh = new QTextDocument(this);
    fresh->setDocumentLayout(new QPlainTextDocumentLayout(fresh));
    fresh->setDefaultFont(font());
    fresh->setDocumentMargin(document()->documentMargin());
    fresh->setUndoRedoEnabled(false);

    FillStart start;
    start.oldDocument.reset(document());
    // The text control deletes a document it owns when another is set; this one is the caller's.
    start.oldDocument->setParent(nullptr);
    setting_ = true;
    setDocument(fresh);
    setting_ = false;

    fill_ = std::make_unique<Fill>();
    fill_->id = ++lastFill_;
    if (!text.isEmpty()) {
        fill_->parts.push_back(std::move(text));
    }
    fill_->more = more;
    fill_->filled = std::move(filled);
    fill_->progress = std::move(progress);
    start.fill = fill_->id;
    UpdateReadOnly();
    if (fill_->parts.empty()) {
        FillStep();
    } else {
        fillTimer_.start();
    }
    return start;
}

void PaneEdit::AppendFill(unsigned fill, QString text, bool last) {
    if (!fill_ || fill_->id != fill || fill_->complete || !fill_->more) {
        return;
    }
    if (!text.isEmpty()) {
        fill_->parts.push_back(std::move(text));
    }
    fill_->more = !last;
    if (!fillTimer_.isActive()) {
        fillTimer_.start();
    }
}

void PaneEdit::FillStep() {
    if (!fill_ || fill_->complete) {
        fillTimer_.stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // One edit block per step: the layout and the pane hear of the step's lines once.
    cursor.beginEditBlock();
    qsizetype lines = 0;
    while (!fill_->parts.empty() && clock.elapsed() < kStepBudgetMs) {
        const QStringView part(std::as_const(fill_->parts.front()));
        const qsizetype next = fill_->next;
        qsizetype end = next;
        int pieceLines = 0;
        while (end < part.size() && pieceLines < kPieceLines) {
            const qsizetype newline = part.indexOf(u'\n', end);
            end = newline < 0 ? part.size() : newline + 1;
            ++pieceLines;
        }
        cursor.insertText(part.sliced(next, end - next).toString());
        lines += pieceLines;
        fill_->next = end;
        if (end == part.size()) {
            // Only the pane's share: the setter holds its own while it still reads the part.
            fill_->parts.pop_front();
            fill_->next = 0;
        }
    }
    cursor.endEditBlock();
    if (fill_->progress && lines > 0) {
        fill_->progress(lines);
    }
    if (!fill_->parts.empty()) {
        return;
    }
    fillTimer_.stop();
    if (fill_->more) {
        return;  // AppendFill starts the steps again
    }
    fill_->complete = true;
    if (fill_->filled) {
        auto filled = std::move(fill_->filled);
        fill_->filled = nullptr;
        filled();
    }
}

void PaneEdit::FinishFill(unsigned fill, std::shared_ptr<const Text> exactBytes) {
    if (!fill_ || fill_->id != fill || !fill_->complete) {
        return;
    }
    EndFill();
    exactBytes_ = std::move(exactBytes);
    Q_EMIT paneTextChanged();
}

void PaneEdit::CancelFill() {
    if (!fill_) {
        return;
    }
    auto filled = std::move(fill_->filled);
    EndFill();
    if (filled) {
        filled();
    }
}

void PaneEdit::EndFill() {
    fillTimer_.stop();
    fill_.reset();
    setting_ = true;
    document()->setUndoRedoEnabled(true);
    document()->setModified(false);
    setting_ = false;
    UpdateReadOnly();
}

QString PaneEdit::RawText() const {
    return document()->toRawText();
}

void PaneEdit::SetFileReadOnly(bool readOnly) {
    fileReadOnly_ = readOnly;
    UpdateReadOnly();
}

void PaneEdit::SetRunLocked(bool locked) {
    runLocked_ = locked;
    UpdateReadOnly();
}

void PaneEdit::UpdateReadOnly() {
    const bool readOnly = fileReadOnly_ || runLocked_ || fill_ != nullptr;
    setReadOnly(readOnly);
    // A read-only pane still lets the user select and copy.
    if (readOnly) {
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}

void PaneEdit::keyPressEvent(QKeyEvent* event) {
    // Esc belongs to the window (it closes it); the pane must not swallow it.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void PaneEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Q_EMIT doubleClicked();
    }
    // The handler has returned (its box closed): now the pane selects the word as usual.
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

}  // namespace morvelin
