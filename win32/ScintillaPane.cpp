#include "win32/ScintillaPane.h"

#include <commctrl.h>

namespace morvelin::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

bool ScintillaPane::RegisterClasses(HINSTANCE instance) {
    static const bool registered = Scintilla_RegisterClasses(instance) != 0;
    return registered;
}

ScintillaPane::ScintillaPane(HWND parent, int controlId, const RECT& place, const Style& style) {
    DWORD styles = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL;
    if (!style.wrap) {
        styles |= WS_HSCROLL;
    }
    hwnd_ = CreateWindowExW(WS_EX_STATICEDGE, L"Scintilla", L"", styles, place.left, place.top,
                            place.right - place.left, place.bottom - place.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                            nullptr);
    if (hwnd_ == nullptr) {
        return;
    }
    direct_ = reinterpret_cast<SciFnDirect>(SendMessageW(hwnd_, SCI_GETDIRECTFUNCTION, 0, 0));
    directPointer_ = static_cast<sptr_t>(SendMessageW(hwnd_, SCI_GETDIRECTPOINTER, 0, 0));
    SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));

    Call(SCI_SETCODEPAGE, SC_CP_UTF8);
    // Plain text: no margins, no folding, no styling, no menu, no change history marks.
    for (int margin = 0; margin < 5; ++margin) {
        Call(SCI_SETMARGINWIDTHN, static_cast<uptr_t>(margin), 0);
    }
    Call(SCI_USEPOPUP, SC_POPUP_NEVER);
    Call(SCI_SETEOLMODE, SC_EOL_CRLF);
    Call(SCI_STYLESETFONT, STYLE_DEFAULT, reinterpret_cast<sptr_t>(style.fontName));
    Call(SCI_STYLESETSIZE, STYLE_DEFAULT, style.pointSize);
    Call(SCI_STYLESETFORE, STYLE_DEFAULT, static_cast<sptr_t>(GetSysColor(COLOR_WINDOWTEXT)));
    Call(SCI_STYLESETBACK, STYLE_DEFAULT, static_cast<sptr_t>(style.background));
    Call(SCI_STYLECLEARALL);
    // Wrapping goes by whole words where there are any, and is done for the lines in view first,
    // the rest while the program is idle.
    Call(SCI_SETWRAPMODE, style.wrap ? SC_WRAP_WORD : SC_WRAP_NONE);
    Call(SCI_SETHSCROLLBAR, style.wrap ? 0 : 1);
    Call(SCI_SETSCROLLWIDTH, 1);
    Call(SCI_SETSCROLLWIDTHTRACKING, 1);
    // The input method composes in its own window; only the committed text reaches the document.
    Call(SCI_SETIMEINTERACTION, SC_IME_WINDOWED);
    // The selection shows only while the pane has the focus (see SubclassProc).
    Call(SCI_HIDESELECTION, 1);
}

ScintillaPane::~ScintillaPane() {
    if (hwnd_ != nullptr) {
        RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    }
}

sptr_t ScintillaPane::Call(unsigned message, uptr_t wParam, sptr_t lParam) const {
    return direct_ != nullptr ? direct_(directPointer_, message, wParam, lParam) : 0;
}

std::string ScintillaPane::Text() const {
    const auto length = static_cast<std::size_t>(Call(SCI_GETLENGTH));
    // SCI_GETTEXT writes a terminator after the bytes: room for it, then cut it off.
    std::string text(length + 1, '\0');
    Call(SCI_GETTEXT, length + 1, reinterpret_cast<sptr_t>(text.data()));
    text.resize(length);
    return text;
}

template <typename Work>
void ScintillaPane::AsOneChange(Work&& work, bool reportAlways) {
    ++depth_;
    work();
    --depth_;
    if (depth_ == 0 && (pending_ || reportAlways)) {
        Report();
    }
}

void ScintillaPane::Report() {
    pending_ = false;
    if (changed_) {
        changed_();
    }
}

void ScintillaPane::SetText(std::string_view utf8) {
    AsOneChange(
        [&] {
            const bool readOnly = ReadOnly();
            Call(SCI_SETREADONLY, 0);
            Call(SCI_SETUNDOCOLLECTION, 0);
            // SCI_SETTEXT stops at a NUL; the length form takes every byte.
            Call(SCI_CLEARALL);
            Call(SCI_APPENDTEXT, utf8.size(), reinterpret_cast<sptr_t>(utf8.data()));
            Call(SCI_EMPTYUNDOBUFFER);
            Call(SCI_SETUNDOCOLLECTION, 1);
            Call(SCI_SETSAVEPOINT);
            Call(SCI_GOTOPOS, 0);
            Call(SCI_SETREADONLY, readOnly ? 1 : 0);
        },
        true);
}

void ScintillaPane::ReplaceAllAsEdit(std::string_view utf8) {
    AsOneChange(
        [&] {
            Call(SCI_BEGINUNDOACTION);
            Call(SCI_TARGETWHOLEDOCUMENT);
            Call(SCI_REPLACETARGET, utf8.size(), reinterpret_cast<sptr_t>(utf8.data()));
            Call(SCI_ENDUNDOACTION);
            Call(SCI_GOTOPOS, 0);
        },
        true);
}

void ScintillaPane::SetReadOnly(bool readOnly) {
    Call(SCI_SETREADONLY, readOnly ? 1 : 0);
}

bool ScintillaPane::ReadOnly() const {
    return Call(SCI_GETREADONLY) != 0;
}

bool ScintillaPane::CanUndo() const {
    return Call(SCI_CANUNDO) != 0;
}

bool ScintillaPane::CanRedo() const {
    return Call(SCI_CANREDO) != 0;
}

bool ScintillaPane::HasSelection() const {
    return Call(SCI_GETSELECTIONEMPTY) == 0;
}

bool ScintillaPane::HandleCommand(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != hwnd_ || HIWORD(wParam) != SCEN_CHANGE) {
        return false;
    }
    if (depth_ > 0) {
        pending_ = true;
    } else {
        Report();
    }
    return true;
}

LRESULT CALLBACK ScintillaPane::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR /*id*/, DWORD_PTR data) {
    auto* pane = reinterpret_cast<ScintillaPane*>(data);
    switch (message) {
        case WM_SETFOCUS:
            pane->Call(SCI_HIDESELECTION, 0);
            break;
        case WM_KILLFOCUS:
            pane->Call(SCI_HIDESELECTION, 1);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
            pane->hwnd_ = nullptr;
            return DefSubclassProc(hwnd, message, wParam, lParam);
        default:
            break;
    }
    LRESULT result = 0;
    pane->AsOneChange([&] { result = DefSubclassProc(hwnd, message, wParam, lParam); }, false);
    return result;
}

}  // namespace morvelin::win32
