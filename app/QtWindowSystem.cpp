#include "app/QtWindowSystem.h"

#include <QThread>
#include <QUrl>
#include <memory>
#include <new>
#include <string>

#include "app/TextCodec.h"
#include "behaviour/UiCallChannel.h"
#include "behaviour/WorkerThread.h"
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
    std::string utf8;
    bool outOfMemory = false;
    // On a shut channel (the window is closing) the read gives the empty text.
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            try {
                utf8 = edit->Utf8Text();
            } catch (const std::bad_alloc&) {
                outOfMemory = true;  // thrown here, not through the UI thread's event loop
            }
        }
    });
    if (outOfMemory) {
        throw std::bad_alloc();
    }
    return TextCodec::FromPaneText(utf8);
}

void QtWindowSystem::SetPaneText(int pane, Text text) {
    const std::string utf8 = TextCodec::ToPaneText(text);
    Text().swap(text);
    if (QThread::currentThread() == window_.thread()) {
        // The UI thread's own sets (a category load) go in at once.
        PaneEdit* edit = window_.Pane(pane);
        if (edit != nullptr && !edit->SetText(utf8)) {
            throw std::bad_alloc();
        }
        return;
    }

    // A worker's set takes its text into a new document on the worker; the UI thread only shows
    // it, one short step however long the text.
    const PaneEdit::Shape shape = PaneEdit::Measure(utf8);
    std::unique_ptr<PaneEdit::Loader> loader;
    bool outOfMemory = false;
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            loader = edit->NewLoader();
            outOfMemory = !loader;
        }
    });
    if (outOfMemory) {
        throw std::bad_alloc();
    }
    if (!loader) {
        return;  // the window is closing
    }
    if (!loader->Load(utf8)) {
        throw std::bad_alloc();
    }
    // A worker's set leaves its save's write to the worker, which holds the bytes already.
    ReportedSet reported;
    reported.pane = pane;
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            reportedSet_ = &reported;
            edit->SetLoaded(std::move(loader), shape);
            reportedSet_ = nullptr;
        }
    });
    if (reported.paths.empty()) {
        return;
    }
    const Text bytes = TextCodec::FromPaneText(utf8);
    for (const Text& path : reported.paths) {
        WriteFile(pane, path, bytes);
        morvelin::CloseAllFiles();
    }
}

void QtWindowSystem::SavePane(int pane, const Text& path) {
    if (reportedSet_ != nullptr && reportedSet_->pane == pane &&
        QThread::currentThread() == window_.thread()) {
        reportedSet_->paths.push_back(path);
        return;
    }
    WriteFile(pane, path, GetPaneText(pane));
}

void QtWindowSystem::WriteFile(int pane, const Text& path, const Text& text) {
    if (fileWriter_) {
        fileWriter_(pane, path, text);
    } else {
        WriteWholeFile(path, text);
    }
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
