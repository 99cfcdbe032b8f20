#include "engine/atomic_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "engine/template_folder.h"
#include "platform/utf16.h"
#include "support/temp_dir.h"
#ifndef _WIN32
#include <sys/stat.h>

#include "support/fillable_folder.h"
#endif

namespace glimtap::test {
namespace {

std::set<std::filesystem::path> Listing(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path());
    return names;
}

// Each name the system allows is written over what was there, listed and shown as it is;
// a name it forbids fails, naming the file, and leaves nothing behind.
TEST(WriteFileAtomicallyTest, NamesAsTheSystemAllowsThem) {
    TempDir folder;
    std::vector<std::u16string> allowed = {u"ü.bmp", u"漢字 ✓.BMP", u"😀.bmp"};
    std::vector<std::u16string> forbidden = {std::u16string(u"nul\0.bmp", 8)};
#ifdef _WIN32
    forbidden.insert(forbidden.end(), {u"a?.bmp", u"a*.bmp", u"a|b.bmp", u"a\"<b>.bmp"});
#else
    allowed.insert(allowed.end(), {u"a:b?*|\"<>\\.bmp", FromUtf8Bytes("bytes \xFF.bmp")});
#endif
    std::set<std::string> expected;
    for (const std::u16string& name : allowed) {
        const std::filesystem::path path = folder.path() / ToPath(name);
        WriteFile(path, {'o', 'l', 'd'});
        WriteFileAtomically(path, std::vector<uint8_t>{'n', 'e', 'w'});
        EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{'n', 'e', 'w'})) << PathString(path);
        EXPECT_EQ(PathFromString(PathString(path)), path);
        expected.insert(ToUtf8Bytes(name));
    }
    for (const std::u16string& name : forbidden) {
        try {
            WriteFileAtomically(folder.path() / ToPath(name), std::vector<uint8_t>{1});
            ADD_FAILURE() << ToUtf8(name) << " was written";
        } catch (const std::system_error& e) {
            EXPECT_NE(std::string(e.what()).find("cannot create a file beside"), std::string::npos) << e.what();
        }
    }
    std::error_code failure;
    std::set<std::string> listed;
    for (const TemplateFile& file : ListTemplates(folder.path(), failure)) listed.insert(PathString(file.path.filename()));
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(Listing(folder.path()).size(), allowed.size());
}

#ifdef _WIN32
TEST(WriteFileAtomicallyTest, FullDisksUmasksAndLinksArePosixMatters) {
    GTEST_SKIP() << "filling a disk, the umask and planted links are tested on POSIX";
}
#else
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

TEST(WriteFileAtomicallyTest, KeepsTheUmaskAndNeverWritesThroughALinkPlantedInItsWay) {
    namespace fs = std::filesystem;
    using enum fs::perms;
    TempDir folder, outside;
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
        EXPECT_EQ(fs::symlink_status(target).permissions(), owner_read | owner_write | group_read);
    }
    EXPECT_EQ(ReadFile(victim), precious);
    EXPECT_FALSE(fs::exists(fs::symlink_status(nowhere)));

    // Links waiting at the temporary names it draws are neither followed nor replaced: the
    // next name is tried, and when every one is taken, nothing is written.
    fs::create_symlink(victim, folder / "guessed.tmp-7");
    fs::create_symlink(nowhere, folder / "guessed.tmp-8");
    uint32_t draws = 0;
    WriteFileAtomically(folder / "guessed", bytes, [&] { return 7 + draws++; });
    EXPECT_EQ(draws, 3u);
    EXPECT_EQ(ReadFile(folder / "guessed"), bytes);
    EXPECT_THROW(WriteFileAtomically(folder / "guessed", precious, [] { return 7u; }), std::system_error);
    EXPECT_EQ(ReadFile(folder / "guessed"), bytes);
    EXPECT_TRUE(fs::is_symlink(folder / "guessed.tmp-7") && fs::is_symlink(folder / "guessed.tmp-8"));
    EXPECT_EQ(ReadFile(victim), precious);
    EXPECT_FALSE(fs::exists(fs::symlink_status(nowhere)));
}
#endif

}  // namespace
}  // namespace glimtap::test
