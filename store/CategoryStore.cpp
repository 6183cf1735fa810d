#include "store/CategoryStore.h"

#include <utility>

#include "store/FileLayer.h"

namespace morvelin {
namespace {

bool IsCategoryLetter(char letter) {
    return letter >= 'a' && letter <= 'z';
}

bool IsPane(int pane) {
    return pane >= 1 && pane <= kPaneCount;
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

CategoryStore::CategoryStore(PaneAccess& panes, ReadOnlyNotice readOnlyNotice)
    : panes_(panes), readOnlyNotice_(std::move(readOnlyNotice)) {}

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
        // The file stays in the table while its pane is set: the save that the set raises is
        // refused for it, so loading never rewrites an existing file.
        const FileNumber file = OpenShared(path);
        Text text;
        bool readOnly = false;
        if (file != 0) {
            text = ReadWholeText(file);
        } else if (IsReadOnlyFile(path)) {
            // The shared open refuses a read-only file; show its content all the same. The save
            // that the set raises is refused too, so the file stays as it is.
            readOnly = true;
            text = ReadReadOnlyFile(path);
        }
        // Before the set, so that the pane is locked before its text appears.
        if (readOnlyNotice_) {
            readOnlyNotice_(pane, readOnly);
        }
        panes_.SetPaneText(pane, std::move(text));
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

WriteResult CategoryStore::WritePaneFile(int /*pane*/, const Text& path, const Text& paneText) {
    return WriteWholeFile(path, paneText);
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
