#include "ui/screen_snip.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

#include "engine/utf16.h"
#include "platform/backends.h"
#include "support/fillable_folder.h"
#include "support/geometry_printing.h"
#include "support/selector_driver.h"
#include "support/temp_dir.h"
#include "support/x_mouse.h"
#include "support/x_observer.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

std::set<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.insert(entry.path());
    }
    return files;
}

class ScreenSnipTest : public testing::Test {
protected:
    ScreenSnipTest() { std::filesystem::create_directory(templates_); }

    // Snips what the user drags from one corner to the other.
    std::optional<SnipAttempt> Snip(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY,
                                    const std::filesystem::path& folder) {
        std::optional<SnipAttempt> attempt;
        WhileSelecting([&](CDlgScreenAreaSelector&) { mouse_.Drag(fromX, fromY, toX, toY); },
                       [&] { attempt = SnipNewTemplate(nullptr, profile_, FromPath(folder), *backends_); });
        return attempt;
    }

    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends();
    TempDir base_;
    // Quotes, a newline, shell syntax and letters from beyond ASCII must all reach the disk.
    std::filesystem::path templates_ = base_ / "my 'shots' \"x\"\n$HOME `id` ü ✓ 漢";
    Profile profile_{QString::fromStdString((base_ / "profile.ini").string())};
    FakeMouse mouse_;
};

TEST_F(ScreenSnipTest, WritesWhatTheScreenShowsUnderTheDraggedRectangle) {
    RootBackdrop backdrop(PatternedScreenPixels(platform::OpenBackends()->Geometry().VirtualScreenSize()));

    // Dragged from the bottom-right corner: the rectangle is (660, 470), 40 x 30.
    const std::optional<SnipAttempt> attempt = Snip(700, 500, 660, 470, templates_);
    ASSERT_TRUE(attempt.has_value());
    ASSERT_TRUE(attempt->file.has_value());
    EXPECT_EQ(FilesIn(templates_), std::set{*attempt->file});
    EXPECT_EQ(attempt->file->extension(), ".bmp");
    EXPECT_EQ(attempt->file->filename().string().rfind("Screenshot_", 0), 0u);

    const std::vector<uint8_t> bytes = ReadFile(*attempt->file);
    ASSERT_EQ(bytes.size(), 54u + 40 * 30 * 4);
    EXPECT_EQ(Le32(bytes, 2), bytes.size());
    EXPECT_EQ(Le32(bytes, 10), 54u);
    EXPECT_EQ(Le32(bytes, 18), 40u);
    EXPECT_EQ(Le32(bytes, 22), 30u);
    EXPECT_EQ(Le32(bytes, 28) & 0xFFFF, 32u);
    // Bottom row first; no trace of the veil, which was on the screen until the drag ended.
    for (int32_t row = 0; row < 30; ++row) {
        for (int32_t x = 0; x < 40; ++x) {
            const size_t offset = 54 + static_cast<size_t>(row * 40 + x) * 4;
            ASSERT_EQ(Le32(bytes, offset) & 0xFFFFFF, backdrop.At(660 + x, 470 + 29 - row))
                << "file row " << row << ", x " << x;
        }
    }

    // Another snip straight after gets a name of its own.
    const std::optional<SnipAttempt> again = Snip(10, 10, 20, 20, templates_);
    ASSERT_TRUE(again.has_value() && again->file.has_value());
    EXPECT_NE(*again->file, *attempt->file);
    EXPECT_EQ(FilesIn(templates_).size(), 2u);
}

TEST_F(ScreenSnipTest, WritesNothingWithoutAFolderOrARectangle) {
    // A folder deleted meanwhile: the snip is tried, fails, and leaves nothing.
    const std::filesystem::path vanished = base_ / "vanished";
    const std::optional<SnipAttempt> attempt = Snip(100, 100, 140, 130, vanished);
    ASSERT_TRUE(attempt.has_value()) << "a capture was tried, so the list wants a refresh";
    EXPECT_FALSE(attempt->file.has_value());
    EXPECT_FALSE(std::filesystem::exists(vanished));

    // A click: nothing is tried.
    EXPECT_FALSE(Snip(300, 300, 300, 300, templates_).has_value());
    EXPECT_TRUE(FilesIn(templates_).empty());
}

class SnipOnAFullDisk : public ViewTest, public testing::WithParamInterface<FullDisk> {};

TEST_P(SnipOnAFullDisk, LeavesNoFileAndSaysSo) {
    const std::unique_ptr<FillableFolder> folder = FillableFolder::Make(GetParam());
    if (!folder) GTEST_SKIP() << "no right to mount a tmpfs here; the file size limit stands in";
    settings.targetFolder = FromPath(folder->path());
    View().OnInitialUpdate();
    ASSERT_EQ(settings.targetFolder, FromPath(folder->path()));
    // 100 x 60 pixels make a file of 24054 bytes: it fails part way.
    folder->Fill(4096);

    FakeMouse mouse;
    WhileSelecting([&](CDlgScreenAreaSelector&) { mouse.Drag(100, 100, 200, 160); },
                   [&] { View().OnSelectImage(); });
    EXPECT_EQ(FilesIn(folder->path()), std::set<std::filesystem::path>{});
    EXPECT_EQ(host.statusMessages, QStringList{"The new image could not be saved."});
}

INSTANTIATE_TEST_SUITE_P(, SnipOnAFullDisk,
                         testing::Values(FullDisk::kSmallTmpfs, FullDisk::kFileSizeLimit),
                         FullDiskName);

}  // namespace
}  // namespace glimtap::test
