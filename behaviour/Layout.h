#pragma once

#include <cstdint>
#include <span>

namespace morvelin {

// The main window as data: every control with its kind, form name, parent, place, size, caption,
// colours and font. Each window system builds its widgets from these tables, so the window looks
// the same everywhere and the tests check the built window against the tables themselves. Texts
// are UTF-8; places are pixels relative to the parent, sizes in pixels.

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWindowGrey{236, 236, 236};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// Every control, by a typed id: no window system looks a control up by its name.
enum class ControlId {
    Window,  // the main window itself, the parent of the top-level controls
    BalloonTips,
    GroupBox9,
    GroupBox8,
    GroupBox7,
    Pane3,
    GroupBox6,
    Pane2,
    GroupBox5,
    Pane1,
    GroupBox4,
    GroupBox1,
    GenerateButton,
    GroupBox3,
    Pane5,
    Pane4,
    Label5,
    Label4,
    Label3,
    Link10,
    Link6,
    Link7,
    Link8,
    Link9,
    Link1,
    Label2,
    Label1,
    CategoryA,  // CategoryA + k is the button of letter 'a' + k
    CategoryZ = CategoryA + 25,
};

enum class ControlKind {
    BalloonTips,  // no visible part of its own
    GroupBox,
    Pane,
    Label,  // 标签1-4: one line, centred vertically; 标签5 wraps from the top
    HyperlinkLabel,
    RadioButton,
    PushButton,
};

enum class FontKind {
    DefaultGui,      // the window's font, "宋体" 9 points on a Chinese desktop
    Pane,            // "宋体" 9 points
    SongTiPixels14,  // "宋体" with a character height of 14 pixels
    SongTiPixels16,  // the same, 16 pixels
};

struct ControlLayout {
    ControlId id;
    ControlKind kind;
    const char* formName;
    ControlId parent;
    int x, y, width, height;
    const char* caption;  // the caption or text at start; empty where none
    Rgb text;             // caption or text colour
    Rgb background;
    FontKind font;
    bool wraps;  // panes 4 and 5, 标签5
};

struct WindowLayout {
    const char* caption;
    int clientWidth, clientHeight;
    // With frame and title bar: the start position is computed from this.
    int outerWidth, outerHeight;
    Rgb background;
};

const WindowLayout& MainWindowLayout();

// Every control of the window, front to back within each parent, parents before their children.
std::span<const ControlLayout> ControlLayouts();

// One control's row; every id but Window has one.
const ControlLayout& LayoutOf(ControlId id);

// Pane 1 to 5, category letter a to z: their controls.
ControlId PaneControl(int pane);
ControlId CategoryControl(char letter);

// The hyperlink labels' colours, captions and addresses.
struct LinkLayout {
    ControlId id;
    Rgb normal, visited, hover;
    const char* url;
};
std::span<const LinkLayout> LinkLayouts();
const LinkLayout& LinkOf(ControlId id);

// The makers' home page: opened when the window closes, and by the links that name the makers.
extern const char* const kMakersPageUrl;

}  // namespace morvelin
