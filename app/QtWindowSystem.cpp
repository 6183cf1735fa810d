#include "app/QtWindowSystem.h"

#include <QTextDocument>
#include <QThread>
#include <QUrl>
#include <memory>

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
    std::shared_ptr<const Text> exact;
    // On a shut channel (the window is closing) the read gives the empty text.
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            exact = edit->ExactBytes();
            if (!exact) {
                raw = edit->RawText();
            }
        }
    });
    if (exact) {
        return *exact;
    }
    return TextCodec::FromPaneText(raw);
}

void QtWindowSystem::SetPaneText(int pane, Text text) {
    QString decoded = TextCodec::ToPaneText(text);
    Text().swap(text);  // the bytes are not needed while the UI thread works
    if (QThread::currentThread() == window_.thread()) {
        // The UI thread's own sets (a category load) cannot wait for a fill: one piece.
        channel_.Call([&] {
            if (PaneEdit* edit = window_.Pane(pane)) {
                edit->SetText(std::move(decoded));
            }
        });
        return;
    }

    QThread* const worker = QThread::currentThread();
    const auto filled = channel_.MakeLatch();
    std::unique_ptr<QTextDocument> oldDocument;
    unsigned fill = 0;
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            PaneEdit::FillStart start = edit->BeginFill(
                decoded, [this, filled] { channel_.Release(filled); }, fillProgress_);
            fill = start.fill;
            oldDocument = std::move(start.oldDocument);
            // Deleting a million lines takes the better part of 100 ms: here, not there.
            oldDocument->moveToThread(worker);
        }
    });
    oldDocument.reset();
    if (fill == 0) {
        return;
    }
    // What a read of the new content will give, worked out while the UI thread fills the pane: the
    // text as the document splits it, every break as CR LF.
    auto exact = std::make_shared<const Text>(TextCodec::FromPaneText(decoded));
    decoded = QString();
    if (!channel_.Wait(filled)) {
        return;
    }
    std::vector<std::pair<Text, Text>> writes;
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            deferredWrites_ = &writes;
            edit->FinishFill(fill, std::move(exact));
            deferredWrites_ = nullptr;
        }
    });
    exact.reset();
    for (auto& [path, content] : writes) {
        WriteWholeFile(path, content);
        Text().swap(content);
        morvelin::CloseAllFiles();
    }
}

void QtWindowSystem::WriteFile(const Text& path, Text content) {
    if (deferredWrites_ != nullptr && QThread::currentThread() == window_.thread()) {
        deferredWrites_->emplace_back(path, std::move(content));
        return;
    }
    WriteWholeFile(path, content);
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
