#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace morvelin::win32 {

// Where a balloon stands on the screen for text of a given size, its tail's point at the pointer:
// above and to the right of it, opening to the left at the screen's right edge and below the
// pointer at its top edge.
struct BalloonShape {
    RECT body{};                  // the rounded rectangle; the text sits inside its margins
    std::array<POINT, 3> tail{};  // the tail's two corners on the body's edge, then its point
    RECT window{};                // body, tail and shadow
};
BalloonShape PlaceBalloon(POINT pointer, SIZE text, const RECT& screen);

// The program's own balloon tips: each attached control shows its text in a balloon when the
// pointer has rested on it for 600 ms; any movement, a key, a mouse button or the wheel hides it,
// and so does a wait of 3000 ms. Painted by the program on a layered window (gradient, border,
// shadow, 10 % transparency) and fed by a message hook on the UI thread, which sees the pointer's
// and keyboard's messages before any control does.
class BalloonTips {
  public:
    static constexpr UINT kRestMs = 600;
    static constexpr UINT kShownMs = 3000;

    BalloonTips(HINSTANCE instance, HFONT font);
    ~BalloonTips();
    BalloonTips(const BalloonTips&) = delete;
    BalloonTips& operator=(const BalloonTips&) = delete;

    // The control's tip, CR LF starting a new line; false for no control.
    bool Attach(HWND control, std::wstring text);
    // Shows `text` at once in a balloon pointing at the middle of `control`, hidden as a tip is:
    // a short note of what the program just did there.
    void ShowNote(HWND control, const std::wstring& text);

    // What the hook reports, and the timers' ends (tests call these directly).
    void OnPointerMoved(HWND under, POINT screen);
    void OnInput();
    void OnRested();
    void OnShownLongEnough();

    bool Showing() const { return showing_ != nullptr; }
    HWND ShownFor() const { return showing_; }
    HWND Window() const { return window_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    const std::wstring* TipOf(HWND control, HWND* owner) const;
    void Show(HWND control, const std::wstring& text, POINT pointer);
    void Hide();

    HWND window_ = nullptr;
    HHOOK hook_ = nullptr;
    HFONT font_;
    std::vector<std::pair<HWND, std::wstring>> tips_;
    HWND resting_ = nullptr;  // the control the pointer rests on, while the rest is counted
    HWND showing_ = nullptr;
    POINT last_{-32768, -32768};
};

}  // namespace morvelin::win32
