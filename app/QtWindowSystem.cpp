#include "app/QtWindowSystem.h"

#include <QUrl>

#include "app/TextCodec.h"
#include "app/UiCallChannel.h"
#include "app/WorkerThread.h"
#include "store/FileLayer.h"
#include "ui/BalloonTip.h"
#include "ui/MainWindow.h"
#include "ui/PaneEdit.h"
#include "ui/TextLabel.h"

namespace morvelin {

QtWindowSystem::QtWindowSystem(MainWindow& window, Desktop& desktop, UiCallChannel& channel,
                               WorkerThread& worker)
    : window_(window), desktop_(desktop), channel_(channel), worker_(worker) {}

Text QtWindowSystem::GetPaneText(int pane) {
    QString raw;
    // On a shut channel (the window is closing) the read gives the empty text.
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            raw = edit->RawText();
        }
    });
    return TextCodec::FromPaneText(raw);
}

void QtWindowSystem::SetPaneText(int pane, Text text) {
    QString decoded = TextCodec::ToPaneText(text);
    Text().swap(text);  // the bytes are not needed while the UI thread works
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            edit->SetText(std::move(decoded));
        }
    });
}

void QtWindowSystem::CloseAllFiles() {
    morvelin::CloseAllFiles();
}

void QtWindowSystem::SetLabelText(const QString& label, const QString& text) {
    if (auto* target = window_.findChild<TextLabel*>(label)) {
        target->setText(text);
    }
}

void QtWindowSystem::ShowMessageBox(const QString& text, const QString& caption,
                                    Desktop::Icon icon) {
    desktop_.ShowMessageBox(text, caption, icon);
}

bool QtWindowSystem::SetClipboardText(const Text& text) {
    return desktop_.SetClipboardText(TextCodec::Decode(text));
}

bool QtWindowSystem::StartThread(std::function<void()> routine) {
    return worker_.Start(std::move(routine));
}

void QtWindowSystem::OpenWebPage(const QString& url) {
    if (desktop_.OpenUrl(QUrl(url))) {
        return;
    }
#ifndef Q_OS_WIN
    // Where the desktop's handler refuses, the freedesktop opener directly, with the address as
    // its one argument and never through a shell. (On Windows the shell's "open" is all there is.)
    desktop_.StartProgram(QStringLiteral("xdg-open"), {url});
#endif
}

bool QtWindowSystem::AttachTip(const QString& control, const QString& text) {
    auto* target = window_.findChild<QWidget*>(control);
    BalloonTipComponent* tips = window_.BalloonTips();
    if (target == nullptr || tips == nullptr) {
        return false;
    }
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return tips->Attach(target, lines);
}

}  // namespace morvelin
