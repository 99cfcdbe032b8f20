#include "app/glimtap_app.h"

#include <QFileInfo>

#include "app/about_dlg.h"
#include "app/command_channel.h"
#include "app/command_server.h"
#include "app/main_frame.h"
#include "engine/data_file.h"
#include "qt_support/path_text.h"
#include "ui/message_box.h"

namespace glimtap {

CGlimtapApp::CGlimtapApp(AppServices services)
    : services_(services), recentFiles_(services.profile) {}

CGlimtapApp::~CGlimtapApp() = default;

bool CGlimtapApp::InitInstance(const std::optional<QString>& file) {
    mainFrame_ = std::make_unique<CMainFrame>(*this, settings_, services_.profile,
                                                services_.backends, services_.launcher);
    mainFrame_->UpdateRecentFileMenu(recentFiles_.Entries());
    if (file) {
        if (!OpenDocumentFile(*file)) return false;
    } else {
        OnFileNew();
    }
    mainFrame_->show();
    return true;
}

void CGlimtapApp::ListenForCommands() {
    try {
        commands_ = std::make_unique<CommandServer>(
            [this](SearchRequest request) { mainFrame_->View().OnSearchRequest(request); });
    } catch (const CommandChannelError& e) {
        // The window works without it; only `glimtap --toggle` cannot reach it.
        mainFrame_->OnCommandsUnreachable(
            QStringLiteral("--toggle, --start and --stop cannot reach this window: ") +
            QString::fromStdString(e.what()));
    }
}

void CGlimtapApp::OnFileNew() {
    if (!SaveModified()) return;
    document_.OnNewDocument(settings_, services_.backends.Geometry());
    DocumentChanged();
}

void CGlimtapApp::OnFileOpen() {
    if (!SaveModified()) return;
    const std::optional<QString> path = docManager_.DoPromptFileName(mainFrame_.get(), true, {});
    if (path) OpenDocumentFile(*path);
}

void CGlimtapApp::OnOpenRecentFile(int index) {
    if (index < 0 || index >= recentFiles_.Entries().size() || !SaveModified()) return;
    const QString path = recentFiles_.Entries()[index];
    if (!OpenDocumentFile(path)) {
        // A file that cannot be opened stays off the list.
        recentFiles_.Remove(index);
        mainFrame_->UpdateRecentFileMenu(recentFiles_.Entries());
    }
}

bool CGlimtapApp::SaveModified() {
    CGlimtapView& view = mainFrame_->View();
    if (!view.IsModified()) return true;
    QMessageBox box(QMessageBox::Warning, kAppName,
                    QStringLiteral("Save changes to %1?")
                        .arg(PathText(document_.GetTitle())),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    mainFrame_.get());
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save: return view.OnSave();
        case QMessageBox::Discard: return true;
        default: return false;
    }
}

void CGlimtapApp::OnAppAbout() {
    CAboutDlg about(mainFrame_.get());
    about.exec();
}

bool CGlimtapApp::OpenDocumentFile(const QString& path) {
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    try {
        document_.OnOpenDocument(TextPath(fullPath), settings_);
    } catch (const DataFileError& e) {
        ShowMessage(mainFrame_->isVisible() ? mainFrame_.get() : nullptr,
                    QMessageBox::Warning, QString::fromStdString(e.what()));
        return false;
    }
    recentFiles_.Add(fullPath);
    DocumentChanged();
    return true;
}

bool CGlimtapApp::SaveDocument(bool saveAs) {
    const std::filesystem::path& current = document_.GetPathName();
    const QFileInfo existing(PathText(current));
    QString path;
    if (!saveAs && !current.empty() && existing.isFile() && existing.isWritable()) {
        path = existing.absoluteFilePath();
    } else {
        const std::optional<QString> chosen = docManager_.DoPromptFileName(
            mainFrame_.get(), false, settings_.suggestedFileName);
        if (!chosen) return false;
        path = *chosen;
    }
    try {
        document_.OnSaveDocument(TextPath(path), settings_);
    } catch (const DataFileError& e) {
        ShowMessage(mainFrame_.get(), QMessageBox::Warning, QString::fromStdString(e.what()));
        return false;
    }
    recentFiles_.Add(path);
    mainFrame_->UpdateRecentFileMenu(recentFiles_.Entries());
    // Saving gives the document a name, not a new folder: no initial update.
    mainFrame_->UpdateTitle();
    return true;
}

void CGlimtapApp::DocumentChanged() {
    mainFrame_->UpdateTitle();
    mainFrame_->UpdateRecentFileMenu(recentFiles_.Entries());
    mainFrame_->View().OnInitialUpdate();
}

}  // namespace glimtap
