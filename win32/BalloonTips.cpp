#include "win32/BalloonTips.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace morvelin::win32 {

namespace {

constexpr wchar_t kClassName[] = L"MorvelinBalloon";
constexpr int kMargin = 16;
constexpr int kTailWidth = 16;
constexpr int kTailHeight = 16;
constexpr int kTailInset = 16;
constexpr int kCorner = 5;
constexpr POINT kShadowOffset{5, 3};
constexpr int kShadowBlur = 7;
constexpr double kShadowDarkening = 0.6;
constexpr BYTE kOpacity = 230;  // 10 % transparent
constexpr UINT_PTR kRestTimer = 1;
constexpr UINT_PTR kShownTimer = 2;

BalloonTips* g_tips = nullptr;  // the hook has no context of its own; one per UI thread

struct Pixel {
    double r, g, b;
};

}  // namespace

BalloonShape PlaceBalloon(POINT pointer, SIZE text, const RECT& screen) {
    // Never narrower than the tail and its inset at both ends, so the tail meets a straight edge.
    const int width = std::max<int>(text.cx + 2 * kMargin, 2 * kTailInset + kTailWidth);
    const int height = std::max<int>(text.cy, 0) + 2 * kMargin;
    bool right = false;
    bool below = false;
    BalloonShape shape;
    const auto place = [&] {
        const int left =
            right ? pointer.x + kTailInset - width + 1 : static_cast<int>(pointer.x) - kTailInset;
        const int top = below ? pointer.y + kTailHeight : pointer.y - kTailHeight - height + 1;
        shape.body = RECT{left, top, left + width, top + height};
    };
    place();
    right = shape.body.right > screen.right;
    below = shape.body.top < screen.top;
    place();
    const int baseY = below ? shape.body.top : shape.body.bottom - 1;
    const int baseX = right ? pointer.x - kTailWidth : static_cast<int>(pointer.x);
    shape.tail = {POINT{baseX, baseY}, POINT{baseX + kTailWidth, baseY}, pointer};
    RECT bounds = shape.body;
    for (const POINT& corner : shape.tail) {
        bounds.left = std::min(bounds.left, corner.x);
        bounds.top = std::min(bounds.top, corner.y);
        bounds.right = std::max(bounds.right, corner.x + 1);
        bounds.bottom = std::max(bounds.bottom, corner.y + 1);
    }
    const int reach = kShadowBlur / 2 + 1;
    shape.window =
        RECT{bounds.left - reach, bounds.top - reach, bounds.right + kShadowOffset.x + reach,
             bounds.bottom + kShadowOffset.y + reach};
    return shape;
}

BalloonTips::BalloonTips(HINSTANCE instance, HFONT font) : font_(font) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(
        WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
        kClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    g_tips = this;
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, Hook, nullptr, GetCurrentThreadId());
}

BalloonTips::~BalloonTips() {
    if (hook_ != nullptr) {
        UnhookWindowsHookEx(hook_);
    }
    if (g_tips == this) {
        g_tips = nullptr;
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

bool BalloonTips::Attach(HWND control, std::wstring text) {
    if (control == nullptr || !IsWindow(control)) {
        return false;
    }
    for (auto& [owner, tip] : tips_) {
        if (owner == control) {
            tip = std::move(text);
            return true;
        }
    }
    tips_.emplace_back(control, std::move(text));
    return true;
}

const std::wstring* BalloonTips::TipOf(HWND control, HWND* owner) const {
    // A message may come from a control's own child (a scroll bar, an edit's inner window).
    for (HWND hwnd = control; hwnd != nullptr; hwnd = GetParent(hwnd)) {
        for (const auto& [attached, tip] : tips_) {
            if (attached == hwnd) {
                *owner = attached;
                return &tip;
            }
        }
    }
    return nullptr;
}

void BalloonTips::OnPointerMoved(HWND under, POINT screen) {
    if (screen.x == last_.x && screen.y == last_.y) {
        return;  // the system repeats a move when a window changes under a still pointer
    }
    last_ = screen;
    Hide();
    HWND owner = nullptr;
    if (under != window_ && TipOf(under, &owner) != nullptr) {
        resting_ = owner;
        SetTimer(window_, kRestTimer, kRestMs, nullptr);
    } else {
        resting_ = nullptr;
        KillTimer(window_, kRestTimer);
    }
}

void BalloonTips::OnInput() {
    Hide();
    resting_ = nullptr;
    KillTimer(window_, kRestTimer);
}

void BalloonTips::OnRested() {
    KillTimer(window_, kRestTimer);
    HWND control = resting_;
    resting_ = nullptr;
    HWND owner = nullptr;
    const std::wstring* tip = control != nullptr ? TipOf(control, &owner) : nullptr;
    if (tip == nullptr || !IsWindowVisible(control)) {
        return;
    }
    Show(owner, *tip, last_);
}

void BalloonTips::OnShownLongEnough() {
    // Up again only after the pointer has moved and rested.
    Hide();
}

void BalloonTips::Hide() {
    KillTimer(window_, kShownTimer);
    if (showing_ != nullptr) {
        showing_ = nullptr;
        ShowWindow(window_, SW_HIDE);
    }
}

void BalloonTips::ShowNote(HWND control, const std::wstring& text) {
    RECT box{};
    if (control == nullptr || text.empty() || !GetWindowRect(control, &box)) {
        return;
    }
    Show(control, text, POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
}

void BalloonTips::Show(HWND control, const std::wstring& text, POINT pointer) {
    const HDC screenDc = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screenDc);
    const HGDIOBJ oldFont = SelectObject(dc, font_);
    RECT textRect{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const BalloonShape shape = PlaceBalloon(pointer, SIZE{textRect.right, textRect.bottom}, screen);
    const int width = shape.window.right - shape.window.left;
    const int height = shape.window.bottom - shape.window.top;
    const auto local = [&](POINT p) {
        return POINT{p.x - shape.window.left, p.y - shape.window.top};
    };

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        SelectObject(dc, oldFont);
        DeleteDC(dc);
        ReleaseDC(nullptr, screenDc);
        return;
    }
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

    // The shape as a region: the rounded body and the tail.
    const POINT bodyTopLeft = local(POINT{shape.body.left, shape.body.top});
    const POINT bodyBottomRight = local(POINT{shape.body.right, shape.body.bottom});
    const HRGN region = CreateRoundRectRgn(bodyTopLeft.x, bodyTopLeft.y, bodyBottomRight.x + 1,
                                           bodyBottomRight.y + 1, kCorner, kCorner);
    POINT tail[3];
    for (std::size_t i = 0; i < 3; ++i) {
        tail[i] = local(shape.tail[i]);
    }
    // The tail's corners on the edge lie on the body's border line, so the two join without a seam.
    const HRGN tailRegion = CreatePolygonRgn(tail, 3, WINDING);
    CombineRgn(region, region, tailRegion, RGN_OR);
    DeleteObject(tailRegion);

    // Mask of the shape: white where it is.
    std::memset(pixels, 0, count * 4);
    const HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRgn(dc, region, white);
    DeleteObject(white);
    GdiFlush();
    std::vector<std::uint8_t> mask(count);
    for (std::size_t i = 0; i < count; ++i) {
        mask[i] = (pixels[i] & 0xFFu) != 0 ? 1 : 0;
    }

    // The body: a vertical gradient, the border, the text.
    const int bodyHeight = std::max<int>(shape.body.bottom - shape.body.top, 1);
    for (int y = 0; y < height; ++y) {
        const double t = std::clamp(static_cast<double>(y - bodyTopLeft.y) / bodyHeight, 0.0, 1.0);
        const auto channel = [t](int top) {
            return static_cast<std::uint32_t>(std::lround(top + (255 - top) * t));
        };
        const std::uint32_t colour = (channel(187) << 16) | (channel(210) << 8) | channel(244);
        std::fill(pixels + static_cast<std::size_t>(y) * width,
                  pixels + static_cast<std::size_t>(y + 1) * width, colour);
    }
    const HBRUSH border = CreateSolidBrush(RGB(128, 128, 255));
    FrameRgn(dc, region, border, 1, 1);
    DeleteObject(border);
    DeleteObject(region);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT textPlace{bodyTopLeft.x + kMargin, bodyTopLeft.y + kMargin,
                   bodyTopLeft.x + kMargin + textRect.right,
                   bodyTopLeft.y + kMargin + textRect.bottom};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textPlace, DT_NOPREFIX | DT_LEFT);
    GdiFlush();

    // The shadow: the mask moved and softened, under the shape; premultiplied alpha throughout.
    const int half = kShadowBlur / 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            if (mask[i] != 0) {
                pixels[i] |= 0xFF000000u;
                continue;
            }
            int covered = 0;
            for (int dy = -half; dy <= half; ++dy) {
                for (int dx = -half; dx <= half; ++dx) {
                    const int sx = x - kShadowOffset.x + dx;
                    const int sy = y - kShadowOffset.y + dy;
                    if (sx >= 0 && sy >= 0 && sx < width && sy < height &&
                        mask[static_cast<std::size_t>(sy) * width + sx] != 0) {
                        ++covered;
                    }
                }
            }
            const auto alpha = static_cast<std::uint32_t>(
                std::lround(255.0 * kShadowDarkening * covered / (kShadowBlur * kShadowBlur)));
            pixels[i] = alpha << 24;  // black, premultiplied
        }
    }

    POINT source{0, 0};
    POINT target{shape.window.left, shape.window.top};
    SIZE size{width, height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, kOpacity, AC_SRC_ALPHA};
    UpdateLayeredWindow(window_, screenDc, &target, &size, dc, &source, 0, &blend, ULW_ALPHA);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);

    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screenDc);

    showing_ = control;
    SetTimer(window_, kShownTimer, kShownMs, nullptr);
}

LRESULT CALLBACK BalloonTips::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && g_tips != nullptr) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        switch (msg.message) {
            case WM_MOUSEMOVE:
            case WM_NCMOUSEMOVE: {
                POINT point = msg.pt;
                g_tips->OnPointerMoved(msg.hwnd, point);
                break;
            }
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_NCLBUTTONDOWN:
            case WM_NCRBUTTONDOWN:
            case WM_MOUSEWHEEL:
            case WM_MOUSEHWHEEL:
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                g_tips->OnInput();
                break;
            default:
                break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK BalloonTips::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tips = reinterpret_cast<BalloonTips*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (tips != nullptr && message == WM_TIMER) {
        if (wParam == kRestTimer) {
            tips->OnRested();
        } else if (wParam == kShownTimer) {
            tips->OnShownLongEnough();
        }
        return 0;
    }
    if (message == WM_MOUSEACTIVATE) {
        return MA_NOACTIVATE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace morvelin::win32
