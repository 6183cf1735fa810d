#include "store/CategoryStore.h"

#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "store/FileEncoding.h"
#include "store/FileLayer.h"

namespace morvelin {
namespace {

bool IsCategoryLetter(char letter) {
    return letter >= 'a' && letter <= 'z';
}

bool IsPane(int pane) {
    return pane >= 1 && pane <= kPaneCount;
}

// What a pane gets from its file, and whether it may be saved over it.
struct PaneLoad {
    Text text;
    FileEncoding encoding = FileEncoding::Gb18030;
    LoadProblem problem = LoadProblem::None;
};

// Whether a text that ends at a 0x00 or 0x1A leaves out more than that byte. One such byte as the
// very last of the file is an end mark the pane need not show; anything after it would be lost.
bool EndsBeforeItsLastByte(const Text& text, std::size_t length) {
    return length + 1 < text.size();
}

PaneLoad DecidePaneLoad(FileLoad load) {
    PaneLoad decided;
    decided.problem = load.problem;
    if (load.problem != LoadProblem::None && load.problem != LoadProblem::ReadOnlyFile &&
        load.problem != LoadProblem::InUse) {
        return decided;
    }
    // Without an encoding that keeps them, the bytes are shown as they are, read-only.
    std::optional<FileEncoding> encoding;
    try {
        encoding = DecodeFileBytes(load.bytes);
    } catch (const std::bad_alloc&) {
        return {{}, FileEncoding::Gb18030, LoadProblem::OutOfMemory};
    }
    decided.text = std::move(load.bytes);
    if (encoding) {
        decided.encoding = *encoding;
    } else {
        decided.problem = LoadProblem::UnknownEncoding;
    }
    const std::size_t length = TextLength(decided.text);
    if (length < decided.text.size()) {
        if (EndsBeforeItsLastByte(decided.text, length) && encoding) {
            decided.problem = LoadProblem::CutShort;
        }
        decided.text.resize(length);
        decided.text.shrink_to_fit();
    }
    return decided;
}

// The text without the 0x00 and 0x1A bytes at character starts (with a lead byte that a 0x00
// follows, which the read drops as well); nullopt when it has none.
std::optional<Text> WithoutEndOfTextBytes(const Text& text) {
    // A large generated text has none; a search for the bytes is far quicker than the walk.
    if (text.find('\0') == Text::npos && text.find('\x1a') == Text::npos) {
        return std::nullopt;
    }
    std::size_t length = TextLength(text);
    if (length == text.size()) {
        return std::nullopt;
    }
    Text clean;
    std::string_view rest = text;
    while (length < rest.size()) {
        clean.append(rest.substr(0, length));
        // A lead byte with a NUL after it goes with the NUL.
        const bool leadBeforeNul = static_cast<unsigned char>(rest[length]) >= 0x80;
        rest.remove_prefix(length + (leadBeforeNul ? 2 : 1));
        length = TextLength(rest);
    }
    clean.append(rest);
    return clean;
}

}  // namespace

Text CategoryPath(char letter, int pane) {
    if (!IsCategoryLetter(letter) || !IsPane(pane)) {
        return {};
    }
    Text path = "data/";
    path += letter;
    path += '-';
    path += static_cast<char>('0' + pane);
    path += ".txt";
    return path;
}

CategoryStore::CategoryStore(PaneAccess& panes, LoadNoticeHandler loadNotice)
    : panes_(panes), loadNotice_(std::move(loadNotice)) {}

void CategoryStore::SelectCategory(char letter) {
    if (!IsCategoryLetter(letter)) {
        return;
    }
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        files_[pane - 1] = CategoryPath(letter, pane);
    }
    ReloadPanes();
}

void CategoryStore::ReloadPanes() {
    loading_ = true;
    LoadPanes();
    loading_ = false;
}

void CategoryStore::LoadPanes() {
    const OpenFileTableHold hold;
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        const Text& path = files_[pane - 1];
        // A file that may be written stays in the table while its pane is set: the save that the
        // set raises is refused for it, so loading never rewrites an existing file.
        FileLoad load = LoadWholeFile(path);
        const PaneLoad decided = DecidePaneLoad(std::move(load));
        {
            const std::lock_guard lock(loadedMutex_);
            loaded_[pane - 1] = {path, decided.encoding, decided.problem == LoadProblem::None};
        }
        // Before the set, so that the pane is locked before its text appears.
        if (loadNotice_) {
            loadNotice_({pane, path, decided.problem != LoadProblem::None, decided.problem});
        }
        panes_.SetPaneText(pane, std::move(decided.text));
    }
    CloseAllFiles();
}

void CategoryStore::SavePane(int pane) {
    if (!IsPane(pane)) {
        return;
    }
    const Text& path = files_[pane - 1];
    if (!path.empty() && !saveHeld_[pane - 1]) {
        if (saver_) {
            saver_(pane, path);
        } else {
            WriteAndReport(pane, path, panes_.GetPaneText(pane));
        }
    }
    CloseAllFiles();
}

void CategoryStore::SetSaveHeld(int pane, bool held) {
    if (IsPane(pane)) {
        saveHeld_[pane - 1] = held;
    }
}

WriteResult CategoryStore::WritePaneFile(int pane, const Text& path, const Text& paneText) {
    if (!IsPane(pane)) {
        return {WriteFailure::Other};
    }
    FileEncoding encoding;
    {
        const std::lock_guard lock(loadedMutex_);
        const LoadedFile& loaded = loaded_[pane - 1];
        if (loaded.path != path) {
            return {WriteFailure::Other};
        }
        if (!loaded.saveable) {
            // The pane cannot show the file whole (the load said why): it is never saved over.
            return {WriteFailure::ReadOnlyFile};
        }
        encoding = loaded.encoding;
    }
    const std::optional<Text> clean = WithoutEndOfTextBytes(paneText);
    const Text& text = clean ? *clean : paneText;
    if (encoding == FileEncoding::Gb18030) {
        return WriteWholeFile(path, text);
    }
    if (const std::optional<std::string> bytes = EncodeFileBytes(encoding, text)) {
        return WriteWholeFile(path, *bytes);
    }
    // A character the file's encoding has no form for: the file keeps what it holds.
    return {WriteFailure::Other};
}

WriteResult CategoryStore::WriteAndReport(int pane, const Text& path, const Text& paneText) {
    const WriteResult result = WritePaneFile(pane, path, paneText);
    if (saveNotice_) {
        saveNotice_(pane, path, loading_ ? WriteResult{} : result);
    }
    return result;
}

void CategoryStore::ReleaseCategoryFiles() {
    for (Text& path : files_) {
        path.clear();
        path.shrink_to_fit();
    }
}

}  // namespace morvelin
