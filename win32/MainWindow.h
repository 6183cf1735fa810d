#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "behaviour/Layout.h"
#include "behaviour/PaneMenu.h"
#include "behaviour/Ports.h"
#include "win32/BalloonTips.h"
#include "win32/ScintillaPane.h"
#include "win32/SelfDrawn.h"

namespace morvelin {
class ProgramController;
}

namespace morvelin::win32 {

class Win32Desktop;

// The program's main window on Win32, built from the layout tables: group boxes painted on the
// window itself; panes, category buttons, the generate button, labels and links as child windows
// of the main window at their group box's offset, in the tables' front-to-back order. Its events
// go to the controller; the controller drives it through WindowView.
class MainWindow : public WindowView {
  public:
    MainWindow(HINSTANCE instance, ProgramController& controller, Win32Desktop& desktop);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window and its controls, hidden, at the centred start position; false when that
    // failed.
    bool Create();
    void Show();
    HWND Handle() const { return hwnd_; }

    // The window's own keys, before the focused control sees them: Esc closes the window, Tab
    // moves the focus (a pane never takes a tab), and the dialog keys of the buttons.
    bool PreTranslate(MSG& msg);

    // PaneAccess: any thread.
    Text GetPaneText(int pane) override;
    void SetPaneText(int pane, Text text) override;
    void CloseAllFiles() override;

    bool SetLabelText(ControlId label, std::string_view utf8) override;
    bool AttachTip(ControlId control, std::string_view utf8) override;
    void SetPaneFileReadOnly(int pane, bool readOnly) override;
    void SetRunLocked(bool locked) override;
    void ShowProgress(int percent) override;
    void SetTitle(std::string_view utf8) override;
    void ReplacePaneTextAsEdit(int pane, const Text& text) override;
    void ShowPaneNote(int pane, std::string_view utf8) override;

    // The pane's context menu: what its state allows, and a command of it carried out; a tool
    // goes to the controller.
    PaneMenuState MenuState(int pane);
    void RunPaneCommand(int pane, PaneCommand command);

    // What the tests look at.
    HWND Control(ControlId id) const;
    ScintillaPane& Pane(int pane) { return *panes_[static_cast<std::size_t>(pane - 1)].edit; }
    const TextLabel* Label(ControlId id) const;
    // The colour a hyperlink label draws its caption in now.
    COLORREF LinkColour(ControlId id) const;
    BalloonTips* Tips() { return tips_.get(); }
    static POINT StartPosition(int screenWidth, int screenHeight);

  private:
    struct PaneState {
        std::unique_ptr<ScintillaPane> edit;
        // The Text of the pane's content while it is what the program last set: a read gives
        // exactly these bytes, also where they are not well-formed GB18030 (such a text shows
        // U+FFFD and takes no edits). Any edit of the user's ends it.
        std::optional<Text> setText;
        bool undecodable = false;
        bool fileReadOnly = false;
        bool setting = false;
    };

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Paint();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnPaneChanged(int pane);
    void OnContextMenu(HWND control, LPARAM lParam);
    Text ReadPane(int pane);
    void ApplySet(int pane, std::string_view utf8, Text text, bool undecodable);
    void ApplyReadOnly(int pane);
    HFONT FontOf(FontKind kind) const;
    RECT PlaceOf(const ControlLayout& control) const;

    HINSTANCE instance_;
    ProgramController& controller_;
    Win32Desktop& desktop_;
    HWND hwnd_ = nullptr;
    HBRUSH background_ = nullptr;
    std::array<HFONT, 4> fonts_{};
    std::array<PaneState, 5> panes_;
    std::map<ControlId, HWND> controls_;
    std::vector<std::unique_ptr<TextLabel>> labels_;
    std::vector<std::unique_ptr<LinkLabel>> links_;
    std::unique_ptr<BalloonTips> tips_;
    bool runLocked_ = false;
};

}  // namespace morvelin::win32
