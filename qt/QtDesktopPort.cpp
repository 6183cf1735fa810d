#include "qt/QtDesktopPort.h"

#include <QString>

#include "qt/Desktop.h"
#include "qt/TextCodec.h"
#include "qt/WebPage.h"

namespace morvelin {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void QtDesktopPort::ShowMessageBox(std::string_view utf8Text, std::string_view utf8Caption,
                                   BoxIcon icon) {
    desktop_.ShowMessageBox(FromUtf8(utf8Text), FromUtf8(utf8Caption),
                            icon == BoxIcon::Error ? Desktop::Icon::Error : Desktop::Icon::None);
}

bool QtDesktopPort::SetClipboardText(const Text& text) {
    return desktop_.SetClipboardText(TextCodec::Decode(text));
}

bool QtDesktopPort::OpenWebPage(std::string_view url) {
    return morvelin::OpenWebPage(desktop_, FromUtf8(url));
}

}  // namespace morvelin
