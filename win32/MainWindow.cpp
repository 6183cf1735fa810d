#include "win32/MainWindow.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "behaviour/PaneText.h"
#include "behaviour/ProgramController.h"
#include "core/PaneTools.h"
#include "store/FileLayer.h"
#include "win32/PaneCodec.h"
#include "win32/PaneContextMenu.h"
#include "win32/WideText.h"
#include "win32/Win32Desktop.h"

namespace morvelin::win32 {

namespace {

constexpr wchar_t kClassName[] = L"MorvelinMainWindow";
constexpr int kFirstControlId = 1000;
// A double-click on an output pane is answered once the pane has handled the click itself: the
// copy and its box must not open inside Scintilla's own mouse handling.
constexpr UINT kPaneDoubleClicked = WM_APP + 10;
// The same for a pane's context menu: its tools' edits must be reported and saved at once, not at
// the end of the pane's own message that asked for the menu.
constexpr UINT kPaneContextMenu = WM_APP + 11;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kGroupCaptionIndent = 8;
constexpr wchar_t kGenerateCaption[] = L"一 键 生 成";

int IdOf(ControlId id) {
    return kFirstControlId + static_cast<int>(id);
}

bool IsCategory(ControlId id) {
    return id >= ControlId::CategoryA && id <= ControlId::CategoryZ;
}

int PaneOf(ControlId id) {
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        if (PaneControl(pane) == id) {
            return pane;
        }
    }
    return 0;
}

// The pane's UTF-8 as a Text. A pane holds well-formed UTF-8 (Scintilla makes it so from every
// input); should it not, the ill-formed bytes are saved as U+FFFD rather than the text not at all.
// NUL and SUB would end the text for every reader of the file: a control character that reached
// the pane (a typed Ctrl+@) is left out, and only it. In GB18030 those bytes never occur inside a
// character.
Text TextOfPane(std::string_view utf8) {
    std::optional<Text> text = Utf8ToGb18030Lossy(utf8);
    if (!text) {
        text = Utf8ToGb18030Lossy(Utf8(Wide(utf8)));
    }
    Text bytes = text.value_or(Text());
    std::erase_if(bytes, [](char byte) { return byte == '\0' || byte == '\x1A'; });
    return PaneTextOf(bytes);
}

HFONT MakeFont(int height, const wchar_t* face) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, ProgramController& controller, Win32Desktop& desktop)
    : instance_(instance), controller_(controller), desktop_(desktop) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // "宋体": SimSun is its name on every Windows; 9 points, or a character height in pixels.
    const int ninePoints = -MulDiv(9, dpi, 72);
    fonts_[static_cast<std::size_t>(FontKind::DefaultGui)] = MakeFont(ninePoints, L"SimSun");
    fonts_[static_cast<std::size_t>(FontKind::Pane)] = MakeFont(ninePoints, L"SimSun");
    fonts_[static_cast<std::size_t>(FontKind::SongTiPixels14)] = MakeFont(-14, L"SimSun");
    fonts_[static_cast<std::size_t>(FontKind::SongTiPixels16)] = MakeFont(-16, L"SimSun");
    background_ = CreateSolidBrush(ColorOf(MainWindowLayout().background));
}

MainWindow::~MainWindow() {
    tips_.reset();
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
    for (HFONT font : fonts_) {
        DeleteObject(font);
    }
    DeleteObject(background_);
}

HFONT MainWindow::FontOf(FontKind kind) const {
    return fonts_[static_cast<std::size_t>(kind)];
}

POINT MainWindow::StartPosition(int screenWidth, int screenHeight) {
    // Integer division truncates towards zero, also for a screen smaller than the window.
    const WindowLayout& layout = MainWindowLayout();
    return {(screenWidth - layout.outerWidth) / 2, (screenHeight - layout.outerHeight) / 2};
}

bool MainWindow::Create() {
    ScintillaPane::RegisterClasses(instance_);
    TextLabel::RegisterClass(instance_);
    LinkLabel::RegisterClass(instance_);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background_;
    windowClass.lpszClassName = kClassName;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                   GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    RegisterClassExW(&windowClass);

    const WindowLayout& layout = MainWindowLayout();
    const POINT start = StartPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    hwnd_ =
        CreateWindowExW(0, kClassName, Wide(layout.caption).c_str(), kWindowStyle, start.x, start.y,
                        layout.outerWidth, layout.outerHeight, nullptr, nullptr, instance_, this);
    if (hwnd_ == nullptr) {
        return false;
    }
    // The frame's size differs between systems and themes: the client area is what must be exact.
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = layout.outerWidth + layout.clientWidth - client.right;
    const int height = layout.outerHeight + layout.clientHeight - client.bottom;
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    desktop_.SetClipboardOwner(hwnd_);
    tips_ = std::make_unique<BalloonTips>(instance_, FontOf(FontKind::Pane));
    CreateControls();
    return true;
}

RECT MainWindow::PlaceOf(const ControlLayout& control) const {
    int x = control.x;
    int y = control.y;
    if (control.parent != ControlId::Window) {
        const ControlLayout& parent = LayoutOf(control.parent);
        x += parent.x;
        y += parent.y;
    }
    return RECT{x, y, x + control.width, y + control.height};
}

void MainWindow::CreateControls() {
    // Every control is a child of the main window, at its group box's offset: a group box is only
    // painted, and controls inside a real group box window would not get their own clicks. The
    // windows are made front to back, a group box's contents just before the group box's place.
    std::vector<const ControlLayout*> order;
    for (const ControlLayout& control : ControlLayouts()) {
        if (control.parent != ControlId::Window) {
            continue;
        }
        if (control.kind == ControlKind::GroupBox) {
            for (const ControlLayout& child : ControlLayouts()) {
                if (child.parent == control.id) {
                    order.push_back(&child);
                }
            }
        } else if (control.kind != ControlKind::BalloonTips) {
            order.push_back(&control);
        }
    }

    bool firstCategory = true;
    std::vector<HWND> frontToBack;
    for (const ControlLayout* control : order) {
        const RECT place = PlaceOf(*control);
        const int width = place.right - place.left;
        const int height = place.bottom - place.top;
        const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(control->id)));
        HWND hwnd = nullptr;
        switch (control->kind) {
            case ControlKind::Pane: {
                ScintillaPane::Style style;
                style.wrap = control->wraps;
                style.background = ColorOf(control->background);
                const int pane = PaneOf(control->id);
                auto& state = panes_[static_cast<std::size_t>(pane - 1)];
                state.edit =
                    std::make_unique<ScintillaPane>(hwnd_, IdOf(control->id), place, style);
                state.edit->OnChanged([this, pane] { OnPaneChanged(pane); });
                hwnd = state.edit->Handle();
                break;
            }
            case ControlKind::RadioButton:
            case ControlKind::PushButton: {
                DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | BS_MULTILINE;
                if (control->kind == ControlKind::RadioButton) {
                    style |= BS_AUTORADIOBUTTON | BS_VCENTER | BS_LEFT;
                    if (firstCategory) {
                        style |= WS_GROUP;
                        firstCategory = false;
                    }
                } else {
                    style |= BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
                }
                hwnd =
                    CreateWindowExW(0, L"BUTTON", Wide(control->caption).c_str(), style, place.left,
                                    place.top, width, height, hwnd_, id, instance_, nullptr);
                SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control->font)), 0);
                break;
            }
            case ControlKind::Label: {
                auto label =
                    std::make_unique<TextLabel>(hwnd_, place, FontOf(control->font), control->text,
                                                control->background, control->wraps);
                label->SetText(Wide(control->caption));
                hwnd = label->Handle();
                SetWindowLongPtrW(hwnd, GWLP_ID, IdOf(control->id));
                labels_.push_back(std::move(label));
                break;
            }
            case ControlKind::HyperlinkLabel: {
                auto link = std::make_unique<LinkLabel>(
                    hwnd_, place, FontOf(control->font), LinkOf(control->id),
                    Wide(control->caption), control->background,
                    [this](const std::string& url) { return desktop_.OpenWebPage(url); });
                hwnd = link->Handle();
                SetWindowLongPtrW(hwnd, GWLP_ID, IdOf(control->id));
                links_.push_back(std::move(link));
                break;
            }
            default:
                break;
        }
        if (hwnd != nullptr) {
            controls_[control->id] = hwnd;
            frontToBack.push_back(hwnd);
        }
    }
    // The tables' order, front first: each window in turn goes to the back.
    for (HWND hwnd : frontToBack) {
        SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SendMessageW(Control(ControlId::CategoryA), BM_SETCHECK, BST_CHECKED, 0);
}

void MainWindow::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

HWND MainWindow::Control(ControlId id) const {
    if (id == ControlId::Window) {
        return hwnd_;
    }
    const auto found = controls_.find(id);
    return found != controls_.end() ? found->second : nullptr;
}

const TextLabel* MainWindow::Label(ControlId id) const {
    for (const auto& label : labels_) {
        if (label->Handle() == Control(id)) {
            return label.get();
        }
    }
    return nullptr;
}

COLORREF MainWindow::LinkColour(ControlId id) const {
    for (const auto& link : links_) {
        if (link->Handle() == Control(id)) {
            return link->CurrentColour();
        }
    }
    return CLR_INVALID;
}

bool MainWindow::PreTranslate(MSG& msg) {
    if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) {
        return false;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        // Esc closes the window as the close button does, whichever control has the focus.
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
        const bool back = GetKeyState(VK_SHIFT) < 0;
        if (const HWND next = GetNextDlgTabItem(hwnd_, GetFocus(), back ? TRUE : FALSE)) {
            SetFocus(next);
        }
        return true;
    }
    // Arrow keys between the category buttons, Space on a button; the panes want every other key.
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void MainWindow::Paint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    const HGDIOBJ oldFont = SelectObject(dc, FontOf(FontKind::DefaultGui));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SetBkColor(dc, ColorOf(MainWindowLayout().background));
    const auto layouts = ControlLayouts();
    // Back to front: the group boxes, each a frame with its caption on the frame's top line.
    for (auto control = layouts.rbegin(); control != layouts.rend(); ++control) {
        if (control->kind != ControlKind::GroupBox) {
            continue;
        }
        const RECT place = PlaceOf(*control);
        RECT frame = place;
        frame.top += metrics.tmHeight / 2;
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        const std::wstring caption = L" " + Wide(control->caption) + L" ";
        SetTextColor(dc, ColorOf(control->text));
        RECT text{place.left + kGroupCaptionIndent - 2, place.top, place.right - 2,
                  place.top + metrics.tmHeight};
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &paint);
}

void MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    for (PaneState& pane : panes_) {
        if (pane.edit && pane.edit->HandleCommand(wParam, lParam)) {
            return;
        }
    }
    if (HIWORD(wParam) != BN_CLICKED) {
        return;
    }
    const auto id = static_cast<ControlId>(LOWORD(wParam) - kFirstControlId);
    if (id == ControlId::GenerateButton) {
        controller_.OnGenerateClicked();
    } else if (IsCategory(id)) {
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            const ControlId other = CategoryControl(letter);
            SendMessageW(Control(other), BM_SETCHECK, other == id ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        controller_.OnCategoryClicked(static_cast<char>(
            'a' + (static_cast<int>(id) - static_cast<int>(ControlId::CategoryA))));
    }
}

LRESULT CALLBACK MainWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<MainWindow*>(create->lpCreateParams)->hwnd_ = hwnd;
    }
    auto* window = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // No exception may cross the window system's frames.
    try {
        return window->OnMessage(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        window->controller_.FatalError("分配内存失败!", 0);
        return 0;
    }
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_NOTIFY: {
            const auto* notice = reinterpret_cast<const SCNotification*>(lParam);
            const int pane = PaneOf(
                static_cast<ControlId>(static_cast<int>(notice->nmhdr.idFrom) - kFirstControlId));
            if (pane != 0 && notice->nmhdr.code == SCN_DOUBLECLICK) {
                PostMessageW(hwnd_, kPaneDoubleClicked, static_cast<WPARAM>(pane), 0);
            }
            return 0;
        }
        case WM_CONTEXTMENU:
            PostMessageW(hwnd_, kPaneContextMenu, wParam, lParam);
            return 0;
        case kPaneContextMenu:
            OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
            return 0;
        case kPaneDoubleClicked:
            controller_.OnPaneDoubleClicked(static_cast<int>(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, ColorOf(MainWindowLayout().background));
            return reinterpret_cast<LRESULT>(background_);
        }
        case WM_SETCURSOR: {
            // The category buttons and the generate button show the hand pointer.
            const auto over = reinterpret_cast<HWND>(wParam);
            for (const auto& [id, hwnd] : controls_) {
                if (hwnd == over && (IsCategory(id) || id == ControlId::GenerateButton)) {
                    SetCursor(LoadCursorW(nullptr, IDC_HAND));
                    return TRUE;
                }
            }
            break;
        }
        case WM_CLOSE:
            // The run ends and the makers' page opens before the window and its panes go.
            controller_.OnWindowClosing();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            tips_.reset();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            break;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam != FALSE) {
                // The session ends the process after this message: the end comes now.
                controller_.OnWindowClosing();
                controller_.End(0);
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// ---- panes ----

void MainWindow::OnPaneChanged(int pane) {
    PaneState& state = panes_[static_cast<std::size_t>(pane - 1)];
    if (!state.setting) {
        state.setText.reset();
    }
    controller_.OnPaneTextChanged(pane);
}

Text MainWindow::ReadPane(int pane) {
    PaneState& state = panes_[static_cast<std::size_t>(pane - 1)];
    if (state.setText) {
        return *state.setText;
    }
    return TextOfPane(state.edit->Text());
}

Text MainWindow::GetPaneText(int pane) {
    if (pane < 1 || pane > kPaneCount || !panes_[static_cast<std::size_t>(pane - 1)].edit) {
        return {};
    }
    UiCallChannel& channel = controller_.Channel();
    if (channel.OnUiThread()) {
        return ReadPane(pane);
    }
    // Only the copy happens on the UI thread; the conversion runs on the caller's.
    std::optional<Text> set;
    std::string utf8;
    channel.Call([&] {
        const PaneState& state = panes_[static_cast<std::size_t>(pane - 1)];
        if (state.setText) {
            set = *state.setText;
        } else {
            utf8 = state.edit->Text();
        }
    });
    return set ? std::move(*set) : TextOfPane(utf8);
}

void MainWindow::SetPaneText(int pane, Text text) {
    if (pane < 1 || pane > kPaneCount || !panes_[static_cast<std::size_t>(pane - 1)].edit) {
        return;
    }
    // The conversion runs on the caller's thread; only the pane's own set occupies the UI thread.
    Text normal = PaneTextOf(text);
    text = Text();
    std::optional<std::string> utf8 = Gb18030ToUtf8(normal);
    const bool undecodable = !utf8;
    if (undecodable) {
        utf8 = Gb18030ToUtf8Lossy(normal);
    }
    const auto apply = [&] { ApplySet(pane, *utf8, std::move(normal), undecodable); };
    UiCallChannel& channel = controller_.Channel();
    if (channel.OnUiThread()) {
        apply();
    } else {
        channel.Call(apply);
    }
}

void MainWindow::ApplySet(int pane, std::string_view utf8, Text text, bool undecodable) {
    PaneState& state = panes_[static_cast<std::size_t>(pane - 1)];
    state.setText = std::move(text);
    state.undecodable = undecodable;
    ApplyReadOnly(pane);
    state.setting = true;
    // Raises the pane's change once, and with it the save, before it returns.
    state.edit->SetText(utf8);
    state.setting = false;
}

void MainWindow::ApplyReadOnly(int pane) {
    const PaneState& state = panes_[static_cast<std::size_t>(pane - 1)];
    if (state.edit) {
        state.edit->SetReadOnly(state.fileReadOnly || state.undecodable || runLocked_);
    }
}

void MainWindow::CloseAllFiles() {
    morvelin::CloseAllFiles();
}

// ---- the pane menu ----

PaneMenuState MainWindow::MenuState(int pane) {
    const PaneState& state = panes_[static_cast<std::size_t>(pane - 1)];
    PaneMenuState menu;
    menu.pane = pane;
    menu.editable = !state.fileReadOnly && !state.undecodable && !runLocked_;
    menu.runActive = controller_.RunActive();
    menu.canUndo = state.edit->CanUndo();
    menu.canRedo = state.edit->CanRedo();
    menu.hasSelection = state.edit->HasSelection();
    menu.canPaste = IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
    menu.empty = state.edit->Call(SCI_GETLENGTH) == 0;
    return menu;
}

void MainWindow::OnContextMenu(HWND control, LPARAM lParam) {
    int pane = 0;
    for (int n = 1; n <= kPaneCount; ++n) {
        if (panes_[static_cast<std::size_t>(n - 1)].edit->Handle() == control) {
            pane = n;
        }
    }
    if (pane == 0 || controller_.EventsBlocked()) {
        return;
    }
    ScintillaPane& edit = *panes_[static_cast<std::size_t>(pane - 1)].edit;
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {
        // From the keyboard: at the caret.
        const auto caret = edit.Call(SCI_GETCURRENTPOS);
        at = {static_cast<LONG>(edit.Call(SCI_POINTXFROMPOSITION, 0, caret)),
              static_cast<LONG>(edit.Call(SCI_POINTYFROMPOSITION, 0, caret))};
        ClientToScreen(control, &at);
    }
    const HMENU menu = MakePaneMenu(pane, MenuState(pane), CountPaneText(GetPaneText(pane)));
    const auto chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    if (const std::optional<PaneCommand> command = CommandOfMenuId(chosen)) {
        RunPaneCommand(pane, *command);
    }
}

void MainWindow::RunPaneCommand(int pane, PaneCommand command) {
    if (pane < 1 || pane > kPaneCount || !PaneCommandEnabled(command, MenuState(pane))) {
        return;
    }
    ScintillaPane& edit = *panes_[static_cast<std::size_t>(pane - 1)].edit;
    // Through the control's window, so that each command is one reported change.
    const auto send = [&edit](UINT message) { SendMessageW(edit.Handle(), message, 0, 0); };
    switch (command) {
        case PaneCommand::Undo:
            return send(SCI_UNDO);
        case PaneCommand::Redo:
            return send(SCI_REDO);
        case PaneCommand::Cut:
            return send(SCI_CUT);
        case PaneCommand::Copy:
            return send(SCI_COPY);
        case PaneCommand::Paste:
            return send(SCI_PASTE);
        case PaneCommand::Delete:
            return send(SCI_CLEAR);
        case PaneCommand::SelectAll:
            return send(SCI_SELECTALL);
        default:
            break;
    }
    if (IsPaneTool(command)) {
        controller_.OnPaneTool(pane, command);
    }
}

void MainWindow::ReplacePaneTextAsEdit(int pane, const Text& text) {
    // An editable pane holds a well-formed text, and a tool makes one of it.
    if (const std::optional<std::string> utf8 = Gb18030ToUtf8(text)) {
        panes_[static_cast<std::size_t>(pane - 1)].edit->ReplaceAllAsEdit(*utf8);
    }
}

void MainWindow::ShowPaneNote(int pane, std::string_view utf8) {
    if (tips_) {
        tips_->ShowNote(Control(PaneControl(pane)), Wide(utf8));
    }
}

// ---- the rest of the view ----

bool MainWindow::SetLabelText(ControlId label, std::string_view utf8) {
    for (const auto& control : labels_) {
        if (control->Handle() == Control(label)) {
            control->SetText(Wide(utf8));
            return true;
        }
    }
    return false;
}

bool MainWindow::AttachTip(ControlId control, std::string_view utf8) {
    return tips_ && tips_->Attach(Control(control), Wide(utf8));
}

void MainWindow::SetPaneFileReadOnly(int pane, bool readOnly) {
    if (pane >= 1 && pane <= kPaneCount) {
        panes_[static_cast<std::size_t>(pane - 1)].fileReadOnly = readOnly;
        ApplyReadOnly(pane);
    }
}

void MainWindow::SetRunLocked(bool locked) {
    runLocked_ = locked;
    EnableWindow(Control(ControlId::GenerateButton), locked ? FALSE : TRUE);
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        EnableWindow(Control(CategoryControl(letter)), locked ? FALSE : TRUE);
    }
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        ApplyReadOnly(pane);
    }
}

void MainWindow::ShowProgress(int percent) {
    const std::wstring caption =
        percent < 0 ? std::wstring(kGenerateCaption) : L"生成中 " + std::to_wstring(percent) + L"%";
    SetWindowTextW(Control(ControlId::GenerateButton), caption.c_str());
}

void MainWindow::SetTitle(std::string_view utf8) {
    SetWindowTextW(hwnd_, Wide(utf8).c_str());
}

}  // namespace morvelin::win32
