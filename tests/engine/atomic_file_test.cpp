#include "engine/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <system_error>
#include <vector>

#include "support/fillable_folder.h"

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

}  // namespace
}  // namespace glimtap::test
