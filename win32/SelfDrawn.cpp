#include "win32/SelfDrawn.h"

#include <vector>

#include "win32/WideText.h"

namespace morvelin::win32 {

namespace {

constexpr wchar_t kLabelClass[] = L"MorvelinLabel";
constexpr wchar_t kLinkClass[] = L"MorvelinLink";

template <typename Control>
Control* ControlOf(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool Register(HINSTANCE instance, const wchar_t* name, WNDPROC proc, LPCWSTR cursor) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, cursor);
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateChild(const wchar_t* className, HWND parent, const RECT& place, void* control) {
    return CreateWindowExW(
        0, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, place.left, place.top,
        place.right - place.left, place.bottom - place.top, parent, nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), control);
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

bool TextLabel::RegisterClass(HINSTANCE instance) {
    return Register(instance, kLabelClass, Proc, IDC_ARROW);
}

TextLabel::TextLabel(HWND parent, const RECT& place, HFONT font, Rgb text, Rgb background,
                     bool wraps)
    : font_(font), text_colour_(ColorOf(text)), background_(ColorOf(background)), wraps_(wraps) {
    hwnd_ = CreateChild(kLabelClass, parent, place, this);
}

void TextLabel::SetText(std::wstring text) {
    text_ = std::move(text);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

std::vector<std::wstring> TextLabel::WrapLines(HDC dc, const std::wstring& text, int width) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L"\r\n", start);
        const std::wstring paragraph =
            text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        std::size_t from = 0;
        do {
            int fit = 0;
            SIZE size{};
            const std::wstring rest = paragraph.substr(from);
            GetTextExtentExPointW(dc, rest.c_str(), static_cast<int>(rest.size()), width, &fit,
                                  nullptr, &size);
            std::size_t count = static_cast<std::size_t>(fit);
            if (count == 0) {
                count = 1;
            }
            if (count < rest.size() && IsHighSurrogate(rest[count - 1])) {
                count = count > 1 ? count - 1 : 2;
            }
            count = std::min(count, rest.size());
            lines.push_back(rest.substr(0, count));
            from += count;
        } while (from < paragraph.size());
        if (end == std::wstring::npos) {
            break;
        }
        start = end + 2;
    }
    return lines;
}

void TextLabel::Paint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    RECT client;
    GetClientRect(hwnd_, &client);
    SetBkColor(dc, background_);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, font_);
    SetTextColor(dc, text_colour_);
    SetBkMode(dc, TRANSPARENT);
    if (wraps_) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        int y = 0;
        for (const std::wstring& line : WrapLines(dc, text_, client.right)) {
            TextOutW(dc, 0, y, line.c_str(), static_cast<int>(line.size()));
            y += metrics.tmHeight;
        }
    } else {
        DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &client,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &paint);
}

LRESULT CALLBACK TextLabel::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TextLabel* label = ControlOf<TextLabel>(hwnd, message, lParam);
    if (label != nullptr) {
        switch (message) {
            case WM_PAINT:
                label->Paint();
                return 0;
            case WM_ERASEBKGND:
                return 1;
            case WM_NCHITTEST:
                // No events of its own: the pointer goes through to what lies beneath.
                return HTTRANSPARENT;
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool LinkLabel::RegisterClass(HINSTANCE instance) {
    return Register(instance, kLinkClass, Proc, IDC_HAND);
}

LinkLabel::LinkLabel(HWND parent, const RECT& place, HFONT font, const LinkLayout& link,
                     std::wstring caption, Rgb background, Opener opener)
    : font_(font),
      link_(link),
      caption_(std::move(caption)),
      background_(ColorOf(background)),
      opener_(std::move(opener)) {
    hwnd_ = CreateChild(kLinkClass, parent, place, this);
}

COLORREF LinkLabel::CurrentColour() const {
    if (hovered_) {
        return ColorOf(link_.hover);
    }
    return ColorOf(visited_ ? link_.visited : link_.normal);
}

void LinkLabel::Paint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    RECT client;
    GetClientRect(hwnd_, &client);
    SetBkColor(dc, background_);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, font_);
    SetTextColor(dc, CurrentColour());
    SetBkMode(dc, TRANSPARENT);
    // An empty caption shows the address itself.
    const std::wstring text = caption_.empty() ? Wide(link_.url) : caption_;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &paint);
}

void LinkLabel::SetHovered(bool hovered) {
    if (hovered_ == hovered) {
        return;
    }
    hovered_ = hovered;
    if (hovered) {
        SetCapture(hwnd_);
    } else if (GetCapture() == hwnd_) {
        ReleaseCapture();
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void LinkLabel::Press() {
    // Pressing opens at once; there is no wait for the button's release.
    const std::string url = link_.url != nullptr ? link_.url : "";
    visited_ = !url.empty() && opener_ && opener_(url);
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

LRESULT CALLBACK LinkLabel::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LinkLabel* link = ControlOf<LinkLabel>(hwnd, message, lParam);
    if (link != nullptr) {
        switch (message) {
            case WM_PAINT:
                link->Paint();
                return 0;
            case WM_ERASEBKGND:
                return 1;
            case WM_MOUSEMOVE: {
                RECT client;
                GetClientRect(hwnd, &client);
                const POINT point{static_cast<short>(LOWORD(lParam)),
                                  static_cast<short>(HIWORD(lParam))};
                link->SetHovered(PtInRect(&client, point) != FALSE);
                return 0;
            }
            case WM_CAPTURECHANGED:
                if (reinterpret_cast<HWND>(lParam) != hwnd && link->hovered_) {
                    link->hovered_ = false;
                    InvalidateRect(hwnd, nullptr, FALSE);
                }
                return 0;
            case WM_LBUTTONDOWN:
                link->Press();
                return 0;
            case WM_SETCURSOR:
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace morvelin::win32
