#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "behaviour/Layout.h"

namespace morvelin::win32 {

inline COLORREF ColorOf(Rgb rgb) {
    return RGB(rgb.r, rgb.g, rgb.b);
}

// The controls that the program draws itself, each a small child window: labels (one line centred
// vertically, or wrapped from the top) and hyperlink labels.
class TextLabel {
  public:
    static bool RegisterClass(HINSTANCE instance);
    // A child window at `place` (parent coordinates); owned by the parent.
    TextLabel(HWND parent, const RECT& place, HFONT font, Rgb text, Rgb background, bool wraps);

    HWND Handle() const { return hwnd_; }
    void SetText(std::wstring text);
    const std::wstring& Text() const { return text_; }

    // The lines of `text` as a label of `width` pixels wraps them in `dc`: at CR LF, and else
    // after the last character that fits (a line holds at least one character, and a surrogate
    // pair is never cut).
    static std::vector<std::wstring> WrapLines(HDC dc, const std::wstring& text, int width);

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND hwnd_ = nullptr;
    HFONT font_;
    COLORREF text_colour_, background_;
    bool wraps_;
    std::wstring text_;
};

// A one-line text that opens a web page when pressed: hover and visited colours, the hand pointer
// over its box.
class LinkLabel {
  public:
    using Opener = std::function<bool(const std::string& url)>;

    static bool RegisterClass(HINSTANCE instance);
    LinkLabel(HWND parent, const RECT& place, HFONT font, const LinkLayout& link,
              std::wstring caption, Rgb background, Opener opener);

    HWND Handle() const { return hwnd_; }
    bool Hovered() const { return hovered_; }
    bool Visited() const { return visited_; }
    COLORREF CurrentColour() const;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void SetHovered(bool hovered);
    void Press();

    HWND hwnd_ = nullptr;
    HFONT font_;
    LinkLayout link_;
    std::wstring caption_;
    COLORREF background_;
    Opener opener_;
    bool hovered_ = false;
    bool visited_ = false;
};

}  // namespace morvelin::win32
