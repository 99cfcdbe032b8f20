#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <cstdlib>
#include <optional>

#include "app/glimtap_app.h"
#include "app/main_frame.h"
#include "engine/data_file.h"
#include "platform/backends.h"
#include "platform/utf16.h"
#include "support/modal_driver.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace glimtap::test {

inline QString Q(const std::filesystem::path& path) { return QString::fromStdU16String(FromPath(path)); }

inline QPointer<QTimer> ChooseInNextFileDialog(const QString& path) {
    return WhenModal<QFileDialog>([path](QFileDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(path);
        static_cast<QDialog&>(dialog).accept();
    });
}

inline void WriteDataFile(const std::filesystem::path& path, int32_t tolerance,
                          const std::function<void(DataFile&)>& change = {}) {
    DataFile data;
    data.settings.ResetToDefaults(platform::OpenBackends()->Geometry());
    data.settings.tolerance = tolerance;
    if (change) change(data);
    SaveDataFile(path, data);
}

inline void Drop(QWidget& target, const std::filesystem::path& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(file))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

// The application with its folders and profile in a temporary folder, on the environment's backends.
class AppTest : public testing::Test {
protected:
    AppTest() {
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    }

    CGlimtapApp& StartApp(const std::optional<QString>& file = std::nullopt) {
        app.reset();
        app = std::make_unique<CGlimtapApp>(AppServices{*profile, *backends, launcher});
        EXPECT_TRUE(app->InitInstance(file));
        return *app;
    }

    CMainFrame& Frame() { return app->MainFrame(); }
    const GlimtapForm& Form() { return Frame().View().Form(); }
    QString Caption() { return Frame().windowTitle().replace("[*]", Frame().isWindowModified() ? "*" : ""); }

    TempDir home;
    std::unique_ptr<Profile> profile = std::make_unique<Profile>(Q(home / "profile.ini"));
    std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    RecordingLauncher launcher;
    std::unique_ptr<CGlimtapApp> app;
};

}  // namespace glimtap::test
