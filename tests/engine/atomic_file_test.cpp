#include "engine/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <set>

#include "support/fillable_folder.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

std::set<std::filesystem::path> Listing(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path());
    return names;
}

class WriteFileAtomicallyOnAFullDisk : public testing::TestWithParam<FullDisk> {};

TEST_P(WriteFileAtomicallyOnAFullDisk, ThrowsAndLeavesTheFolderAsItWas) {
    const std::unique_ptr<FillableFolder> folder = FillableFolder::Make(GetParam());
    if (!folder) GTEST_SKIP() << "no right to mount a tmpfs here; the file size limit stands in";
    const std::vector<uint8_t> old{'o', 'l', 'd'};
    WriteFile(*folder / "existing", old);
    // Ten pages with room for one: the write fails part way, after a page went to disk.
    const std::vector<uint8_t> bytes(40960, 0x5A);
    folder->Fill(4096);
    const std::set<std::filesystem::path> before = Listing(folder->path());

    for (const char* name : {"existing", "new"}) {
        SCOPED_TRACE(name);
        try {
            WriteFileAtomically(*folder / name, bytes);
            ADD_FAILURE() << "the write did not fail";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code(), std::error_code(folder->NoRoomError(), std::generic_category()));
        }
        EXPECT_EQ(Listing(folder->path()), before) << "a partial or temporary file stayed";
    }
    EXPECT_EQ(ReadFile(*folder / "existing"), old);
}

INSTANTIATE_TEST_SUITE_P(, WriteFileAtomicallyOnAFullDisk,
                         testing::Values(FullDisk::kSmallTmpfs, FullDisk::kFileSizeLimit),
                         FullDiskName);

struct ScopedUmask {
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    const mode_t old_;
};

std::filesystem::perms Mode(const std::filesystem::path& path) {
    return std::filesystem::symlink_status(path).permissions();
}

TEST(WriteFileAtomicallyTest, KeepsTheUmaskAndNeverWritesThroughALinkPlantedInItsWay) {
    namespace fs = std::filesystem;
    using enum fs::perms;
    TempDir folder;
    TempDir outside;
    const fs::path victim = outside / "victim";
    const std::vector<uint8_t> precious{'k', 'e', 'e', 'p'};
    WriteFile(victim, precious);
    const std::vector<uint8_t> bytes{'n', 'e', 'w'};
    const ScopedUmask groupMayReadOthersNothing(027);

    // A fresh name, a symbolic link to a file, a dangling one, and a hard link: each becomes a
    // regular file of its own, and what a link pointed at stays as it was.
    const fs::path nowhere = outside / "not-there";
    const std::pair<const char*, std::function<void(const fs::path&)>> plants[] = {
        {"fresh", [](const fs::path&) {}},
        {"symlink", [&](const fs::path& at) { fs::create_symlink(victim, at); }},
        {"dangling symlink", [&](const fs::path& at) { fs::create_symlink(nowhere, at); }},
        {"hard link", [&](const fs::path& at) { fs::create_hard_link(victim, at); }},
    };
    for (const auto& [what, plant] : plants) {
        SCOPED_TRACE(what);
        const fs::path target = folder / what;
        plant(target);
        WriteFileAtomically(target, bytes);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target)));
        EXPECT_EQ(fs::hard_link_count(target), 1u);
        EXPECT_EQ(ReadFile(target), bytes);
        EXPECT_EQ(Mode(target), owner_read | owner_write | group_read);
    }
    EXPECT_EQ(ReadFile(victim), precious);
    EXPECT_FALSE(fs::exists(fs::symlink_status(nowhere)));

    // Links waiting at temporary names one might guess are neither followed nor replaced.
    const fs::path guesses[] = {folder / "guessed.tmp", folder / "guessed~", folder / ".guessed.tmp", folder / "guessed.new"};
    for (const fs::path& guess : guesses) fs::create_symlink(victim, guess);
    WriteFileAtomically(folder / "guessed", bytes);
    for (const fs::path& guess : guesses) EXPECT_TRUE(fs::is_symlink(guess)) << guess;
    EXPECT_EQ(ReadFile(victim), precious);
}

}  // namespace
}  // namespace glimtap::test
