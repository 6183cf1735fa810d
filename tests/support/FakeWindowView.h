#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "behaviour/PaneText.h"
#include "behaviour/Ports.h"
#include "behaviour/UiCallChannel.h"
#include "store/FileLayer.h"

namespace morvelin::testing {

// The main window without a window system: five pane texts that follow the panes' rules, and a
// record of what the controller asked of the window. A worker's pane call is carried out on the
// test's thread, which plays the UI thread, through the channel, as a real window does it. Every
// set raises the text-changed event there, once, through `changed`.
class FakeWindowView : public WindowView {
  public:
    using Changed = std::function<void(int pane)>;

    explicit FakeWindowView(UiCallChannel& channel) : channel_(channel) {}

    void OnChanged(Changed changed) { changed_ = std::move(changed); }

    Text GetPaneText(int pane) override {
        Text text;
        channel_.Call([&] { text = texts_[Index(pane)]; });
        return text;
    }

    void SetPaneText(int pane, Text text) override {
        channel_.Call([&] {
            texts_[Index(pane)] = PaneTextOf(text);
            calls.push_back("set " + std::to_string(pane));
            if (changed_) {
                changed_(pane);
            }
        });
    }

    void CloseAllFiles() override { morvelin::CloseAllFiles(); }

    // The user types: the pane changes and says so.
    void Type(int pane, const std::string& text) {
        texts_[Index(pane)] += text;
        if (changed_) {
            changed_(pane);
        }
    }

    const Text& Pane(int pane) const { return texts_[Index(pane)]; }

    bool SetLabelText(ControlId label, std::string_view utf8) override {
        calls.push_back("label " + std::string(LayoutOf(label).formName));
        labels.emplace_back(label, std::string(utf8));
        return label == ControlId::Label5;
    }
    bool AttachTip(ControlId control, std::string_view utf8) override {
        calls.push_back("tip " + std::string(LayoutOf(control).formName));
        tips.emplace_back(control, std::string(utf8));
        return control != missingControl;
    }
    // A control the window lacks: attaching a tip to it fails.
    ControlId missingControl = ControlId::Window;
    void SetPaneFileReadOnly(int pane, bool readOnly) override {
        fileReadOnly[Index(pane)] = readOnly;
    }
    void SetRunLocked(bool lock) override {
        locked = lock;
        calls.push_back(lock ? "lock" : "unlock");
    }
    void ShowProgress(int percent) override { progress.push_back(percent); }
    void SetTitle(std::string_view utf8) override { title = std::string(utf8); }
    void ReplacePaneTextAsEdit(int pane, const Text& text) override {
        texts_[Index(pane)] = text;
        calls.push_back("edit " + std::to_string(pane));
        if (changed_) {
            changed_(pane);
        }
    }
    void ShowPaneNote(int pane, std::string_view utf8) override {
        notes.emplace_back(pane, std::string(utf8));
    }

    std::vector<std::string> calls;
    std::vector<std::pair<ControlId, std::string>> labels;
    std::vector<std::pair<ControlId, std::string>> tips;
    std::array<bool, 5> fileReadOnly{};
    bool locked = false;
    std::vector<int> progress;
    std::string title;
    std::vector<std::pair<int, std::string>> notes;

  private:
    static std::size_t Index(int pane) { return static_cast<std::size_t>(pane - 1); }

    UiCallChannel& channel_;
    Changed changed_;
    std::array<Text, 5> texts_;
};

// The desktop's boxes, clipboard and browser, recorded.
class FakeDesktopPort : public DesktopPort {
  public:
    struct Box {
        std::string text;
        std::string caption;
        BoxIcon icon;
    };

    void ShowMessageBox(std::string_view text, std::string_view caption, BoxIcon icon) override {
        boxes.push_back({std::string(text), std::string(caption), icon});
        if (onBox) {
            onBox();
        }
    }
    bool SetClipboardText(const Text& text) override {
        clipboard = text;
        return true;
    }
    bool OpenWebPage(std::string_view url) override {
        pages.emplace_back(url);
        return true;
    }
    std::optional<std::string> AskText(std::string_view title, std::string_view,
                                       std::string_view initial, bool multiline) override {
        questions.push_back(std::string(title) + "|" + std::string(initial) +
                            (multiline ? "|lines" : ""));
        return answer;
    }

    // What AskText answers; nothing is a cancel.
    std::optional<std::string> answer;
    std::vector<std::string> questions;

    std::vector<Box> boxes;
    Text clipboard;
    std::vector<std::string> pages;
    std::function<void()> onBox;
};

}  // namespace morvelin::testing
