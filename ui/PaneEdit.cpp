#include "ui/PaneEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QTextDocument>

namespace morvelin {

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

    // textChanged also fires for changes that leave the text as it was (a format change), and a
    // set goes through SetText, which reports on its own; only edits by the user pass here.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!setting_) {
            Q_EMIT paneTextChanged();
        }
    });
}

void PaneEdit::SetText(QString text) {
    setting_ = true;
    setPlainText(text);
    text = QString();
    setting_ = false;
    Q_EMIT paneTextChanged();
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
    const bool readOnly = fileReadOnly_ || runLocked_;
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
