#include "app/AppFrame.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/Desktop.h"
#include "app/QtWindowSystem.h"
#include "app/TextCodec.h"
#include "store/CategoryStore.h"
#include "store/FileLayer.h"
#include "store/ProgramFolder.h"
#include "ui/Links.h"
#include "ui/MainWindow.h"
#include "ui/PaneEdit.h"
#include "ui/WindowHandlers.h"

namespace morvelin {

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// A run shows its progress on the button only once it has lasted this long; a short run would
// just flicker.
constexpr int kProgressDelayMs = 500;

[[noreturn]] void EndProcess(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace

GenerationLimit AppFrame::DefaultGenerationLimit() {
    // Measured with the program itself (build/bench/gui_bench: a run of 100k two-part and 1M
    // three-part lines of about 35 bytes): the panes hold about 90 bytes of memory per line, and a
    // run peaks at about 270 per output line while the worker holds the text it hands over. With
    // these limits on each output two full panes hold about 1 GB and peak near 3 GB. Time bounds
    // it more: every keystroke in a pane saves the whole of it, about 0.2 s per million lines for
    // the conversion and the write, so over a second at 5M lines.
    GenerationLimit limit;
    limit.maxLines = 5'000'000;
    limit.maxBytes = 256ull * 1024 * 1024;
    return limit;
}

AppFrame::AppFrame(Desktop& desktop, QString programFolder)
    : desktop_(desktop), programFolder_(std::move(programFolder)), exitProcess_(EndProcess) {
    progressDelay_.setSingleShot(true);
    progressDelay_.setInterval(kProgressDelayMs);
    connect(&progressDelay_, &QTimer::timeout, this, [this] {
        if (runActive_ && window_) {
            window_->ShowProgress(std::max(runPercent_, 0));
        }
    });
}

AppFrame::~AppFrame() {
    CancelRun();
    if (handlers_) {
        handlers_->BlockEvents();
    }
    handlers_.reset();
    window_.reset();
}

WindowSystem* AppFrame::System() const {
    return windowSystem_.get();
}

bool AppFrame::Start() {
#ifdef _WIN32
    // The byte-safe split of the ANSI program path, as the data paths are ANSI too.
    if (!EnterProgramFolder()) {
        QDir::setCurrent(programFolder_);
    }
#else
    QDir::setCurrent(programFolder_);
#endif

    if (!TextCodec::IsAvailable()) {
        FatalError(Utf8("本程序所用的 Qt 不支持 GB18030 编码，无法读写数据文件。"), 0);
        return false;
    }
    EnsureDataFolder();

    // Nothing is connected while the window is built, so none of its events reaches a handler.
    window_ = std::make_unique<MainWindow>(desktop_);
    windowSystem_ = std::make_unique<QtWindowSystem>(*window_, desktop_, channel_, worker_);
    store_ = std::make_unique<CategoryStore>(*windowSystem_, [this](int pane, bool readOnly) {
        if (PaneEdit* edit = window_->Pane(pane)) {
            edit->SetFileReadOnly(readOnly);
        }
    });
    store_->SetPaneSaver(
        [this](int pane, const Text& path) { windowSystem_->SavePane(pane, path); });
    windowSystem_->SetFileWriter([this](int pane, const Text& path, const Text& text) {
        store_->WritePaneFile(pane, path, text);
    });
    endHandler_ = [this] { store_->ReleaseCategoryFiles(); };
    handlers_ = std::make_unique<WindowHandlers>(
        *window_, *windowSystem_, *store_, [this] { StartGeneration(); }, Utf8(kMakersPageUrl));
    handlers_->Connect();
    connect(window_.get(), &MainWindow::closing, this, &AppFrame::OnWindowClosing);

    handlers_->OnWindowCreated();

    // The frame's corner, from the outer size and the primary screen's full size (task bar
    // included); a screen smaller than the window gives a negative corner.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        window_->move(MainWindow::CentredPosition(screen->geometry().size()));
    }
    window_->show();
    return true;
}

void AppFrame::EnsureDataFolder() {
    QDir folder(programFolder_);
    if (folder.exists(QStringLiteral("data")) &&
        QFileInfo(folder.filePath(QStringLiteral("data"))).isDir()) {
        return;
    }
    if (folder.mkdir(QStringLiteral("data"))) {
        return;
    }
    // Without the folder every save fails; say so once rather than lose the user's typing.
    desktop_.ShowMessageBox(Utf8("无法在程序所在的文件夹中创建数据文件夹：\r\n") +
                                QDir::toNativeSeparators(folder.filePath(QStringLiteral("data"))) +
                                Utf8("\r\n\r\n本次所做的修改都无法保存。"),
                            Utf8("无法保存"), Desktop::Icon::Error);
}

int AppFrame::Run() {
    loopEntered_ = true;
    const int code = window_ ? QApplication::exec() : 0;
    return End(code);
}

void AppFrame::OnWindowClosing() {
    // The worker must be gone before the window is: it could otherwise reach a pane.
    CancelRun();
    if (handlers_ && !handlers_->EventsBlocked()) {
        handlers_->OnWindowDestroyed();
        handlers_->BlockEvents();
    }
    if (loopEntered_) {
        QCoreApplication::exit(0);
    }
}

int AppFrame::End(int code) {
    if (ending_) {
        return code;
    }
    CancelRun();
    if (handlers_) {
        handlers_->BlockEvents();
    }
    ending_ = true;
    handlers_.reset();
    window_.reset();
    if (endHandler_) {
        auto handler = std::move(endHandler_);
        endHandler_ = nullptr;
        handler();
    }
    CloseAllFiles();
    return code;
}

void AppFrame::StartGeneration() {
    if (runActive_ || ending_ || !window_) {
        return;
    }
    worker_.Join();  // the previous run has posted its end; its thread is about to return
    stop_ = false;
    channel_.Reopen();
    const unsigned runId = ++runId_;
    runActive_ = true;
    window_->SetRunLocked(true);
    runPercent_ = -1;
    combined_ = 0;
    planned_ = 0;
    progressDelay_.start();

    GenerateOptions options;
    options.limit = limit_;
    options.stop = &stop_;
    options.progress = [this, runId](std::uint64_t done, std::uint64_t planned) {
        QMetaObject::invokeMethod(
            this, [this, runId, done, planned] { OnProgress(runId, done, planned); },
            Qt::QueuedConnection);
    };

    const bool started = windowSystem_->StartThread([this, runId, options] {
        GenerationResult result;
        bool outOfMemory = false;
        try {
            result = KeywordGenerator::Generate(*windowSystem_, options);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        QMetaObject::invokeMethod(
            this, [this, runId, result, outOfMemory] { OnRunFinished(runId, result, outOfMemory); },
            Qt::QueuedConnection);
    });
    if (!started) {
        // A press without effect, as when the system has no thread to give.
        runActive_ = false;
        Unlock();
    }
}

void AppFrame::OnProgress(unsigned runId, std::uint64_t done, std::uint64_t planned) {
    if (runId != runId_ || !runActive_) {
        return;
    }
    combined_ = done;
    planned_ = planned;
    UpdateProgress();
}

void AppFrame::UpdateProgress() {
    const int percent =
        planned_ > 0 ? static_cast<int>(std::min(combined_, planned_) * 100 / planned_) : 0;
    if (percent == runPercent_ || !window_) {
        return;
    }
    runPercent_ = percent;
    if (!progressDelay_.isActive()) {
        window_->ShowProgress(percent);
    }
}

void AppFrame::OnRunFinished(unsigned runId, GenerationResult result, bool outOfMemory) {
    if (runId != runId_ || !runActive_) {
        return;  // a cancelled run; its end was handled by the cancel
    }
    worker_.Join();
    runActive_ = false;
    Unlock();
    if (outOfMemory) {
        FatalError(Utf8("生成关键词时内存不足!"), 0);
        return;
    }
    if (result.outcome == GenerationOutcome::Refused) {
        windowSystem_->ShowMessageBox(RefusalText(result.plan, limit_), Utf8("无法生成"),
                                      Desktop::Icon::Error);
    }
    Q_EMIT runFinished(static_cast<int>(result.outcome));
}

void AppFrame::CancelRun() {
    if (!runActive_ && !worker_.Joinable()) {
        return;
    }
    stop_ = true;
    // Pending and later pane calls of the worker are dropped, so the join below cannot wait on a
    // call that only this thread could run.
    channel_.Shut();
    worker_.Join();
    const bool wasActive = runActive_;
    runActive_ = false;
    ++runId_;
    Unlock();
    if (wasActive) {
        Q_EMIT runFinished(static_cast<int>(GenerationOutcome::Stopped));
    }
}

void AppFrame::Unlock() {
    progressDelay_.stop();
    if (window_) {
        // Each pane goes back to its own file's read-only state.
        window_->SetRunLocked(false);
    }
}

QString AppFrame::RefusalText(const GenerationPlan& plan, const GenerationLimit& limit) {
    const auto number = [](std::uint64_t n) { return QLocale::c().toString(qulonglong(n)); };
    const std::uint64_t maxBytes = std::min<std::uint64_t>(limit.maxBytes, kMaxTextBytes);
    return Utf8("要生成的关键词太多，本程序容纳不下，所以没有生成，各框内容都未改动。\r\n\r\n") +
           Utf8("一级生成：%1 行，%2 字节\r\n二级生成：%3 行，%4 字节\r\n\r\n")
               .arg(number(plan.twoPart.lines), number(plan.twoPart.bytes),
                    number(plan.threePart.lines), number(plan.threePart.bytes)) +
           Utf8("每一项最多 %1 行、%2 字节。请减少录入的关键词后再试。")
               .arg(number(limit.maxLines), number(maxBytes));
}

QString AppFrame::FatalErrorText(const QString& message, int code) {
    QString text = Utf8("运行时出错!\r\n\r\n");
    if (code != 0) {
        text += Utf8("错误代码：") + QString::number(code) + QStringLiteral("\r\n\r\n");
    }
    if (!message.isEmpty()) {
        text += Utf8("错误信息：") + message + QStringLiteral("\r\n");
    }
    return text;
}

void AppFrame::FatalError(const QString& message, int code) {
    if (QThread::currentThread() != thread()) {
        // The box belongs to the UI thread; this worker just ends after asking for it.
        QMetaObject::invokeMethod(
            this, [this, message, code] { FatalError(message, code); }, Qt::QueuedConnection);
        return;
    }
    if (handlers_) {
        handlers_->BlockEvents();
    }
    desktop_.ShowMessageBox(FatalErrorText(message, code), Utf8("错误"), Desktop::Icon::Error);
    endHandler_ = nullptr;
    exitProcess_(-1);
}

}  // namespace morvelin
