#include "behaviour/ProgramController.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "behaviour/PaneMenu.h"
#include "behaviour/Texts.h"
#include "store/CategoryStore.h"
#include "store/FileLayer.h"
#include "store/Folders.h"
#include "store/ProgramFolder.h"

namespace morvelin {

namespace {

// A run shows its progress on the button only once it has lasted this long; a short run would
// just flicker.
constexpr int kProgressDelayMs = 500;

// A data path as the system writes paths. The paths are the program's own: plain ASCII.
std::string NativePath(const Text& path) {
    std::string native = path;
#ifdef _WIN32
    std::replace(native.begin(), native.end(), '/', '\\');
#endif
    return native;
}

[[noreturn]] void EndProcess(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace

GenerationLimit ProgramController::DefaultGenerationLimit() {
    GenerationLimit limit;
    limit.maxLines = 5'000'000;
    limit.maxBytes = 256ull * 1024 * 1024;
    return limit;
}

ProgramController::ProgramController(DesktopPort& desktop, UiLoop& loop)
    : desktop_(desktop), loop_(loop), exitProcess_(EndProcess), channel_(loop) {}

ProgramController::~ProgramController() {
    CancelRun();
}

bool ProgramController::EnterProgramFolder() {
    // The data paths are relative: in any other folder they would name another program's files.
    if (morvelin::EnterProgramFolder()) {
        return true;
    }
    FatalError("无法进入本程序所在的文件夹，找不到数据文件。", 0);
    return false;
}

void ProgramController::PrepareDataFolder() {
    if (MakeFolder("data")) {
        // What saves of a run that was killed left behind.
        RemoveStaleTempFiles("data");
        return;
    }
    // Without the folder every save fails; say so once rather than lose the user's typing.
    dataFolderFailed_ = true;
    desktop_.ShowMessageBox(
        "无法在程序所在的文件夹中创建数据文件夹 data。\r\n\r\n本次所做的修改都无法保存。",
        "无法保存", BoxIcon::Error);
}

void ProgramController::AttachWindow(WindowView& view) {
    view_ = &view;
    store_ = std::make_unique<CategoryStore>(
        view, [this](const CategoryStore::LoadNotice& notice) { OnLoadNotice(notice); });
    endHandler_ = [this] { store_->ReleaseCategoryFiles(); };
}

void ProgramController::OnLoadNotice(const CategoryStore::LoadNotice& notice) {
    view_->SetPaneFileReadOnly(notice.pane, notice.readOnly);
    if (notice.pane == 1) {
        loadNotices_.clear();
    }
    // A missing data folder was told at start-up already.
    const bool told = dataFolderFailed_ && notice.reason == LoadProblem::NoFolder;
    if (notice.readOnly && !told) {
        loadNotices_.push_back(notice);
    }
    if (notice.pane != kPaneCount || loadNotices_.empty()) {
        return;
    }
    // One box for the selection, once its panes are set.
    loop_.Post([this, text = LoadNoticeText(loadNotices_)] {
        if (!EventsBlocked()) {
            desktop_.ShowMessageBox(text, "文件只能查看", BoxIcon::None);
        }
    });
    loadNotices_.clear();
}

std::string ProgramController::LoadNoticeText(
    const std::vector<CategoryStore::LoadNotice>& notices) {
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
    std::string text =
        "下面的数据文件无法完整显示或无法保存，所以对应的框只能查看、不能修改，"
        "本程序不会改动这些文件：\r\n";
    for (const CategoryStore::LoadNotice& notice : notices) {
        text += "\r\n" + NativePath(notice.path) + "：" + reason(notice.reason);
    }
    return text;
}

void ProgramController::OnWindowCreated() {
    if (view_ == nullptr || ending_) {
        return;
    }
    blocked_ = 0;
    store_->SelectCategory('a');
    view_->SetLabelText(ControlId::Label5, kDescriptionText);
    for (const TipText& tip : TipTexts()) {
        view_->AttachTip(tip.control, tip.text);
    }
}

void ProgramController::OnWindowClosing() {
    // The worker must be gone before the window is: it could otherwise reach a pane.
    CancelRun();
    if (!EventsBlocked()) {
        desktop_.OpenWebPage(kMakersPageUrl);
        ++blocked_;
    }
}

void ProgramController::OnPaneTextChanged(int pane) {
    if (!EventsBlocked()) {
        store_->SavePane(pane);
    }
}

void ProgramController::OnPaneDoubleClicked(int pane) {
    if (EventsBlocked() || (pane != kTwoPartPane && pane != kThreePartPane)) {
        return;
    }
    // The confirmation shows also when the clipboard could not be set.
    desktop_.SetClipboardText(view_->GetPaneText(pane));
    desktop_.ShowMessageBox(kCopiedText, kCopiedCaption, BoxIcon::None);
}

void ProgramController::OnCategoryClicked(char letter) {
    if (!EventsBlocked()) {
        store_->SelectCategory(letter);
    }
}

void ProgramController::OnGenerateClicked() {
    if (!EventsBlocked()) {
        StartGeneration();
    }
}

int ProgramController::End(int code) {
    if (ending_) {
        return code;
    }
    CancelRun();
    ++blocked_;
    ending_ = true;
    if (endHandler_) {
        auto handler = std::move(endHandler_);
        endHandler_ = nullptr;
        handler();
    }
    CloseAllFiles();
    return code;
}

void ProgramController::StartGeneration() {
    if (runActive_ || ending_ || view_ == nullptr) {
        return;
    }
    worker_.Join();  // the previous run has posted its end; its thread is about to return
    stop_ = false;
    channel_.Reopen();
    const unsigned runId = ++runId_;
    runActive_ = true;
    runPercent_ = -1;
    progressShown_ = false;
    view_->SetRunLocked(true);
    progressDelay_ = loop_.StartTimer(kProgressDelayMs, [this, runId] {
        progressDelay_ = 0;
        if (runId == runId_ && runActive_) {
            progressShown_ = true;
            view_->ShowProgress(std::max(runPercent_, 0));
        }
    });

    GenerateOptions options;
    options.limit = limit_;
    options.stop = &stop_;
    options.progress = [this, runId](std::uint64_t done, std::uint64_t planned) {
        loop_.Post([this, runId, done, planned] { OnProgress(runId, done, planned); });
    };
    const bool started = worker_.Start([this, runId, options] {
        GenerationResult result;
        bool outOfMemory = false;
        try {
            result = KeywordGenerator::Generate(*view_, options);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        loop_.Post([this, runId, result, outOfMemory] { RunEnded(runId, result, outOfMemory); });
    });
    if (!started) {
        // A press without effect, as when the system has no thread to give.
        runActive_ = false;
        Unlock();
    }
}

void ProgramController::OnProgress(unsigned runId, std::uint64_t done, std::uint64_t planned) {
    if (runId != runId_ || !runActive_ || planned == 0) {
        return;
    }
    const int percent = static_cast<int>(std::min(done, planned) * 100 / planned);
    if (percent == runPercent_) {
        return;
    }
    runPercent_ = percent;
    if (progressShown_) {
        view_->ShowProgress(percent);
    }
}

void ProgramController::RunEnded(unsigned runId, GenerationResult result, bool outOfMemory) {
    if (runId != runId_ || !runActive_) {
        return;  // a cancelled run; its end was handled by the cancel
    }
    worker_.Join();
    runActive_ = false;
    Unlock();
    if (outOfMemory) {
        FatalError("生成关键词时内存不足!", 0);
        return;
    }
    if (result.outcome == GenerationOutcome::Refused) {
        desktop_.ShowMessageBox(RefusalText(result.plan, limit_), "无法生成", BoxIcon::Error);
    }
    if (runFinished_) {
        runFinished_(result.outcome);
    }
}

void ProgramController::CancelRun() {
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
    if (wasActive && runFinished_) {
        runFinished_(GenerationOutcome::Stopped);
    }
}

void ProgramController::Unlock() {
    if (progressDelay_ != 0) {
        loop_.StopTimer(progressDelay_);
        progressDelay_ = 0;
    }
    if (view_ != nullptr) {
        // Each pane goes back to its own file's read-only state.
        view_->SetRunLocked(false);
        view_->ShowProgress(-1);
    }
}

std::string ProgramController::RefusalText(const GenerationPlan& plan,
                                           const GenerationLimit& limit) {
    const std::uint64_t maxBytes = std::min<std::uint64_t>(limit.maxBytes, kMaxTextBytes);
    return "要生成的关键词太多，本程序容纳不下，所以没有生成，各框内容都未改动。\r\n\r\n"
           "一级生成：" +
           GroupedNumber(plan.twoPart.lines) + " 行，" + GroupedNumber(plan.twoPart.bytes) +
           " 字节\r\n二级生成：" + GroupedNumber(plan.threePart.lines) + " 行，" +
           GroupedNumber(plan.threePart.bytes) + " 字节\r\n\r\n每一项最多 " +
           GroupedNumber(limit.maxLines) + " 行、" + GroupedNumber(maxBytes) +
           " 字节。请减少录入的关键词后再试。";
}

std::string ProgramController::FatalErrorText(std::string_view message, int code) {
    std::string text = "运行时出错!\r\n\r\n";
    if (code != 0) {
        text += "错误代码：" + std::to_string(code) + "\r\n\r\n";
    }
    if (!message.empty()) {
        text += "错误信息：";
        text += message;
        text += "\r\n";
    }
    return text;
}

void ProgramController::FatalError(std::string_view message, int code) {
    if (!channel_.OnUiThread()) {
        // The box belongs to the UI thread; this worker just ends after asking for it.
        loop_.Post([this, text = std::string(message), code] { FatalError(text, code); });
        return;
    }
    ++blocked_;
    desktop_.ShowMessageBox(FatalErrorText(message, code), "错误", BoxIcon::Error);
    endHandler_ = nullptr;
    exitProcess_(-1);
}

}  // namespace morvelin
