#include "store/CategoryStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/PaneAccess.h"
#include "store/FileLayer.h"
#include "store/FolderLock.h"
#include "tests/store/FaultyFilePlatform.h"
#include "tests/store/StoreTestSupport.h"

namespace morvelin::testing {
namespace {

using namespace std::string_literals;

// Five panes in memory that behave like the window's: every set raises the pane's change, and
// the change saves the pane through the store before the set returns.
class SavingPanes final : public PaneAccess {
  public:
    CategoryStore* store = nullptr;
    std::array<Text, kPaneCount> texts;
    // "set n" and "notice n ro|rw", in the order they happened.
    std::vector<std::string> events;

    Text GetPaneText(int pane) override { return texts[pane - 1]; }

    void SetPaneText(int pane, Text text) override {
        texts[pane - 1] = std::move(text);
        events.push_back("set " + std::to_string(pane));
        if (store != nullptr) {
            store->SavePane(pane);
        }
    }

    void CloseAllFiles() override { morvelin::CloseAllFiles(); }

    // The user changes a pane: the same change event as a set.
    void Type(int pane, Text text) { SetPaneText(pane, std::move(text)); }
};

class CategoryStoreTest : public TempFolderTest {
  protected:
    CategoryStoreTest() { panes.store = &store; }

    void Select(char letter) {
        panes.events.clear();
        store.SelectCategory(letter);
    }

    static std::string Path(char letter, int pane) { return CategoryPath(letter, pane); }

    SavingPanes panes;
    CategoryStore store{panes, [this](const CategoryStore::LoadNotice& notice) {
                            panes.events.push_back("notice " + std::to_string(notice.pane) +
                                                   (notice.readOnly ? " ro" : " rw"));
                        }};
};

TEST(CategoryPathTest, NamesTheDataFileOfALetterAndPane) {
    EXPECT_EQ(CategoryPath('a', 1), "data/a-1.txt");
    EXPECT_EQ(CategoryPath('m', 3), "data/m-3.txt");
    EXPECT_EQ(CategoryPath('z', 5), "data/z-5.txt");
    for (const auto& [letter, pane] : {std::pair{'A', 1}, {'{', 1}, {'`', 1}, {'a', 0}, {'a', 6}}) {
        EXPECT_EQ(CategoryPath(letter, pane), "") << letter << pane;
    }
}

TEST_F(CategoryStoreTest, SelectionShowsTheFilesAndRewritesNoneOfThem) {
    MakeDataFolder();
    const std::array<std::string, kPaneCount> files = {
        "shirt\r\ndress\r\n",
        "red\nlong\n",  // lone LF: shown as it is, the file stays as it is
        "",             // missing
        "kept\r\n",     // read-only
        "women\x1a"
        "after the end",  // bytes after the end of the text: shown up to it, read-only
    };
    for (int pane : {1, 2, 4, 5}) {
        WriteBytes(Path('a', pane), files[pane - 1]);
    }
    MakeReadOnly(Path('a', 4));
    std::array<FileSnapshot, kPaneCount> before;
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        before[pane - 1] = Snapshot(Path('a', pane));
    }

    Select('a');

    const std::array<Text, kPaneCount> shown = {"shirt\r\ndress\r\n", "red\nlong\n", "", "kept\r\n",
                                                "women"};
    EXPECT_EQ(panes.texts, shown);
    for (int pane : {1, 2, 4, 5}) {
        EXPECT_EQ(Snapshot(Path('a', pane)), before[pane - 1]) << "pane " << pane;
    }
    EXPECT_EQ(ReadBytes(Path('a', 3)), "") << "a missing file becomes a 0-byte file";
    // Each pane is told whether it may be edited before its text arrives.
    const std::vector<std::string> events = {"notice 1 rw", "set 1", "notice 2 rw", "set 2",
                                             "notice 3 rw", "set 3", "notice 4 ro", "set 4",
                                             "notice 5 ro", "set 5"};
    EXPECT_EQ(panes.events, events);
}

TEST_F(CategoryStoreTest, EmptyDataFolderGetsFiveEmptyFiles) {
    MakeDataFolder();
    panes.texts = {"old", "old", "old", "old", "old"};

    Select('a');

    EXPECT_EQ(panes.texts, (std::array<Text, kPaneCount>{}));
    for (int pane = 1; pane <= kPaneCount; ++pane) {
        EXPECT_EQ(ReadBytes(Path('a', pane)), "") << pane;
    }
    EXPECT_EQ(Listing().size(), 1u + kPaneCount);
}

TEST_F(CategoryStoreTest, WithoutADataFolderNothingIsCreatedAndTypingIsLost) {
    Select('a');
    panes.Type(2, "x");
    Select('b');
    Select('a');

    EXPECT_EQ(panes.texts, (std::array<Text, kPaneCount>{}));
    EXPECT_TRUE(Listing().empty());
}

TEST_F(CategoryStoreTest, NothingIsSavedBeforeTheFirstSelection) {
    MakeDataFolder();
    panes.Type(1, "early");
    EXPECT_EQ(Listing().size(), 1u);
}

TEST_F(CategoryStoreTest, TypedTextComesBackAfterAnotherCategory) {
    MakeDataFolder();
    Select('a');
    panes.Type(2, "x");
    Select('b');
    EXPECT_EQ(panes.texts[1], "");
    Select('a');

    EXPECT_EQ(panes.texts[1], "x");
    EXPECT_EQ(ReadBytes(Path('a', 2)), "x");
    EXPECT_EQ(ReadBytes(Path('b', 2)), "");
}

TEST_F(CategoryStoreTest, SelectingTheSameCategoryAgainReloadsChangedFiles) {
    MakeDataFolder();
    WriteBytes(Path('a', 3), "women");
    Select('a');
    ASSERT_EQ(panes.texts[2], "women");

    WriteBytes(Path('a', 3), "women\r\nsummer");
    Select('a');

    EXPECT_EQ(panes.texts[2], "women\r\nsummer");
}

TEST_F(CategoryStoreTest, BytesAfterTheEndOfTextStayWhateverThePaneGets) {
    MakeDataFolder();
    WriteBytes(Path('a', 1),
               "shirt\x1a"
               "hidden");
    Select('a');
    ASSERT_EQ(panes.texts[0], "shirt");

    panes.Type(1, "shirt\r\ndress");

    EXPECT_EQ(ReadBytes(Path('a', 1)),
              "shirt\x1a"
              "hidden");
}

TEST_F(CategoryStoreTest, TypingIntoAReadOnlyPaneLeavesItsFileAlone) {
    MakeDataFolder();
    WriteBytes(Path('a', 2), "red\r\nlong");
    MakeReadOnly(Path('a', 2));
    Select('a');
    const FileSnapshot before = Snapshot(Path('a', 2));

    panes.Type(2, "red\r\nlong\r\nshort");

    EXPECT_EQ(Snapshot(Path('a', 2)), before);
    Select('a');
    EXPECT_EQ(panes.texts[1], "red\r\nlong");
}

TEST_F(CategoryStoreTest, AFileDeletedWhileRunningIsWrittenAgain) {
    MakeDataFolder();
    Select('a');
    fs::remove(Path('a', 4));

    panes.Type(4, "shirt red\r\n");
    EXPECT_EQ(ReadBytes(Path('a', 4)), "shirt red\r\n");

    fs::remove(Path('a', 4));
    Select('a');
    EXPECT_EQ(panes.texts[3], "");
    EXPECT_EQ(ReadBytes(Path('a', 4)), "");
}

TEST_F(CategoryStoreTest, ALetterOutsideAToZChangesNothing) {
    MakeDataFolder();
    Select('a');
    panes.Type(1, "shirt");

    Select('A');

    EXPECT_TRUE(panes.events.empty());
    EXPECT_EQ(store.Files()[0], "data/a-1.txt");
    EXPECT_EQ(panes.texts[0], "shirt");
}

TEST_F(CategoryStoreTest, ReleasedPathsSaveNothing) {
    MakeDataFolder();
    Select('a');
    store.ReleaseCategoryFiles();

    panes.Type(1, "late");

    EXPECT_EQ(ReadBytes(Path('a', 1)), "");
}

// ---- Outcomes of saves ----

class SaveNoticeTest : public CategoryStoreTest {
  protected:
    SaveNoticeTest() {
        store.SetSaveNotice([this](int pane, const Text& path, WriteResult result) {
            told.push_back({pane, path, result.failure});
        });
    }

    struct Told {
        int pane;
        Text path;
        WriteFailure failure;
        friend bool operator==(const Told&, const Told&) = default;
    };
    std::vector<Told> told;
};

TEST_F(SaveNoticeTest, EverySaveTellsItsOutcomeAndALoadCountsAsSaved) {
    MakeDataFolder();
    WriteBytes(Path('a', 1), "shirt");
    Select('a');
    // The load's own saves are refused (file 1) or make the missing files: the panes show them.
    ASSERT_EQ(told.size(), 5u);
    for (const Told& t : told) {
        EXPECT_EQ(t.failure, WriteFailure::None) << t.pane;
    }
    told.clear();

    FaultyFilePlatform faulty;
    const UsingPlatform using_(faulty);
    faulty.FailAlways(Step::Write, WriteFailure::DiskFull);
    panes.Type(1, "shirt\r\ndress");
    panes.Type(1, "shirt\r\ndress\r\n");
    faulty.Heal();
    panes.Type(2, "red");

    const std::vector<Told> expected = {{1, Path('a', 1), WriteFailure::DiskFull},
                                        {1, Path('a', 1), WriteFailure::DiskFull},
                                        {2, Path('a', 2), WriteFailure::None}};
    EXPECT_EQ(told, expected);
    EXPECT_EQ(ReadBytes(Path('a', 1)), "shirt") << "the old file stays whole";
    EXPECT_EQ(ReadBytes(Path('a', 2)), "red");

    // Reloading while the disk is full still reports every pane as showing its file.
    told.clear();
    faulty.FailAlways(Step::Write, WriteFailure::DiskFull);
    Select('a');
    EXPECT_EQ(told.size(), 5u);
    EXPECT_TRUE(std::all_of(told.begin(), told.end(),
                            [](const Told& t) { return t.failure == WriteFailure::None; }));
    EXPECT_EQ(panes.texts[0], "shirt");
}

TEST_F(SaveNoticeTest, HeldSavesReachNoFileAndTellNothing) {
    MakeDataFolder();
    WriteBytes(Path('a', 4), "old output");
    Select('a');
    told.clear();

    store.SetSaveHeld(4, true);
    panes.Type(4, "");
    EXPECT_EQ(ReadBytes(Path('a', 4)), "old output");
    EXPECT_TRUE(told.empty());
    panes.Type(5, "other panes save as ever");
    EXPECT_EQ(ReadBytes(Path('a', 5)), "other panes save as ever");

    store.SetSaveHeld(4, false);
    panes.Type(4, "new output");
    EXPECT_EQ(ReadBytes(Path('a', 4)), "new output");
    EXPECT_EQ(told.back(), (Told{4, Path('a', 4), WriteFailure::None}));
}

TEST_F(SaveNoticeTest, AWorkersWriteIsToldOnItsThread) {
    MakeDataFolder();
    Select('a');
    told.clear();
    std::thread::id toldOn;
    store.SetSaveNotice(
        [&](int, const Text&, WriteResult) { toldOn = std::this_thread::get_id(); });

    std::thread worker([&] {
        EXPECT_TRUE(store.WriteAndReport(5, Path('a', 5), "set on the worker"));
        EXPECT_EQ(toldOn, std::this_thread::get_id());
    });
    worker.join();
    EXPECT_EQ(ReadBytes(Path('a', 5)), "set on the worker");
}

// ---- One program per data folder ----

TEST_F(CategoryStoreTest, AFolderIsTakenByOneLockAtATimeUntilItEnds) {
    MakeDataFolder();
    std::optional<FolderLock> first(std::in_place);
    ASSERT_EQ(first->Take("data"), FolderLock::Outcome::Taken);
    const auto listing = Listing();

    for (const char* spelling : {"data", "./data", "data/../data"}) {
        FolderLock second;
        EXPECT_EQ(second.Take(spelling), FolderLock::Outcome::TakenElsewhere) << spelling;
    }
    FolderLock missing;
    EXPECT_EQ(missing.Take("nothing"), FolderLock::Outcome::Unavailable);
    EXPECT_EQ(Listing(), listing) << "a lock leaves nothing in the folder";

    first.reset();
    FolderLock again;
    EXPECT_EQ(again.Take("data"), FolderLock::Outcome::Taken);
}

}  // namespace
}  // namespace morvelin::testing
