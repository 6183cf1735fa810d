#include "app/AppFrame.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScreen>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "app/Desktop.h"
#include "app/QtWindowSystem.h"
#include "app/TextCodec.h"
#include "behaviour/Layout.h"
#include "store/CategoryStore.h"
#include "store/FileLayer.h"
#include "store/ProgramFolder.h"
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

const char* const kDataFolder = "data";

QString NativePath(const Text& path) {
    return QDir::toNativeSeparators(TextCodec::Decode(path));
}

QString Number(std::uint64_t n) {
    return QLocale::c().toString(qulonglong(n));
}

std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > UINT64_MAX / a ? UINT64_MAX : a * b;
}

// The panes as a run sees them: the window's, except that emptying an output pane for its stage
// leaves its file as it is, so that the old output stays on disk until the new one is saved.
class RunPanes final : public PaneAccess {
  public:
    RunPanes(PaneAccess& panes, CategoryStore& store) : panes_(panes), store_(store) {}

    Text GetPaneText(int pane) override { return panes_.GetPaneText(pane); }
    void SetPaneText(int pane, Text text) override { panes_.SetPaneText(pane, std::move(text)); }
    void CloseAllFiles() override { panes_.CloseAllFiles(); }

    void ClearPaneForRun(int pane) override {
        struct Held {
            CategoryStore& store;
            int pane;
            ~Held() { store.SetSaveHeld(pane, false); }
        };
        store_.SetSaveHeld(pane, true);
        const Held held{store_, pane};
        panes_.SetPaneText(pane, Text());
    }

  private:
    PaneAccess& panes_;
    CategoryStore& store_;
};

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

std::uint64_t AppFrame::RunMemory(const GenerationPlan& plan) {
    const auto pane = [](const OutputSize& output) {
        return std::max(SaturatingMul(output.lines, kPaneBytesPerLine),
                        SaturatingMul(output.bytes, kPaneBytesPerTextByte));
    };
    const std::uint64_t twoPart = pane(plan.twoPart);
    const std::uint64_t threePart = pane(plan.threePart);
    return twoPart > UINT64_MAX - threePart ? UINT64_MAX : twoPart + threePart;
}

std::optional<std::uint64_t> AppFrame::AvailableMemory() {
#ifdef _WIN32
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) {
        return std::nullopt;
    }
    // Neither more than the machine has free nor more than the process can address.
    return std::min<std::uint64_t>(status.ullAvailPhys, status.ullAvailVirtual);
#else
    // What the kernel can give without swapping, page cache that it can drop included.
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray key("MemAvailable:");
    for (QByteArray line = meminfo.readLine(); !line.isEmpty(); line = meminfo.readLine()) {
        if (line.startsWith(key)) {
            bool ok = false;
            const qulonglong kib =
                line.mid(key.size()).replace("kB", "").trimmed().toULongLong(&ok);
            if (ok) {
                return SaturatingMul(kib, 1024);
            }
        }
    }
    return std::nullopt;
#endif
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
    closing_ = true;
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
    // The data paths are relative: in any other folder they would name another program's files.
    const bool entered =
        programFolder_.isEmpty() ? EnterProgramFolder() : QDir::setCurrent(programFolder_);
    if (!entered) {
        FatalError(Utf8("无法进入本程序所在的文件夹，找不到数据文件。"), 0);
        return false;
    }

    if (!TextCodec::IsAvailable()) {
        FatalError(Utf8("本程序所用的 Qt 不支持 GB18030 编码，无法读写数据文件。"), 0);
        return false;
    }
    if (EnsureDataFolder()) {
        if (!LockDataFolder()) {
            return false;
        }
        RemoveStaleTempFiles("data");
        CheckDataFolderTakesSaves();
    }
    try {
        return BuildAndShow();
    } catch (const AllocationFailure& failure) {
        FatalError(OutOfMemoryText(failure.Bytes()), 0);
    } catch (const std::bad_alloc&) {
        FatalError(OutOfMemoryText(0), 0);
    }
    return false;
}

bool AppFrame::BuildAndShow() {
    // Nothing is connected while the window is built, so none of its events reaches a handler.
    window_ = std::make_unique<MainWindow>(desktop_);
    windowSystem_ = std::make_unique<QtWindowSystem>(*window_, desktop_, channel_, worker_);
    store_ = std::make_unique<CategoryStore>(
        *windowSystem_, [this](const CategoryStore::LoadNotice& notice) { OnLoadNotice(notice); });
    store_->SetPaneSaver(
        [this](int pane, const Text& path) { windowSystem_->SavePane(pane, path); });
    store_->SetSaveNotice([this](int pane, const Text& path, WriteResult result) {
        if (QThread::currentThread() == thread()) {
            OnSaveReported(pane, path, result);
        } else {
            // The write of a worker's own set: told where the window lives.
            QMetaObject::invokeMethod(
                this, [this, pane, path, result] { OnSaveReported(pane, path, result); },
                Qt::QueuedConnection);
        }
    });
    windowSystem_->SetFileWriter([this](int pane, const Text& path, const Text& text) {
        store_->WriteAndReport(pane, path, text);
    });
    endHandler_ = [this] { store_->ReleaseCategoryFiles(); };
    handlers_ = std::make_unique<WindowHandlers>(
        *window_, *windowSystem_, *store_, [this] { StartGeneration(); }, Utf8(kMakersPageUrl));
    handlers_->Connect();
    connect(window_.get(), &MainWindow::closing, this, &AppFrame::OnWindowClosing);
    baseTitle_ = window_->windowTitle();

    handlers_->OnWindowCreated();

    // The frame's corner, from the outer size and the primary screen's full size (task bar
    // included); a screen smaller than the window gives a negative corner.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        window_->move(MainWindow::CentredPosition(screen->geometry().size()));
    }
    window_->show();
    return true;
}

bool AppFrame::EnsureDataFolder() {
    // Relative to the program folder just entered: its name need not survive a decode.
    const QString data = QStringLiteral("data");
    if (QFileInfo(data).isDir() || QDir().mkdir(data)) {
        return true;
    }
    // Without the folder every save fails; say so once rather than lose the user's typing.
    dataFolderFailed_ = true;
    desktop_.ShowMessageBox(Utf8("无法在程序所在的文件夹中创建数据文件夹：\r\n") +
                                QDir::toNativeSeparators(QDir::current().absoluteFilePath(data)) +
                                Utf8("\r\n\r\n本次所做的修改都无法保存。"),
                            Utf8("无法保存"), Desktop::Icon::Error);
    folderProblem_ = WriteFailure::FolderMissing;
    return false;
}

bool AppFrame::LockDataFolder() {
    if (dataLock_.Take(kDataFolder) != FolderLock::Outcome::TakenElsewhere) {
        // Where the folder cannot be locked at all, the window opens as it would without locks.
        return true;
    }
    desktop_.ShowMessageBox(
        Utf8("另一个 Morvelin 窗口正在使用这个数据文件夹：\r\n") +
            QDir::toNativeSeparators(QDir(programFolder_).filePath(QStringLiteral("data"))) +
            Utf8("\r\n\r\n两个窗口同时保存会互相覆盖对方的修改，所以这个窗口不再打开。"
                 "请在已经打开的窗口中继续工作。"),
        Utf8("已经在运行"), Desktop::Icon::Error);
    return false;
}

void AppFrame::CheckDataFolderTakesSaves() {
    const WriteResult check = CheckFolderTakesSaves(kDataFolder);
    if (check) {
        return;
    }
    QString text = Utf8("数据文件夹不能保存修改：\r\n") +
                   QDir::toNativeSeparators(QDir(programFolder_).filePath(QStringLiteral("data"))) +
                   Utf8("\r\n\r\n原因：") + FailureText(check.failure) + Utf8("。\r\n\r\n");
    if (check.failure == WriteFailure::NoPermission) {
        text += Utf8(
            "已有的、可以写入的数据文件仍会保存（直接写入原文件）；"
            "还没有的数据文件无法建立，在对应框中的修改无法保存。");
    } else {
        text += Utf8("在解决这个问题之前，所做的修改可能无法保存。");
    }
    desktop_.ShowMessageBox(text, Utf8("无法保存"), Desktop::Icon::Error);
    folderProblem_ = check.failure;
}

void AppFrame::OnSaveReported(int pane, const Text& path, WriteResult result) {
    if (pane < 1 || pane > kPaneCount || ending_ || !window_) {
        return;
    }
    const auto index = static_cast<std::size_t>(pane - 1);
    if (result) {
        if (unsaved_[index]) {
            unsaved_[index] = false;
            UpdateTitle();
        }
        return;
    }
    const bool alreadyTold = unsaved_[index];
    unsaved_[index] = true;
    unsavedPaths_[index] = path;
    UpdateTitle();
    // The start-up said already that the folder takes no saves for this reason.
    if (alreadyTold || folderProblem_ == result.failure) {
        return;
    }
    desktop_.ShowMessageBox(
        Utf8("无法保存文件 ") + NativePath(path) + Utf8("：") + FailureText(result.failure) +
            Utf8("。\r\n\r\n框中的内容还没有存入这个文件，文件里仍是上次保存的内容。"
                 "在保存成功之前，窗口标题会列出这个文件；问题解决后，在框中再做任何修改都会重新保"
                 "存。"),
        Utf8("保存失败"), Desktop::Icon::Error);
}

void AppFrame::UpdateTitle() {
    if (!window_) {
        return;
    }
    QStringList names;
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        const auto index = static_cast<std::size_t>(pane - 1);
        if (unsaved_[index]) {
            names << NativePath(unsavedPaths_[index]);
        }
    }
    window_->setWindowTitle(
        names.isEmpty() ? baseTitle_ : baseTitle_ + Utf8(" - 未保存：") + names.join(Utf8("、")));
}

void AppFrame::ShowFilesAfterRun() {
    if (!window_ || ending_ || closing_ || !store_) {
        return;
    }
    // A pane whose text is not in its file keeps that text, still marked; the others show their
    // files again.
    std::array<std::optional<Text>, kPaneCount> kept;
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        const auto index = static_cast<std::size_t>(pane - 1);
        if (unsaved_[index]) {
            kept[index] = windowSystem_->GetPaneText(pane);
        }
    }
    const auto marks = unsaved_;
    store_->ReloadPanes();
    unsaved_ = marks;
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        if (auto& text = kept[static_cast<std::size_t>(pane - 1)]) {
            windowSystem_->SetPaneText(pane, std::move(*text));
        }
    }
    UpdateTitle();
}

void AppFrame::OnLoadNotice(const CategoryStore::LoadNotice& notice) {
    if (PaneEdit* edit = window_->Pane(notice.pane)) {
        edit->SetFileReadOnly(notice.readOnly);
    }
    if (notice.pane == 1) {
        loadNotices_.clear();
    }
    // A missing data folder, or one that takes no new files, was told at start-up already.
    const bool told = (dataFolderFailed_ && notice.reason == LoadProblem::NoFolder) ||
                      (folderProblem_ && notice.reason == LoadProblem::CannotCreate);
    if (notice.readOnly && !told) {
        loadNotices_.push_back(notice);
    }
    if (notice.pane != kPaneCount || loadNotices_.empty()) {
        return;
    }
    // After the selection, once its panes are set.
    QMetaObject::invokeMethod(
        this,
        [this, text = LoadNoticeText(loadNotices_)] {
            if (!ending_ && window_) {
                windowSystem_->ShowMessageBox(text, Utf8("文件只能查看"));
            }
        },
        Qt::QueuedConnection);
    loadNotices_.clear();
}

QString AppFrame::LoadNoticeText(const std::vector<CategoryStore::LoadNotice>& notices) {
    const auto reason = [](LoadProblem problem) -> const char* {
        switch (problem) {
            case LoadProblem::ReadOnlyFile:
                return "文件是只读的，本程序不能写入。";
            case LoadProblem::InUse:
                return "文件正被其他程序使用，本程序不能写入。";
            case LoadProblem::NoFolder:
                return "数据文件夹不存在，无法建立这个文件。";
            case LoadProblem::CannotCreate:
                return "文件不存在，也无法建立。";
            case LoadProblem::NotPlainFile:
                return "这不是普通文件（可能是文件夹或特殊文件）。";
            case LoadProblem::Unreadable:
                return "无法打开文件读取（可能没有读取权限，或正被其他程序独占）。";
            case LoadProblem::TooLarge:
                return "文件超过 2 GB，太大，无法显示。";
            case LoadProblem::OutOfMemory:
                return "内存不足，无法读入这个文件。";
            case LoadProblem::ReadError:
                return "读取文件时出错。";
            case LoadProblem::CutShort:
                return "文件中间有空字符（00）或结束符（1A），后面的内容无法显示。";
            case LoadProblem::UnknownEncoding:
                return "文件的编码无法识别（不是 GB18030、UTF-8 或 "
                       "UTF-16），保存会改坏其中的字节。";
            case LoadProblem::None:
                break;
        }
        return "";
    };
    QString text = Utf8(
        "下面的数据文件无法完整显示或无法保存，所以对应的框只能查看、不能修改，"
        "本程序不会改动这些文件：\r\n");
    for (const CategoryStore::LoadNotice& notice : notices) {
        text += QStringLiteral("\r\n") + QDir::toNativeSeparators(TextCodec::Decode(notice.path)) +
                Utf8("：") + Utf8(reason(notice.reason));
    }
    return text;
}

int AppFrame::Run() {
    loopEntered_ = true;
    const int code = window_ ? QApplication::exec() : 0;
    return End(code);
}

void AppFrame::OnWindowClosing() {
    closing_ = true;
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
    closing_ = true;
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
    runMemory_ = availableMemory_ ? availableMemory_() : std::nullopt;
    if (runMemory_) {
        const std::uint64_t available = *runMemory_;
        options.accepts = [available](const GenerationPlan& plan) {
            return RunMemory(plan) <= available;
        };
    }
    options.stop = &stop_;
    options.progress = [this, runId](std::uint64_t done, std::uint64_t planned) {
        QMetaObject::invokeMethod(
            this, [this, runId, done, planned] { OnProgress(runId, done, planned); },
            Qt::QueuedConnection);
    };

    const bool started = windowSystem_->StartThread([this, runId, options] {
        GenerationResult result;
        std::optional<std::uint64_t> outOfMemory;
        try {
            RunPanes panes(*windowSystem_, *store_);
            result = KeywordGenerator::Generate(panes, options);
        } catch (const AllocationFailure& failure) {
            outOfMemory = failure.Bytes();
        } catch (const std::bad_alloc&) {
            outOfMemory = 0;
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

void AppFrame::OnRunFinished(unsigned runId, GenerationResult result,
                             std::optional<std::uint64_t> outOfMemory) {
    if (runId != runId_ || !runActive_) {
        return;  // a cancelled run; its end was handled by the cancel
    }
    worker_.Join();
    runActive_ = false;
    Unlock();
    if (outOfMemory) {
        // The files still hold the old outputs: the run emptied its panes without saving them.
        FatalError(OutOfMemoryText(*outOfMemory), 0);
        ShowFilesAfterRun();
        return;
    }
    if (result.outcome == GenerationOutcome::Refused) {
        windowSystem_->ShowMessageBox(RefusalText(result.plan, limit_, runMemory_),
                                      Utf8("无法生成"), Desktop::Icon::Error);
    } else if (result.outcome == GenerationOutcome::Stopped) {
        ShowFilesAfterRun();
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

QString AppFrame::RefusalText(const GenerationPlan& plan, const GenerationLimit& limit,
                              std::optional<std::uint64_t> available) {
    const std::uint64_t maxBytes = std::min<std::uint64_t>(limit.maxBytes, kMaxTextBytes);
    QString text =
        Utf8("要生成的关键词太多，本程序容纳不下，所以没有生成，各框内容都未改动。\r\n\r\n") +
        Utf8("一级生成：%1 行，%2 字节\r\n二级生成：%3 行，%4 字节\r\n\r\n")
            .arg(Number(plan.twoPart.lines), Number(plan.twoPart.bytes),
                 Number(plan.threePart.lines), Number(plan.threePart.bytes)) +
        Utf8("每一项最多 %1 行、%2 字节。").arg(Number(limit.maxLines), Number(maxBytes));
    if (available && RunMemory(plan) > *available) {
        text += Utf8("\r\n生成的结果约需 %1 字节内存，这台电脑现在只有 %2 字节可用。")
                    .arg(Number(RunMemory(plan)), Number(*available));
    }
    return text + Utf8("请减少录入的关键词后再试。");
}

QString AppFrame::OutOfMemoryText(std::uint64_t bytes) {
    if (bytes == 0) {
        return Utf8("分配内存失败!");
    }
    return Utf8("分配 %1 字节内存失败!").arg(QString::number(qulonglong(bytes)));
}

QString AppFrame::FailureText(WriteFailure failure) {
    switch (failure) {
        case WriteFailure::None:
            return Utf8("已保存");
        case WriteFailure::DiskFull:
            return Utf8("磁盘已满");
        case WriteFailure::NoPermission:
            return Utf8("没有写入权限");
        case WriteFailure::InUse:
            return Utf8("文件正被其他程序使用");
        case WriteFailure::FolderMissing:
            return Utf8("数据文件夹不存在");
        case WriteFailure::ReadOnlyFile:
            return Utf8("文件是只读的");
        case WriteFailure::NotAPlainFile:
            return Utf8("这不是一个普通文件");
        case WriteFailure::Other:
            break;
    }
    return Utf8("系统拒绝写入");
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
