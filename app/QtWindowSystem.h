#pragma once

#include "app/WindowSystem.h"

namespace morvelin {

class MainWindow;
class UiCallChannel;
class WorkerThread;

// The window-system operations on the real main window. Pane reads and sets from a worker travel
// through the UI call channel; their GB18030 conversion runs on the calling thread, so that only
// the widget call itself occupies the UI thread.
class QtWindowSystem : public WindowSystem {
  public:
    QtWindowSystem(MainWindow& window, Desktop& desktop, UiCallChannel& channel,
                   WorkerThread& worker);

    Text GetPaneText(int pane) override;
    void SetPaneText(int pane, Text text) override;
    void CloseAllFiles() override;

    void SetLabelText(const QString& label, const QString& text) override;
    void ShowMessageBox(const QString& text, const QString& caption,
                        Desktop::Icon icon = Desktop::Icon::None) override;
    bool SetClipboardText(const Text& text) override;
    bool StartThread(std::function<void()> routine) override;
    void OpenWebPage(const QString& url) override;
    bool AttachTip(const QString& control, const QString& text) override;

  private:
    MainWindow& window_;
    Desktop& desktop_;
    UiCallChannel& channel_;
    WorkerThread& worker_;
};

}  // namespace morvelin
