#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "store/FileLayer.h"
#include "store/FilePlatform.h"

namespace morvelin {

inline void PrintTo(WriteFailure failure, std::ostream* out) {
    constexpr const char* kNames[] = {"None",          "DiskFull",     "NoPermission",  "InUse",
                                      "FolderMissing", "ReadOnlyFile", "NotAPlainFile", "Other"};
    *out << kNames[static_cast<int>(failure)];
}

}  // namespace morvelin

namespace morvelin::testing {

// The steps of a write that a test can make fail.
enum class Step {
    CreateTemp,
    CopyAttributes,
    Write,
    Flush,
    Close,
    Replace,
    OpenForWriting,
    Reserve,
    Truncate,
};

// The native platform, with faults put in: each fault makes the next call of its step fail once
// with its reason (or every call, when it is lasting), as a full disk or a refusing folder would.
// A failing write puts half of its bytes into the file first, as a full disk does.
class FaultyFilePlatform final : public FilePlatform {
  public:
    void FailOnce(Step step, WriteFailure failure) { faults_[step] = {failure, false}; }
    void FailAlways(Step step, WriteFailure failure) { faults_[step] = {failure, true}; }
    void Heal() {
        faults_.clear();
        throwAt_.reset();
    }
    // The next call of `step` runs out of memory asking for `bytes`.
    void ThrowOnce(Step step, std::uint64_t bytes) {
        throwAt_ = step;
        throwBytes_ = bytes;
    }

    std::optional<FileFacts> Examine(const Text& path) override { return native_.Examine(path); }
    Handle OpenShared(const Text& path) override { return native_.OpenShared(path); }
    Handle OpenForReading(const Text& path) override { return native_.OpenForReading(path); }
    std::optional<FileIdentity> IdentityOf(Handle file) override {
        return native_.IdentityOf(file);
    }
    std::int64_t Length(Handle file) override { return native_.Length(file); }
    std::int64_t Read(Handle file, char* buffer, std::int64_t size) override {
        return native_.Read(file, buffer, size);
    }
    bool Seek(Handle file, std::int64_t offset, SeekOrigin origin) override {
        return native_.Seek(file, offset, origin);
    }
    bool Close(Handle file) override {
        const bool closed = native_.Close(file);
        return !Fails(Step::Close) && closed;
    }
    Text ReplaceTarget(const Text& path) override { return native_.ReplaceTarget(path); }
    Handle CreateTempBeside(const Text& target, Text& tempPath) override {
        return Fails(Step::CreateTemp) ? kNoHandle : native_.CreateTempBeside(target, tempPath);
    }
    bool CopyAttributes(Handle file, const Text& target) override {
        return !Fails(Step::CopyAttributes) && native_.CopyAttributes(file, target);
    }
    bool Write(Handle file, std::string_view bytes) override {
        if (Fails(Step::Write)) {
            native_.Write(file, bytes.substr(0, bytes.size() / 2));
            return false;
        }
        return native_.Write(file, bytes);
    }
    bool Flush(Handle file) override { return !Fails(Step::Flush) && native_.Flush(file); }
    bool Replace(const Text& from, const Text& target) override {
        return !Fails(Step::Replace) && native_.Replace(from, target);
    }
    void Remove(const Text& path) override { native_.Remove(path); }
    Handle OpenForWriting(const Text& path) override {
        return Fails(Step::OpenForWriting) ? kNoHandle : native_.OpenForWriting(path);
    }
    bool Reserve(Handle file, std::int64_t size) override {
        return !Fails(Step::Reserve) && native_.Reserve(file, size);
    }
    bool Truncate(Handle file, std::int64_t size) override {
        return !Fails(Step::Truncate) && native_.Truncate(file, size);
    }
    WriteFailure LastFailure() override { return injected_ ? *injected_ : native_.LastFailure(); }
    std::vector<Text> ListFolder(const Text& folder) override { return native_.ListFolder(folder); }
    bool ProcessEnded(std::uint64_t processId) override { return native_.ProcessEnded(processId); }

  private:
    struct Fault {
        WriteFailure failure;
        bool lasting;
    };

    // Whether this call of `step` fails; remembers the reason for LastFailure.
    bool Fails(Step step) {
        injected_.reset();
        if (throwAt_ == step) {
            throwAt_.reset();
            throw AllocationFailure(throwBytes_);
        }
        const auto fault = faults_.find(step);
        if (fault == faults_.end()) {
            return false;
        }
        injected_ = fault->second.failure;
        if (!fault->second.lasting) {
            faults_.erase(fault);
        }
        return true;
    }

    FilePlatform& native_ = NativeFilePlatform();
    std::map<Step, Fault> faults_;
    std::optional<WriteFailure> injected_;
    std::optional<Step> throwAt_;
    std::uint64_t throwBytes_ = 0;
};

// Puts a platform in place for the life of the object.
class UsingPlatform {
  public:
    explicit UsingPlatform(FilePlatform& platform) { UseFilePlatform(&platform); }
    ~UsingPlatform() { UseFilePlatform(nullptr); }
    UsingPlatform(const UsingPlatform&) = delete;
    UsingPlatform& operator=(const UsingPlatform&) = delete;
};

}  // namespace morvelin::testing
