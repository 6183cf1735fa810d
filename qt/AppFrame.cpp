#include "qt/AppFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <new>

#include "qt/MainWindow.h"
#include "qt/PaneEdit.h"
#include "qt/QtWindowSystem.h"
#include "qt/TextCodec.h"
#include "store/CategoryStore.h"

namespace morvelin {

namespace {

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

}  // namespace

AppFrame::AppFrame(Desktop& desktop, QString programFolder)
    : programFolder_(std::move(programFolder)),
      desktopPort_(desktop),
      controller_(desktopPort_, loop_),
      desktop_(desktop) {
    controller_.OnRunFinished(
        [this](GenerationOutcome outcome) { Q_EMIT runFinished(static_cast<int>(outcome)); });
}

AppFrame::~AppFrame() {
    // The worker goes before the window it could reach.
    controller_.OnRunFinished({});
    controller_.PrepareToEnd();
    windowSystem_.reset();
    window_.reset();
}

WindowView* AppFrame::System() const {
    return windowSystem_.get();
}

bool AppFrame::Start() {
    // Tests name a folder of their own; the program enters its own, by the raw bytes of its path.
    if (!programFolder_.isEmpty()) {
        if (!QDir::setCurrent(programFolder_)) {
            controller_.FatalError("无法进入本程序所在的文件夹，找不到数据文件。", 0);
            return false;
        }
    } else if (!controller_.EnterProgramFolder()) {
        return false;
    }
    if (!TextCodec::IsAvailable()) {
        controller_.FatalError("本程序所用的 Qt 不支持 GB18030 编码，无法读写数据文件。", 0);
        return false;
    }
    if (!controller_.PrepareDataFolder()) {
        return false;
    }
    try {
        return BuildAndShow();
    } catch (const AllocationFailure& failure) {
        controller_.FatalError(ProgramController::OutOfMemoryText(failure.Bytes()), 0);
    } catch (const std::bad_alloc&) {
        controller_.FatalError(ProgramController::OutOfMemoryText(0), 0);
    }
    return false;
}

bool AppFrame::BuildAndShow() {
    // Nothing is connected while the window is built, so none of its events reaches a handler.
    window_ = std::make_unique<MainWindow>(desktop_);
    windowSystem_ = std::make_unique<QtWindowSystem>(*window_, controller_.Channel());
    controller_.AttachWindow(*windowSystem_);
    CategoryStore& store = *controller_.Store();
    store.SetPaneSaver([this](int pane, const Text& path) { windowSystem_->SavePane(pane, path); });
    windowSystem_->SetFileWriter([&store](int pane, const Text& path, const Text& text) {
        store.WriteAndReport(pane, path, text);
    });
    Connect();

    controller_.OnWindowCreated();

    // The frame's corner, from the outer size and the primary screen's full size (task bar
    // included); a screen smaller than the window gives a negative corner.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        window_->move(MainWindow::CentredPosition(screen->geometry().size()));
    }
    window_->show();
    return true;
}

void AppFrame::Connect() {
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        PaneEdit* edit = window_->Pane(pane);
        connect(edit, &PaneEdit::paneTextChanged, this,
                [this, pane] { controller_.OnPaneTextChanged(pane); });
        connect(edit, &PaneEdit::toolChosen, this, [this, pane](int command) {
            controller_.OnPaneTool(pane, static_cast<PaneCommand>(command));
        });
        if (pane >= kTwoPartPane) {
            connect(edit, &PaneEdit::doubleClicked, this,
                    [this, pane] { controller_.OnPaneDoubleClicked(pane); });
        }
    }
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        // clicked, not toggled: a click on the marked button reloads its category too.
        connect(window_->CategoryButton(letter), &QAbstractButton::clicked, this,
                [this, letter] { controller_.OnCategoryClicked(letter); });
    }
    connect(window_->GenerateButton(), &QAbstractButton::clicked, this,
            [this] { controller_.OnGenerateClicked(); });
    connect(window_.get(), &MainWindow::closing, this, &AppFrame::OnWindowClosing);
}

int AppFrame::Run() {
    loopEntered_ = true;
    const int code = window_ ? QApplication::exec() : 0;
    return End(code);
}

void AppFrame::OnWindowClosing() {
    controller_.OnWindowClosing();
    if (loopEntered_) {
        QCoreApplication::exit(0);
    }
}

int AppFrame::End(int code) {
    if (ending_) {
        return code;
    }
    ending_ = true;
    // No run and no event may reach the window once it is going; the end handler runs after it
    // is gone.
    controller_.PrepareToEnd();
    windowSystem_.reset();
    window_.reset();
    return controller_.End(code);
}

void AppFrame::FatalError(const QString& message, int code) {
    controller_.FatalError(ToUtf8(message), code);
}

QString AppFrame::FatalErrorText(const QString& message, int code) {
    return QString::fromStdString(ProgramController::FatalErrorText(ToUtf8(message), code));
}

}  // namespace morvelin
