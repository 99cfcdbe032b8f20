#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "support/temp_dir.h"

namespace glimtap::test {

// The two ways a test runs a folder out of room: a small tmpfs filled up, the real thing,
// which needs the right to mount; or this process's file size limit, which works anywhere
// and fails writes the same way, part way through.
enum class FullDisk { kSmallTmpfs, kFileSizeLimit };

// "SmallTmpfs" or "FileSizeLimit", for parameterized test names and messages.
std::string FullDiskName(const testing::TestParamInfo<FullDisk>& info);
void PrintTo(FullDisk kind, std::ostream* out);

// An empty folder, path(), that writes work in until Fill.
class FillableFolder {
public:
    // Null when a tmpfs is asked for and cannot be mounted here.
    static std::unique_ptr<FillableFolder> Make(FullDisk kind);
    ~FillableFolder();

    const std::filesystem::path& path() const { return folder_; }
    std::filesystem::path operator/(const std::string& name) const { return folder_ / name; }

    // From now until destruction, leaves room for no more than `room` bytes: fills the tmpfs
    // (outside path()) up to the last whole pages of `room`, or limits every file this process
    // writes to `room` bytes.
    void Fill(size_t room);
    // What a write that finds no room fails with: ENOSPC or EFBIG.
    int NoRoomError() const;

private:
    explicit FillableFolder(FullDisk kind);

    FullDisk kind_;
    TempDir base_;
    std::filesystem::path folder_;
    bool mounted_ = false, limited_ = false;
    rlimit savedLimit_{};
    struct sigaction savedAction_{};
};

}  // namespace glimtap::test
