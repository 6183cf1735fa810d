#include "qt/PaneEdit.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "core/PaneTools.h"
#include "qt/QtText.h"
#include "qt/TextCodec.h"

// The engine's interface for filling a document off the UI thread, as SCI_CREATELOADER gives it: a
// document that no view shows yet, so any one thread may add to it. Declared here under the
// engine's own name, as QScintilla does not install the engine's header that has it.
class ILoader {
  public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;

  protected:
    ~ILoader() = default;
};

namespace morvelin {

namespace {

using Sci = QsciScintillaBase;

// Scintilla's key definitions: the key in the low word, the modifiers above.
constexpr unsigned long KeyDefinition(int key, int modifiers) {
    return static_cast<unsigned long>(key) | (static_cast<unsigned long>(modifiers) << 16);
}

// The engine's line commands and zoom that a plain text box has not: a keystroke does what it did.
constexpr unsigned long kForeignKeys[] = {
    KeyDefinition('L', Sci::SCMOD_CTRL),
    KeyDefinition('L', Sci::SCMOD_CTRL | Sci::SCMOD_SHIFT),
    KeyDefinition('T', Sci::SCMOD_CTRL),
    KeyDefinition('T', Sci::SCMOD_CTRL | Sci::SCMOD_SHIFT),
    KeyDefinition('D', Sci::SCMOD_CTRL),
    KeyDefinition('U', Sci::SCMOD_CTRL),
    KeyDefinition('U', Sci::SCMOD_CTRL | Sci::SCMOD_SHIFT),
    KeyDefinition(Sci::SCK_ADD, Sci::SCMOD_CTRL),
    KeyDefinition(Sci::SCK_SUBTRACT, Sci::SCMOD_CTRL),
    KeyDefinition(Sci::SCK_DIVIDE, Sci::SCMOD_CTRL),
};

// The style of what lies beyond kLongLineBytes in a line: measured and drawn as nothing.
constexpr unsigned long kBeyondDrawnStyle = 1;

// What the pane hears of its document: text in and out.
// The engine tells of every change before it is made. Not after: the widget answers each
// after-change notice by counting the characters from the document's start up to the change (for
// assistive tools, whether any is listening or not), which costs some 20 ms a change in a pane of
// 100,000 lines.
constexpr unsigned long kModificationEvents = Sci::SC_MOD_BEFOREINSERT | Sci::SC_MOD_BEFOREDELETE;

// NUL and SUB never go into a pane: a data file's text ends at the first of them.
bool IsCutCharacter(QChar c) {
    return c == QChar(0) || c == QChar(0x1A);
}

}  // namespace

PaneEdit::PaneEdit(int pane, const QString& objectName, bool wrap, const QColor& background,
                   QWidget* parent)
    : QsciScintillaBase(parent), wrap_(wrap), background_(background), pane_(pane) {
    setObjectName(objectName);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);

    SetUpDocument();
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1);
    // Plain text: no margins, no folding, no styling, no menu of the engine's own.
    for (unsigned long margin = 0; margin < 5; ++margin) {
        SendScintilla(SCI_SETMARGINWIDTHN, margin, 0L);
    }
    SendScintilla(SCI_SETMARGINLEFT, 0UL, 2L);
    SendScintilla(SCI_SETMARGINRIGHT, 0UL, 2L);
    SendScintilla(SCI_USEPOPUP, SC_POPUP_NEVER);
    for (unsigned long key : kForeignKeys) {
        SendScintilla(SCI_CLEARCMDKEY, key);
    }
    SendScintilla(SCI_SETMODEVENTMASK, kModificationEvents);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    // Laid out lines are kept for the visible page only: a pane of a million lines must not keep a
    // layout per line.
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    SendScintilla(SCI_SETWRAPVISUALFLAGS, SC_WRAPVISUALFLAG_NONE);
    ApplyWrap({});
    ApplyFont();

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
                OnModified(position, type, length);
            });
}

PaneEdit::Shape PaneEdit::Measure(std::string_view text) {
    Shape shape;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto* newline =
            static_cast<const char*>(std::memchr(text.data() + start, '\n', text.size() - start));
        if (newline == nullptr) {
            shape.longestLine = std::max(shape.longestLine, text.size() - start);
            break;
        }
        const auto end = static_cast<std::size_t>(newline - text.data());
        shape.longestLine = std::max(shape.longestLine, end - start);
        ++shape.lines;
        start = end + 1;
    }
    return shape;
}

PaneEdit::Loader::~Loader() {
    if (engine_ != nullptr) {
        static_cast<ILoader*>(engine_)->Release();
    }
}

bool PaneEdit::Loader::Load(std::string_view utf8) {
    return utf8.empty() ||
           static_cast<ILoader*>(engine_)->AddData(
               utf8.data(), static_cast<std::ptrdiff_t>(utf8.size())) == SC_STATUS_OK;
}

std::unique_ptr<PaneEdit::Loader> PaneEdit::NewLoader() {
    void* engine = nullptr;
    try {
        // No room reserved: the text's memory is taken, and touched, by the thread that loads it.
        engine = reinterpret_cast<void*>(
            SendScintilla(SCI_CREATELOADER, 0UL, SC_DOCUMENTOPTION_DEFAULT));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (engine == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<Loader>(new Loader(engine));
}

void PaneEdit::SetLoaded(std::unique_ptr<Loader> loader, Shape shape) {
    EndComposition();
    setting_ = true;
    changed_ = false;
    // Not wrapped while the document comes in when it holds a long line, so the engine never lays
    // that line out wrapped.
    ApplyWrap(shape);
    void* document = static_cast<ILoader*>(loader->engine_)->ConvertToDocument();
    loader->engine_ = nullptr;
    SendScintilla(SCI_SETDOCPOINTER, 0UL, document);
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, document);  // the pane holds it now
    SetUpDocument();
    cutLines_ = false;
    if (shape.longestLine > kLongLineBytes) {
        LimitDrawnLines(0, SendScintilla(SCI_GETLINECOUNT) - 1);
    }
    ApplyReadOnly();
    setting_ = false;
    Q_EMIT paneTextChanged();
}

bool PaneEdit::SetText(std::string_view utf8) {
    std::unique_ptr<Loader> loader = NewLoader();
    if (!loader || !loader->Load(utf8)) {
        return false;
    }
    SetLoaded(std::move(loader), Measure(utf8));
    return true;
}

void PaneEdit::SetUpDocument() {
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    SendScintilla(SCI_SETEOLMODE, SC_EOL_CRLF);
    // A loaded document comes without undo.
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

std::string PaneEdit::Utf8Text() const {
    const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
    const auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    if (length == 0 || text == nullptr) {
        return {};
    }
    if (!composing_) {
        return std::string(text, length);
    }
    // The composition's provisional text sits at its start, between the text around it.
    const auto start = static_cast<std::size_t>(compositionStart_);
    const std::size_t composed = length - static_cast<std::size_t>(lengthWithoutComposition_);
    std::string result(text, start);
    result.append(text + start + composed, length - start - composed);
    return result;
}

void PaneEdit::SetFileReadOnly(bool readOnly) {
    fileReadOnly_ = readOnly;
    ApplyReadOnly();
}

void PaneEdit::SetRunLocked(bool locked) {
    runLocked_ = locked;
    ApplyReadOnly();
}

void PaneEdit::ApplyReadOnly() {
    if (isReadOnly()) {
        // The engine ignores a composition's events in a read-only pane: end it first.
        EndComposition();
    }
    // A read-only pane still lets the user select and copy.
    SendScintilla(SCI_SETREADONLY, isReadOnly() ? 1UL : 0UL);
}

bool PaneEdit::WrapsLines() const {
    return SendScintilla(SCI_GETWRAPMODE) != SC_WRAP_NONE;
}

void PaneEdit::LimitDrawnLines(long first, long last) {
    for (long line = first; line <= last; ++line) {
        const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
        if (end - start <= static_cast<long>(kLongLineBytes) && !cutLines_) {
            continue;
        }
        long cut = std::min(end, start + static_cast<long>(kLongLineBytes));
        // At a character's first byte.
        while (cut > start && (SendScintilla(SCI_GETCHARAT, cut) & 0xC0) == 0x80) {
            --cut;
        }
        SendScintilla(SCI_STARTSTYLING, start);
        SendScintilla(SCI_SETSTYLING, cut - start, 0L);
        if (cut < end) {
            SendScintilla(SCI_SETSTYLING, end - cut, static_cast<long>(kBeyondDrawnStyle));
            cutLines_ = true;
            ApplyWrap({0, static_cast<std::size_t>(end - start)});
        }
    }
}

void PaneEdit::ApplyWrap(Shape shape) {
    const bool wraps = wrap_ && shape.lines <= kWrapMaxLines && shape.longestLine <= kLongLineBytes;
    if (wraps != WrapsLines()) {
        SendScintilla(SCI_SETWRAPMODE, wraps ? SC_WRAP_WORD : SC_WRAP_NONE);
    }
    // A pane that does not wrap scrolls sideways. (The engine sets both policies on a change of
    // wrapping.)
    setHorizontalScrollBarPolicy(wraps ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

bool PaneEdit::HasSelection() const {
    return SendScintilla(SCI_GETSELECTIONEMPTY) == 0;
}

bool PaneEdit::CanUndo() const {
    return SendScintilla(SCI_CANUNDO) != 0;
}

void PaneEdit::MoveToEnd() {
    SendScintilla(SCI_DOCUMENTEND);
}

void PaneEdit::ApplyFont() {
    const QFont f = font();
    const QByteArray family = f.family().toUtf8();
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, family.constData());
    if (f.pointSizeF() > 0) {
        SendScintilla(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT,
                      static_cast<long>(f.pointSizeF() * 100));
    }
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, background_);
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, QColor(Qt::black));
    SendScintilla(SCI_STYLECLEARALL);
    SendScintilla(SCI_STYLESETVISIBLE, kBeyondDrawnStyle, 0L);
    SendScintilla(SCI_SETSELBACK, 1UL, palette().color(QPalette::Active, QPalette::Highlight));
    SendScintilla(SCI_SETSELFORE, 1UL,
                  palette().color(QPalette::Active, QPalette::HighlightedText));
}

void PaneEdit::OnModified(int position, int type, int length) {
    if (setting_) {
        return;
    }
    if (inInputMethod_) {
        // Inside an input-method event only the commit's own characters change the pane; the
        // provisional text and its removal do not.
        if (commitInEvent_ && (type & SC_MOD_BEFOREINSERT) != 0) {
            changed_ = true;
        }
        return;
    }
    changed_ = true;
    // Told before the change: the lines it touches are its own line and, for an insert, the
    // lines it adds, which the count of lines at the report gives.
    static_cast<void>(length);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, position);
    if (changedFirstLine_ < 0) {
        linesBeforeChange_ = SendScintilla(SCI_GETLINECOUNT);
        changedFirstLine_ = changedLastLine_ = line;
    }
    changedFirstLine_ = std::min(changedFirstLine_, line);
    changedLastLine_ = std::max(changedLastLine_, line);
}

void PaneEdit::ReportChange() {
    if (changedFirstLine_ >= 0) {
        // Lines may have grown past the drawn length, or shrunk back, or typed text may sit in a
        // part that is not drawn.
        const long lineCount = SendScintilla(SCI_GETLINECOUNT);
        const long added = std::max(0L, lineCount - linesBeforeChange_);
        const long lastLine = std::min(changedLastLine_ + added, lineCount - 1);
        const long firstLine = changedFirstLine_;
        changedFirstLine_ = changedLastLine_ = -1;
        LimitDrawnLines(firstLine, lastLine);
        if (WrapsLines() && lastLine >= static_cast<long>(kWrapMaxLines)) {
            ApplyWrap({static_cast<std::size_t>(lastLine) + 1, 0});
        }
    }
    if (changed_ && !setting_) {
        changed_ = false;
        Q_EMIT paneTextChanged();
    }
}

// Every change made while the pane handles an event is reported once when the event is done: a
// paste that replaces a selection deletes and inserts, an undo may take several steps. Only the
// outermost event reports: one that arrives while another is handled (a clipboard read may wait
// for the window system) could come between the two halves of a paste.
bool PaneEdit::event(QEvent* event) {
    ++eventDepth_;
    const bool handled = QsciScintillaBase::event(event);
    if (--eventDepth_ == 0) {
        ReportChange();
    }
    return handled;
}

bool PaneEdit::viewportEvent(QEvent* event) {
    ++eventDepth_;
    const bool handled = QsciScintillaBase::viewportEvent(event);
    if (--eventDepth_ == 0) {
        ReportChange();
    }
    return handled;
}

void PaneEdit::changeEvent(QEvent* event) {
    QsciScintillaBase::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        ApplyFont();
    }
}

void PaneEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // Esc belongs to the window (it closes it); the pane must not swallow it.
        event->ignore();
        return;
    }
    // Typed control characters, NUL and SUB among them, the engine leaves out by itself.
    QsciScintillaBase::keyPressEvent(event);
}

// Tab moves the focus, as in any text box of a dialog; it types nothing. (The engine keeps it.)
bool PaneEdit::focusNextPrevChild(bool next) {
    return QWidget::focusNextPrevChild(next);
}

void PaneEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly()) {
        return;
    }
    const bool commit = !event->commitString().isEmpty();
    const bool preedit = !event->preeditString().isEmpty();
    if (!composing_ && preedit && !commit) {
        // A composition that starts over a selection replaces it: the selection goes now, as a
        // change of its own, so that the composition's text is all that the pane holds back.
        if (HasSelection()) {
            SendScintilla(SCI_REPLACESEL, "");
            ReportChange();
        }
        compositionStart_ = SendScintilla(SCI_GETCURRENTPOS);
        lengthWithoutComposition_ = SendScintilla(SCI_GETLENGTH);
    }
    inInputMethod_ = true;
    commitInEvent_ = commit;
    if (std::any_of(event->commitString().cbegin(), event->commitString().cend(), IsCutCharacter)) {
        QString kept = event->commitString();
        kept.removeIf(IsCutCharacter);
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
        QsciScintillaBase::inputMethodEvent(&filtered);
    } else {
        QsciScintillaBase::inputMethodEvent(event);
    }
    inInputMethod_ = false;
    commitInEvent_ = false;
    // The engine takes the commit when there is one, else the new provisional text.
    composing_ = !commit && preedit;
}

void PaneEdit::EndComposition() {
    if (!composing_) {
        return;
    }
    // An event without text takes the provisional text out; the input method drops its own.
    QInputMethodEvent empty;
    inInputMethod_ = true;
    QsciScintillaBase::inputMethodEvent(&empty);
    inInputMethod_ = false;
    composing_ = false;
    if (hasFocus()) {
        QGuiApplication::inputMethod()->reset();
    }
}

void PaneEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Q_EMIT doubleClicked();
    }
    // The handler has returned (its box closed): now the pane selects the word as usual.
    QsciScintillaBase::mouseDoubleClickEvent(event);
}

void PaneEdit::contextMenuEvent(QContextMenuEvent* event) {
    // The program's own menu of a pane, the same on every window system (behaviour/PaneMenu.h).
    PaneMenuState state;
    state.pane = pane_;
    state.runActive = runLocked_;
    state.editable = !isReadOnly();
    state.canUndo = CanUndo();
    state.canRedo = SendScintilla(SCI_CANREDO) != 0;
    state.hasSelection = HasSelection();
    state.canPaste = SendScintilla(SCI_CANPASTE) != 0;
    state.empty = SendScintilla(SCI_GETLENGTH) == 0;
    QMenu menu(this);
    for (const PaneMenuEntry& entry : PaneMenuEntries()) {
        if (!PaneMenuHas(entry, pane_)) {
            continue;
        }
        if (entry.separatorBefore) {
            menu.addSeparator();
        }
        if (entry.command == PaneCommand::Facts) {
            const Text text = TextCodec::FromPaneText(Utf8Text());
            menu.addAction(Utf8(PaneFactsCaption(CountPaneText(text))))->setEnabled(false);
            continue;
        }
        QAction* action = menu.addAction(Utf8(entry.caption));
        if (entry.shortcut[0] != '\0') {
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
        }
        action->setEnabled(PaneCommandEnabled(entry.command, state));
        const PaneCommand command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] { RunMenuCommand(command); });
    }
    menu.exec(event->globalPos());
}

void PaneEdit::RunMenuCommand(PaneCommand command) {
    switch (command) {
        case PaneCommand::Undo:
            SendScintilla(SCI_UNDO);
            return;
        case PaneCommand::Redo:
            SendScintilla(SCI_REDO);
            return;
        case PaneCommand::Cut:
            SendScintilla(SCI_CUT);
            return;
        case PaneCommand::Copy:
            SendScintilla(SCI_COPY);
            return;
        case PaneCommand::Paste:
            SendScintilla(SCI_PASTE);
            return;
        case PaneCommand::Delete:
            SendScintilla(SCI_CLEAR);
            return;
        case PaneCommand::SelectAll:
            SendScintilla(SCI_SELECTALL);
            return;
        default:
            break;
    }
    // A tool asks and changes the pane only once the menu is gone, outside its event.
    QMetaObject::invokeMethod(
        this, [this, command] { Q_EMIT toolChosen(static_cast<int>(command)); },
        Qt::QueuedConnection);
}

void PaneEdit::ReplaceAllAsEdit(std::string_view utf8) {
    ++eventDepth_;
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_TARGETWHOLEDOCUMENT);
    SendScintilla(SCI_REPLACETARGET, utf8.size(), utf8.data());
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_GOTOPOS, 0UL);
    if (--eventDepth_ == 0) {
        ReportChange();
    }
}

// What a paste or a drop brings in, without NUL and SUB: the engine would otherwise end the text
// at a NUL.
QByteArray PaneEdit::fromMimeData(const QMimeData* source, bool& rectangular) const {
    QByteArray text = QsciScintillaBase::fromMimeData(source, rectangular);
    text.removeIf([](char c) { return c == '\0' || c == '\x1A'; });
    return text;
}

void PaneEdit::focusInEvent(QFocusEvent* event) {
    SendScintilla(SCI_HIDESELECTION, 0UL);
    QsciScintillaBase::focusInEvent(event);
}

void PaneEdit::focusOutEvent(QFocusEvent* event) {
    // The selection shows only while the pane has the focus.
    SendScintilla(SCI_HIDESELECTION, 1UL);
    QsciScintillaBase::focusOutEvent(event);
}

}  // namespace morvelin
