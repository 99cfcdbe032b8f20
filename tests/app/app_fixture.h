#pragma once

#include <gtest/gtest.h>

#include <QMenu>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/glimtap_app.h"
#include "app/main_frame.h"
#include "engine/utf16.h"
#include "platform/backends.h"
#include "support/recording_launcher.h"
#include "support/temp_dir.h"
#include "ui/profile.h"

namespace glimtap::test {

inline QString Q(const std::filesystem::path& path) {
    return QString::fromStdU16String(FromPath(path));
}

// The application with its data folder, desktop folder and profile in a temporary folder.
class AppTest : public testing::Test {
protected:
    AppTest() {
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        std::filesystem::create_directories(home / "desktop");
        std::filesystem::create_directories(home / "config");
        WriteFile(home / "config" / "user-dirs.dirs",
                  Bytes("XDG_DESKTOP_DIR=\"" + (home / "desktop").string() + "\"\n"));
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    }

    static std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

    CGlimtapApp& StartApp() {
        app = std::make_unique<CGlimtapApp>(AppServices{*profile, *backends, launcher});
        EXPECT_TRUE(app->InitInstance(std::nullopt));
        return *app;
    }

    CMainFrame& Frame() { return app->MainFrame(); }
    const GlimtapForm& Form() { return Frame().View().Form(); }
    QString Caption() { return Frame().windowTitle(); }

    // The File menu's entries, "-" for separators.
    QStringList FileMenu() {
        QStringList items;
        for (const QAction* action : Frame().FileMenu().actions()) {
            items.append(action->isSeparator() ? "-" : action->text());
        }
        return items;
    }

    TempDir home;
    std::unique_ptr<Profile> profile =
        std::make_unique<Profile>(Q(home / "profile.ini"));
    std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    RecordingLauncher launcher;
    std::unique_ptr<CGlimtapApp> app;
};

}  // namespace glimtap::test
