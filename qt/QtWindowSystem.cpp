#include "qt/QtWindowSystem.h"

#include <QThread>
#include <memory>
#include <new>
#include <string>

#include "behaviour/UiCallChannel.h"
#include "qt/BalloonTip.h"
#include "qt/MainWindow.h"
#include "qt/PaneEdit.h"
#include "qt/QtText.h"
#include "qt/TextCodec.h"
#include "qt/TextLabel.h"
#include "store/FileLayer.h"

namespace morvelin {

QtWindowSystem::QtWindowSystem(MainWindow& window, UiCallChannel& channel)
    : window_(window), channel_(channel) {}

Text QtWindowSystem::GetPaneText(int pane) {
    if (editedText_ != nullptr && pane == editedPane_ &&
        QThread::currentThread() == window_.thread()) {
        return *editedText_;
    }
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

bool QtWindowSystem::SetLabelText(ControlId label, std::string_view utf8) {
    auto* target = qobject_cast<TextLabel*>(window_.Control(label));
    if (target == nullptr) {
        return false;
    }
    target->setText(Utf8(utf8));
    return true;
}

bool QtWindowSystem::AttachTip(ControlId control, std::string_view utf8) {
    QWidget* target = window_.Control(control);
    BalloonTipComponent* tips = window_.BalloonTips();
    if (target == nullptr || target == &window_ || tips == nullptr) {
        return false;
    }
    QString lines = Utf8(utf8);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return tips->Attach(target, lines);
}

void QtWindowSystem::SetPaneFileReadOnly(int pane, bool readOnly) {
    if (PaneEdit* edit = window_.Pane(pane)) {
        edit->SetFileReadOnly(readOnly);
    }
}

void QtWindowSystem::SetRunLocked(bool locked) {
    window_.SetRunLocked(locked);
}

void QtWindowSystem::ShowProgress(int percent) {
    window_.ShowProgress(percent);
}

void QtWindowSystem::SetTitle(std::string_view utf8) {
    window_.setWindowTitle(Utf8(utf8));
}

void QtWindowSystem::ReplacePaneTextAsEdit(int pane, const Text& text) {
    if (PaneEdit* edit = window_.Pane(pane)) {
        // The edit's own report saves the pane; it holds `text` exactly then (a tool's result is
        // whole lines of what the pane gave), so the save needs no conversion back.
        editedPane_ = pane;
        editedText_ = &text;
        edit->ReplaceAllAsEdit(TextCodec::ToPaneText(text));
        editedPane_ = 0;
        editedText_ = nullptr;
    }
}

void QtWindowSystem::ShowPaneNote(int pane, std::string_view utf8) {
    if (BalloonTipComponent* tips = window_.BalloonTips()) {
        tips->ShowNote(window_.Pane(pane), Utf8(utf8));
    }
}

}  // namespace morvelin
