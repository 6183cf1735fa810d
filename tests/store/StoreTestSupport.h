#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>

#include "core/Text.h"
#include "store/FileLayer.h"
#include "store/FilePlatform.h"

namespace morvelin::testing {

namespace fs = std::filesystem;

// Each test runs in a fresh, empty current folder of its own, as the program runs in its own
// folder; the previous current folder comes back afterwards.
class TempFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = fs::current_path();
        std::random_device random;
        for (int attempt = 0; folder_.empty() && attempt < 100; ++attempt) {
            const fs::path candidate =
                fs::temp_directory_path() /
                ("morvelin-store-" + std::to_string(random()) + "-" + std::to_string(random()));
            if (fs::create_directory(candidate)) {
                folder_ = candidate;
            }
        }
        ASSERT_FALSE(folder_.empty());
        fs::current_path(folder_);
    }

    void TearDown() override {
        CloseAllFiles();
        fs::current_path(previous_);
        std::error_code ignored;
        // Read-only files would stop the removal on Windows.
        for (const auto& entry : fs::recursive_directory_iterator(folder_, ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        }
        fs::remove_all(folder_, ignored);
    }

    static void MakeDataFolder() { fs::create_directory("data"); }

  private:
    fs::path previous_;
    fs::path folder_;
};

inline void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// nullopt for a missing file.
inline std::optional<std::string> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

// Everything under the current folder, to show that a refused write left no file behind.
inline std::set<std::string> Listing() {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(".")) {
        names.insert(entry.path().generic_string());
    }
    return names;
}

// What a rewrite of the file would change: its bytes, its identity (a replace makes a new file)
// and its modification time (an in-place rewrite).
struct FileSnapshot {
    std::optional<std::string> bytes;
    std::optional<FileIdentity> identity;
    fs::file_time_type modified{};

    friend bool operator==(const FileSnapshot&, const FileSnapshot&) = default;
};

inline FileSnapshot Snapshot(const fs::path& path) {
    FileSnapshot snapshot;
    snapshot.bytes = ReadBytes(path);
    if (const auto facts = NativeFilePlatform().Examine(path.generic_string())) {
        snapshot.identity = facts->identity;
    }
    std::error_code ignored;
    snapshot.modified = fs::last_write_time(path, ignored);
    return snapshot;
}

inline void PrintTo(const FileSnapshot& snapshot, std::ostream* out) {
    *out << (snapshot.bytes ? ::testing::PrintToString(*snapshot.bytes) : "(missing)");
    if (snapshot.identity) {
        *out << " id " << snapshot.identity->device << ":" << snapshot.identity->index;
    }
}

}  // namespace morvelin::testing
