#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <cstdlib>

#include "engine/search_settings.h"
#include "platform/backends.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/glimtap_view.h"
#include "ui/profile.h"
#include "ui/view_host.h"

namespace glimtap::test {

// Stands in for the main window around the form and notes what the form asks of it.
class FakeHost : public ViewHost {
public:
    std::filesystem::path DocumentTitle() const override { return title; }
    bool SaveDocument(bool saveAs) override { return saves.push_back(saveAs), true; }
    void SetModified(bool isModified) override { modified = isModified; }
    void ResizeParentToFit() override {}
    void ShowStatusMessage(const QString& text) override { statusMessages.append(text); }

    std::filesystem::path title = "Untitled";
    std::vector<bool> saves;
    bool modified = false;
    QStringList statusMessages;
};

// A form over fresh settings, with the user's data folder and profile in a temporary folder,
// on the backends the environment picks.
class ViewTest : public testing::Test {
protected:
    ViewTest() {
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        settings.ResetToDefaults(backends->Geometry());
        settings.speechAlerts = 0;
    }

    CGlimtapView& View() {
        if (!view) view = std::make_unique<CGlimtapView>(settings, profile, host, *backends, launcher);
        return *view;
    }

    // The new document's folder, made ahead of the form.
    std::filesystem::path DefaultFolder() const {
        const std::filesystem::path folder = home / "data" / "Glimtap" / "Untitled";
        std::filesystem::create_directories(folder);
        return folder;
    }

    std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    TempDir home;
    Profile profile{QString::fromStdString((home / "profile.ini").string())};
    SearchSettings settings;
    FakeHost host;
    RecordingLauncher launcher;
    std::unique_ptr<CGlimtapView> view;
};

}  // namespace glimtap::test
