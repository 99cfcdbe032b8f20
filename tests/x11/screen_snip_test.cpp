#include "ui/screen_snip.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "engine/template_image.h"
#include "platform/utf16.h"
#include "support/selector_driver.h"
#include "support/x_mouse.h"
#include "support/x_observer.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

size_t FileCount(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST_F(ViewTest, SnipIsCutFromTheScreenAsItWasWhenTheSelectorOpened) {
    // Quotes, a newline, shell syntax and letters from beyond ASCII must all reach the disk.
    const fs::path folder = home / "my 'shots' \"x\"\n$HOME `id` ü ✓ 漢";
    fs::create_directory(folder);
    const std::vector<uint32_t> before =
        PatternedScreenPixels(backends->Geometry().VirtualScreenSize());
    std::vector<uint32_t> after = before;
    for (uint32_t& pixel : after) pixel ^= 0xFFFFFF;
    std::optional<RootBackdrop> screen(std::in_place, before);

    FakeMouse mouse;
    std::optional<SnipAttempt> attempt;
    WhileSelecting(
        [&](CDlgScreenAreaSelector&) {
            // The screen changes under the veil; the snip is still what the user saw.
            screen.reset();
            screen.emplace(after);
            mouse.Drag(701, 501, 660, 470);
        },
        [&] { attempt = SnipNewTemplate(nullptr, profile, FromPath(folder), *backends); });
    ASSERT_TRUE(attempt.has_value() && attempt->file.has_value());
    EXPECT_EQ(attempt->file->parent_path(), folder);
    EXPECT_EQ(attempt->file->filename().string().rfind("Screenshot_", 0), 0u);
    EXPECT_EQ(FileCount(folder), 1u);

    TemplateImage image;
    ASSERT_TRUE(LoadTemplateImage(image, *attempt->file));
    ASSERT_EQ(image.width, 41);
    ASSERT_EQ(image.height, 31);
    for (int32_t y = 0; y < 31; ++y) {
        for (int32_t x = 0; x < 41; ++x) {
            ASSERT_EQ(image.pixels[static_cast<size_t>(y * 41 + x)] & 0xFFFFFF,
                      before[static_cast<size_t>((470 + y) * 1920 + 660 + x)])
                << x << "," << y;
        }
    }
}

TEST_F(ViewTest, SnipThatCannotBeWrittenSaysSoAndAClickTriesNothing) {
    // The folder was deleted after the form listed it.
    settings.targetFolder = FromPath(home / "vanished");
    FakeMouse mouse;
    WhileSelecting([&](CDlgScreenAreaSelector&) { mouse.Click(300, 300); },
                   [&] { View().OnSelectImage(); });
    EXPECT_TRUE(host.statusMessages.isEmpty());
    WhileSelecting([&](CDlgScreenAreaSelector&) { mouse.Drag(100, 100, 140, 130); },
                   [&] { View().OnSelectImage(); });
    EXPECT_EQ(host.statusMessages, QStringList{"The new image could not be saved."});
    EXPECT_FALSE(fs::exists(home / "vanished"));
}

}  // namespace
}  // namespace glimtap::test
