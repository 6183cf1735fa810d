#include "app/QtWindowSystem.h"

#include <QTextDocument>
#include <QThread>
#include <QUrl>
#include <memory>

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
    return TextCodec::FromPaneText(std::move(raw));
}

namespace {

// A worker's set decodes its text in parts, cut after an LF, and the pane takes in the first part
// while the worker decodes the next: the fill, by far the longest step, starts at once. The first
// part is small so that it starts soon; the others large, so that few calls reach the UI thread.
constexpr std::size_t kFirstPartBytes = 64 * 1024;
constexpr std::size_t kPartBytes = 4 * 1024 * 1024;

// The end of the part of `bytes` that begins at `start`: after the first LF at or beyond
// `start + size`, or the end.
std::size_t PartEnd(std::string_view bytes, std::size_t start, std::size_t size) {
    if (bytes.size() - start <= size) {
        return bytes.size();
    }
    const std::size_t newline = bytes.find('\n', start + size);
    return newline == std::string_view::npos ? bytes.size() : newline + 1;
}

}  // namespace

void QtWindowSystem::SetPaneText(int pane, Text text) {
    if (QThread::currentThread() == window_.thread()) {
        // The UI thread's own sets (a category load) cannot wait for a fill: one piece.
        QString decoded = TextCodec::ToPaneText(text);
        Text().swap(text);
        channel_.Call([&] {
            if (PaneEdit* edit = window_.Pane(pane)) {
                edit->SetText(std::move(decoded));
            }
        });
        return;
    }

    const std::string_view bytes(text.data(), TextCodec::PaneTextLength(text));
    std::size_t partEnd = PartEnd(bytes, 0, kFirstPartBytes);
    QString part = TextCodec::ToPaneText(bytes.substr(0, partEnd));
    QThread* const worker = QThread::currentThread();
    const auto filled = channel_.MakeLatch();
    std::unique_ptr<QTextDocument> oldDocument;
    unsigned fill = 0;
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            PaneEdit::FillStart start = edit->BeginFill(
                part, [this, filled] { channel_.Release(filled); }, fillProgress_,
                partEnd < bytes.size());
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
    // What a read of the new content will give, worked out part by part while the UI thread fills
    // the pane: the text as the document splits it, every break as CR LF.
    auto exact = std::make_shared<Text>();
    exact->reserve(bytes.size());
    while (true) {
        exact->append(TextCodec::FromPaneText(std::as_const(part)));
        if (partEnd == bytes.size()) {
            break;
        }
        const std::size_t partStart = partEnd;
        partEnd = PartEnd(bytes, partStart, kPartBytes);
        part = TextCodec::ToPaneText(bytes.substr(partStart, partEnd - partStart));
        const bool last = partEnd == bytes.size();
        if (!channel_.Call([&] {
                if (PaneEdit* edit = window_.Pane(pane)) {
                    edit->AppendFill(fill, part, last);
                }
            })) {
            return;
        }
    }
    part = QString();
    Text().swap(text);
    if (!channel_.Wait(filled)) {
        return;
    }
    ReportedSet reported;
    reported.pane = pane;
    std::shared_ptr<const Text> exactBytes = std::move(exact);
    channel_.Call([&] {
        if (PaneEdit* edit = window_.Pane(pane)) {
            reportedSet_ = &reported;
            edit->FinishFill(fill, exactBytes);
            reportedSet_ = nullptr;
        }
    });
    for (const Text& path : reported.paths) {
        WriteFile(pane, path, *exactBytes);
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
