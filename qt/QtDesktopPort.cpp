#include "qt/QtDesktopPort.h"

#include <QString>

#include "qt/Desktop.h"
#include "qt/QtText.h"
#include "qt/TextCodec.h"
#include "qt/WebPage.h"

namespace morvelin {

void QtDesktopPort::ShowMessageBox(std::string_view utf8Text, std::string_view utf8Caption,
                                   BoxIcon icon) {
    desktop_.ShowMessageBox(Utf8(utf8Text), Utf8(utf8Caption),
                            icon == BoxIcon::Error ? Desktop::Icon::Error : Desktop::Icon::None);
}

bool QtDesktopPort::SetClipboardText(const Text& text) {
    return desktop_.SetClipboardText(TextCodec::Decode(text));
}

bool QtDesktopPort::OpenWebPage(std::string_view url) {
    return morvelin::OpenWebPage(desktop_, Utf8(url));
}

std::optional<std::string> QtDesktopPort::AskText(std::string_view utf8Title,
                                                  std::string_view utf8Prompt,
                                                  std::string_view utf8Initial, bool multiline) {
    const std::optional<QString> answer =
        desktop_.AskText(Utf8(utf8Title), Utf8(utf8Prompt), Utf8(utf8Initial), multiline);
    if (!answer) {
        return std::nullopt;
    }
    return answer->toStdString();
}

}  // namespace morvelin
