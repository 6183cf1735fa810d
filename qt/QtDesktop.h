#pragma once

#include "qt/Desktop.h"

namespace morvelin {

// The real desktop: Qt's message box, input dialog, clipboard and URL handling, and detached
// processes.
class QtDesktop : public Desktop {
  public:
    void ShowMessageBox(const QString& text, const QString& caption, Icon icon) override;
    bool SetClipboardText(const QString& text) override;
    bool OpenUrl(const QUrl& url) override;
    bool StartProgram(const QString& program, const QStringList& arguments) override;
    std::optional<QString> AskText(const QString& title, const QString& prompt,
                                   const QString& initial, bool multiline) override;
};

}  // namespace morvelin
