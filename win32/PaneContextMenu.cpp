#include "win32/PaneContextMenu.h"

#include <cstdint>
#include <vector>

#include "win32/WideText.h"

namespace morvelin::win32 {

namespace {

constexpr int kEditId = 100;

// An in-memory dialog template: the words of DLGTEMPLATE and DLGITEMTEMPLATE, each item on a
// DWORD boundary.
class DialogTemplate {
  public:
    DialogTemplate(const std::wstring& title, short width, short height) {
        Align();
        const DWORD style =
            DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        Add32(style);
        Add32(0);
        countAt_ = words_.size();
        Add16(0);  // items, counted as they come
        Add16(0);
        Add16(0);
        Add16(static_cast<WORD>(width));
        Add16(static_cast<WORD>(height));
        Add16(0);  // no menu
        Add16(0);  // the dialog class
        AddText(title);
        Add16(9);
        AddText(L"SimSun");
    }

    void Item(DWORD style, short x, short y, short width, short height, WORD id, WORD classAtom,
              const std::wstring& text) {
        Align();
        Add32(style | WS_CHILD | WS_VISIBLE);
        Add32(0);
        Add16(static_cast<WORD>(x));
        Add16(static_cast<WORD>(y));
        Add16(static_cast<WORD>(width));
        Add16(static_cast<WORD>(height));
        Add16(id);
        Add16(0xFFFF);
        Add16(classAtom);
        AddText(text);
        Add16(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void Add16(WORD word) { words_.push_back(word); }
    void Add32(DWORD value) {
        Add16(LOWORD(value));
        Add16(HIWORD(value));
    }
    void AddText(const std::wstring& text) {
        for (wchar_t c : text) {
            Add16(static_cast<WORD>(c));
        }
        Add16(0);
    }
    void Align() {
        if (words_.size() % 2 != 0) {
            Add16(0);
        }
    }

    std::vector<WORD> words_;
    std::size_t countAt_ = 0;
};

struct Question {
    std::wstring answer;
};

INT_PTR CALLBACK QuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* question = reinterpret_cast<Question*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetDlgItemTextW(dialog, kEditId, reinterpret_cast<Question*>(lParam)->answer.c_str());
            SendDlgItemMessageW(dialog, kEditId, EM_SETSEL, 0, -1);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && question != nullptr) {
                const int length = GetWindowTextLengthW(GetDlgItem(dialog, kEditId));
                std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
                GetDlgItemTextW(dialog, kEditId, text.data(), length + 1);
                text.resize(static_cast<std::size_t>(length));
                question->answer = text;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

HMENU MakePaneMenu(int pane, const PaneMenuState& state, const PaneTextFacts& facts) {
    const HMENU menu = CreatePopupMenu();
    const auto entries = PaneMenuEntries();
    bool any = false;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const PaneMenuEntry& entry = entries[index];
        if (!PaneMenuHas(entry, pane)) {
            continue;
        }
        if (entry.separatorBefore && any) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        }
        std::wstring caption =
            Wide(entry.command == PaneCommand::Facts ? PaneFactsCaption(facts) : entry.caption);
        if (entry.shortcut[0] != '\0') {
            caption += L'\t';
            caption += Wide(entry.shortcut);
        }
        const UINT flags = MF_STRING | (PaneCommandEnabled(entry.command, state) ? 0u : MF_GRAYED);
        AppendMenuW(menu, flags, index + 1, caption.c_str());
        any = true;
    }
    return menu;
}

std::optional<PaneCommand> CommandOfMenuId(UINT id) {
    const auto entries = PaneMenuEntries();
    if (id == 0 || id > entries.size()) {
        return std::nullopt;
    }
    return entries[id - 1].command;
}

std::optional<std::wstring> AskQuestion(HWND owner, const PaneToolQuestion& question,
                                        const std::wstring& initial, bool multiline) {
    const short editHeight = multiline ? 80 : 14;
    DialogTemplate dialog(Wide(question.title), 220, static_cast<short>(62 + editHeight));
    // The prompt's line breaks are LF; a static control breaks its text at CR LF.
    std::wstring prompt;
    for (const wchar_t c : Wide(question.prompt)) {
        if (c == L'\n' && (prompt.empty() || prompt.back() != L'\r')) {
            prompt += L'\r';
        }
        prompt += c;
    }
    dialog.Item(SS_LEFT, 8, 8, 204, 24, static_cast<WORD>(-1), 0x0082, prompt);
    const DWORD editStyle = WS_BORDER | WS_TABSTOP |
                            (multiline ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL
                                       : ES_AUTOHSCROLL | ES_NUMBER);
    dialog.Item(editStyle, 8, 36, 204, editHeight, kEditId, 0x0081, L"");
    const short buttonsY = static_cast<short>(44 + editHeight);
    dialog.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 108, buttonsY, 50, 14, IDOK, 0x0080, L"确定");
    dialog.Item(BS_PUSHBUTTON | WS_TABSTOP, 162, buttonsY, 50, 14, IDCANCEL, 0x0080, L"取消");
    Question answer{initial};
    const INT_PTR result = DialogBoxIndirectParamW(
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), dialog.Get(), owner,
        QuestionProc, reinterpret_cast<LPARAM>(&answer));
    if (result != IDOK) {
        return std::nullopt;
    }
    return answer.answer;
}

}  // namespace morvelin::win32
