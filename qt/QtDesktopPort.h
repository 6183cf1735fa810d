#pragma once

#include "behaviour/Ports.h"

namespace morvelin {

class Desktop;

// The program's boxes, clipboard and browser on Qt: the controller's UTF-8 texts and GB18030
// Texts turned into Qt's strings for the desktop underneath (QtDesktop, or a test's fake).
class QtDesktopPort : public DesktopPort {
  public:
    explicit QtDesktopPort(Desktop& desktop) : desktop_(desktop) {}

    void ShowMessageBox(std::string_view utf8Text, std::string_view utf8Caption,
                        BoxIcon icon) override;
    bool SetClipboardText(const Text& text) override;
    bool OpenWebPage(std::string_view url) override;
    std::optional<std::string> AskText(std::string_view utf8Title, std::string_view utf8Prompt,
                                       std::string_view utf8Initial, bool multiline) override;

  private:
    Desktop& desktop_;
};

}  // namespace morvelin
