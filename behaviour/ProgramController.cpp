#include "behaviour/ProgramController.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "behaviour/Layout.h"
#include "behaviour/PaneMenu.h"
#include "behaviour/SystemText.h"
#include "behaviour/Texts.h"
#include "store/Folders.h"
#include "store/Gb18030.h"
#include "store/ProgramFolder.h"

namespace morvelin {

namespace {

// A run shows its progress on the button only once it has lasted this long; a short run would
// just flicker.
constexpr int kProgressDelayMs = 500;

const Text kDataFolder = "data";

[[noreturn]] void EndProcess(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
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

GenerationLimit ProgramController::DefaultGenerationLimit() {
    // With these limits on each output, two full panes take about 3 GB at the measured bytes per
    // line (kPaneBytesPerLine), which leaves an 8 GB machine room for everything else; a run is
    // refused sooner where the machine has less memory free (RunMemory, AvailableMemory).
    GenerationLimit limit;
    limit.maxLines = 5'000'000;
    limit.maxBytes = 256ull * 1024 * 1024;
    return limit;
}

std::uint64_t ProgramController::RunMemory(const GenerationPlan& plan) {
    const auto pane = [](const OutputSize& output) {
        return std::max(SaturatingMul(output.lines, kPaneBytesPerLine),
                        SaturatingMul(output.bytes, kPaneBytesPerTextByte));
    };
    const std::uint64_t twoPart = pane(plan.twoPart);
    const std::uint64_t threePart = pane(plan.threePart);
    return twoPart > UINT64_MAX - threePart ? UINT64_MAX : twoPart + threePart;
}

std::optional<std::uint64_t> ProgramController::AvailableMemory() {
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
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (meminfo >> key >> kib >> unit) {
        if (key == "MemAvailable:") {
            return SaturatingMul(kib, 1024);
        }
    }
    return std::nullopt;
#endif
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

bool ProgramController::PrepareDataFolder() {
    if (!MakeFolder(kDataFolder)) {
        // Without the folder every save fails; say so once rather than lose the user's typing.
        dataFolderFailed_ = true;
        folderProblem_ = WriteFailure::FolderMissing;
        desktop_.ShowMessageBox("无法在程序所在的文件夹中创建数据文件夹：\r\n" +
                                    CurrentFolderForDisplay(kDataFolder) +
                                    "\r\n\r\n本次所做的修改都无法保存。",
                                "无法保存", BoxIcon::Error);
        return true;
    }
    if (dataLock_.Take(kDataFolder) == FolderLock::Outcome::TakenElsewhere) {
        desktop_.ShowMessageBox("另一个 Morvelin 窗口正在使用这个数据文件夹：\r\n" +
                                    CurrentFolderForDisplay(kDataFolder) +
                                    "\r\n\r\n两个窗口同时保存会互相覆盖对方的修改，所以这个窗口"
                                    "不再打开。请在已经打开的窗口中继续工作。",
                                "已经在运行", BoxIcon::Error);
        return false;
    }
    // What saves of a run that was killed left behind; another window's are not ours to take.
    RemoveStaleTempFiles(kDataFolder);
    CheckDataFolderTakesSaves();
    return true;
}

void ProgramController::CheckDataFolderTakesSaves() {
    const WriteResult check = CheckFolderTakesSaves(kDataFolder);
    if (check) {
        return;
    }
    std::string text = "数据文件夹不能保存修改：\r\n" + CurrentFolderForDisplay(kDataFolder) +
                       "\r\n\r\n原因：" + FailureText(check.failure) + "。\r\n\r\n";
    if (check.failure == WriteFailure::NoPermission) {
        text +=
            "已有的、可以写入的数据文件仍会保存（直接写入原文件）；"
            "还没有的数据文件无法建立，在对应框中的修改无法保存。";
    } else {
        text += "在解决这个问题之前，所做的修改可能无法保存。";
    }
    desktop_.ShowMessageBox(text, "无法保存", BoxIcon::Error);
    folderProblem_ = check.failure;
}

void ProgramController::AttachWindow(WindowView& view) {
    view_ = &view;
    store_ = std::make_unique<CategoryStore>(
        view, [this](const CategoryStore::LoadNotice& notice) { OnLoadNotice(notice); });
    store_->SetSaveNotice([this](int pane, const Text& path, WriteResult result) {
        if (channel_.OnUiThread()) {
            OnSaveReported(pane, path, result);
        } else {
            // The write of a worker's own set: told where the window lives.
            loop_.Post([this, pane, path, result] { OnSaveReported(pane, path, result); });
        }
    });
    endHandler_ = [this] { store_->ReleaseCategoryFiles(); };
}

void ProgramController::OnLoadNotice(const CategoryStore::LoadNotice& notice) {
    view_->SetPaneFileReadOnly(notice.pane, notice.readOnly);
    paneReadOnly_[static_cast<std::size_t>(notice.pane - 1)] = notice.readOnly;
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
        text += "\r\n" + PathForDisplay(notice.path) + "：" + reason(notice.reason);
    }
    return text;
}

void ProgramController::OnSaveReported(int pane, const Text& path, WriteResult result) {
    if (pane < 1 || pane > kPaneCount || ending_ || view_ == nullptr) {
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
    desktop_.ShowMessageBox("无法保存文件 " + PathForDisplay(path) + "：" +
                                FailureText(result.failure) +
                                "。\r\n\r\n框中的内容还没有存入这个文件，文件里仍是上次保存的内容。"
                                "在保存成功之前，窗口标题会列出这个文件；问题解决后，在框中再做任何"
                                "修改都会重新保存。",
                            "保存失败", BoxIcon::Error);
}

bool ProgramController::PaneUnsaved(int pane) const {
    return pane >= 1 && pane <= kPaneCount && unsaved_[static_cast<std::size_t>(pane - 1)];
}

void ProgramController::UpdateTitle() {
    std::string title = MainWindowLayout().caption;
    std::string names;
    for (std::size_t index = 0; index < unsaved_.size(); ++index) {
        if (unsaved_[index]) {
            names += (names.empty() ? "" : "、") + PathForDisplay(unsavedPaths_[index]);
        }
    }
    if (!names.empty()) {
        title += " - 未保存：" + names;
    }
    view_->SetTitle(title);
}

void ProgramController::OnWindowCreated() {
    if (view_ == nullptr || ending_) {
        return;
    }
    blocked_ = 0;
    store_->SelectCategory('a');
    // A label or a control that is not there means the window was not built whole.
    bool whole = view_->SetLabelText(ControlId::Label5, kDescriptionText);
    for (const TipText& tip : TipTexts()) {
        whole = view_->AttachTip(tip.control, tip.text) && whole;
    }
    if (!whole) {
        FatalError("载入启动窗口失败", 0);
    }
}

void ProgramController::OnWindowClosing() {
    closing_ = true;
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

void ProgramController::PrepareToEnd() {
    closing_ = true;
    CancelRun();
    ++blocked_;
}

void ProgramController::OnPaneTool(int pane, PaneCommand command) {
    if (EventsBlocked() || runActive_ || !IsPaneTool(command) || pane < 1 || pane > kPaneCount ||
        paneReadOnly_[static_cast<std::size_t>(pane - 1)]) {
        return;
    }
    std::size_t length = 0;
    Text words;
    if (command == PaneCommand::KeepUpToLength) {
        const PaneToolQuestion question = LengthQuestion();
        const std::optional<std::string> answer =
            desktop_.AskText(question.title, question.prompt, std::to_string(titleLength_), false);
        if (!answer) {
            return;
        }
        // Digits only; anything else is no length, and changes nothing.
        std::size_t value = 0;
        bool digits = !answer->empty();
        for (const char c : *answer) {
            digits = digits && c >= '0' && c <= '9';
            value = std::min<std::size_t>(value * 10 + static_cast<std::size_t>(c - '0'),
                                          kMaxTitleLength);
        }
        if (!digits) {
            return;
        }
        length = titleLength_ = value;
    } else if (command == PaneCommand::DropLinesWithWords) {
        const PaneToolQuestion question = WordsQuestion();
        const std::optional<std::string> answer =
            desktop_.AskText(question.title, question.prompt, "", true);
        if (!answer) {
            return;
        }
        std::optional<std::string> bytes = Utf8ToGb18030(*answer);
        if (!bytes) {
            return;
        }
        words = std::move(*bytes);
    }
    const PaneToolResult result = RunPaneTool(command, view_->GetPaneText(pane), length, words);
    if (result.changed) {
        view_->ReplacePaneTextAsEdit(pane, result.text);
    }
    view_->ShowPaneNote(pane, PaneToolReport(result));
}

int ProgramController::End(int code) {
    if (ending_) {
        return code;
    }
    closing_ = true;
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
    runMemory_ = availableMemory_ ? availableMemory_() : std::nullopt;
    if (runMemory_) {
        const std::uint64_t available = *runMemory_;
        options.accepts = [available](const GenerationPlan& plan) {
            return RunMemory(plan) <= available;
        };
    }
    options.stop = &stop_;
    options.progress = [this, runId](std::uint64_t done, std::uint64_t planned) {
        loop_.Post([this, runId, done, planned] { OnProgress(runId, done, planned); });
    };
    const bool started = worker_.Start([this, runId, options] {
        GenerationResult result;
        std::optional<std::uint64_t> outOfMemory;
        try {
            RunPanes panes(*view_, *store_);
            result = KeywordGenerator::Generate(panes, options);
        } catch (const AllocationFailure& failure) {
            outOfMemory = failure.Bytes();
        } catch (const std::bad_alloc&) {
            outOfMemory = 0;
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

void ProgramController::RunEnded(unsigned runId, GenerationResult result,
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
        desktop_.ShowMessageBox(RefusalText(result.plan, limit_, runMemory_), "无法生成",
                                BoxIcon::Error);
    } else if (result.outcome == GenerationOutcome::Stopped) {
        ShowFilesAfterRun();
    }
    if (runFinished_) {
        runFinished_(result.outcome);
    }
}

void ProgramController::ShowFilesAfterRun() {
    if (view_ == nullptr || ending_ || closing_ || !store_) {
        return;
    }
    // A pane whose text is not in its file keeps that text, still marked; the others show their
    // files again.
    std::array<std::optional<Text>, kPaneCount> kept;
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        const auto index = static_cast<std::size_t>(pane - 1);
        if (unsaved_[index]) {
            kept[index] = view_->GetPaneText(pane);
        }
    }
    const auto marks = unsaved_;
    store_->ReloadPanes();
    unsaved_ = marks;
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        if (auto& text = kept[static_cast<std::size_t>(pane - 1)]) {
            view_->SetPaneText(pane, std::move(*text));
        }
    }
    UpdateTitle();
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

std::string ProgramController::RefusalText(const GenerationPlan& plan, const GenerationLimit& limit,
                                           std::optional<std::uint64_t> available) {
    const std::uint64_t maxBytes = std::min<std::uint64_t>(limit.maxBytes, kMaxTextBytes);
    std::string text =
        "要生成的关键词太多，本程序容纳不下，所以没有生成，各框内容都未改动。\r\n\r\n"
        "一级生成：" +
        GroupedNumber(plan.twoPart.lines) + " 行，" + GroupedNumber(plan.twoPart.bytes) +
        " 字节\r\n二级生成：" + GroupedNumber(plan.threePart.lines) + " 行，" +
        GroupedNumber(plan.threePart.bytes) + " 字节\r\n\r\n每一项最多 " +
        GroupedNumber(limit.maxLines) + " 行、" + GroupedNumber(maxBytes) + " 字节。";
    if (available && RunMemory(plan) > *available) {
        text += "\r\n生成的结果约需 " + GroupedNumber(RunMemory(plan)) +
                " 字节内存，这台电脑现在只有 " + GroupedNumber(*available) + " 字节可用。";
    }
    return text + "请减少录入的关键词后再试。";
}

std::string ProgramController::OutOfMemoryText(std::uint64_t bytes) {
    if (bytes == 0) {
        return "分配内存失败!";
    }
    return "分配 " + std::to_string(bytes) + " 字节内存失败!";
}

std::string ProgramController::FailureText(WriteFailure failure) {
    switch (failure) {
        case WriteFailure::None:
            return "已保存";
        case WriteFailure::DiskFull:
            return "磁盘已满";
        case WriteFailure::NoPermission:
            return "没有写入权限";
        case WriteFailure::InUse:
            return "文件正被其他程序使用";
        case WriteFailure::FolderMissing:
            return "数据文件夹不存在";
        case WriteFailure::ReadOnlyFile:
            return "文件是只读的";
        case WriteFailure::NotAPlainFile:
            return "这不是一个普通文件";
        case WriteFailure::Other:
            break;
    }
    return "系统拒绝写入";
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
