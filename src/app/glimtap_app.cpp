#include "app/glimtap_app.h"

#include <QFileInfo>

#include "app/about_dlg.h"
#include "app/main_frame.h"
#include "engine/data_file.h"
#include "engine/utf16.h"
#include "ui/message_box.h"

namespace glimtap {

CGlimtapApp::CGlimtapApp(AppServices services)
    : m_oServices(services), m_oRecentFiles(services.profile) {}

CGlimtapApp::~CGlimtapApp() = default;

bool CGlimtapApp::InitInstance(const std::optional<QString>& file) {
    m_pMainFrame = std::make_unique<CMainFrame>(*this, m_oSettings, m_oServices.profile,
                                                m_oServices.backends, m_oServices.launcher);
    m_pMainFrame->UpdateRecentFileMenu(m_oRecentFiles.Entries());
    if (file) {
        if (!OpenDocumentFile(*file)) return false;
    } else {
        OnFileNew();
    }
    m_pMainFrame->show();
    return true;
}

void CGlimtapApp::OnFileNew() {
    m_oDocument.OnNewDocument(m_oSettings, m_oServices.backends.Geometry());
    DocumentChanged();
}

void CGlimtapApp::OnFileOpen() {
    const std::optional<QString> path = m_oDocManager.DoPromptFileName(m_pMainFrame.get(), true, {});
    if (path) OpenDocumentFile(*path);
}

void CGlimtapApp::OnOpenRecentFile(int index) {
    if (index < 0 || index >= m_oRecentFiles.Entries().size()) return;
    const QString path = m_oRecentFiles.Entries()[index];
    if (!OpenDocumentFile(path)) {
        // A file that cannot be opened stays off the list.
        m_oRecentFiles.Remove(index);
        m_pMainFrame->UpdateRecentFileMenu(m_oRecentFiles.Entries());
    }
}

void CGlimtapApp::OnAppAbout() {
    CAboutDlg about(m_pMainFrame.get());
    about.exec();
}

bool CGlimtapApp::OpenDocumentFile(const QString& path) {
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    try {
        m_oDocument.OnOpenDocument(ToPath(fullPath.toStdU16String()), m_oSettings);
    } catch (const DataFileError& e) {
        ShowMessage(m_pMainFrame->isVisible() ? m_pMainFrame.get() : nullptr,
                    QMessageBox::Warning, QString::fromStdString(e.what()));
        return false;
    }
    m_oRecentFiles.Add(fullPath);
    DocumentChanged();
    return true;
}

bool CGlimtapApp::SaveDocument(bool saveAs) {
    const std::filesystem::path& current = m_oDocument.GetPathName();
    const QFileInfo existing(QString::fromStdU16String(FromPath(current)));
    QString path;
    if (!saveAs && !current.empty() && existing.isFile() && existing.isWritable()) {
        path = existing.absoluteFilePath();
    } else {
        const std::optional<QString> chosen = m_oDocManager.DoPromptFileName(
            m_pMainFrame.get(), false, m_oSettings.suggestedFileName);
        if (!chosen) return false;
        path = *chosen;
    }
    try {
        m_oDocument.OnSaveDocument(ToPath(path.toStdU16String()), m_oSettings);
    } catch (const DataFileError& e) {
        ShowMessage(m_pMainFrame.get(), QMessageBox::Warning, QString::fromStdString(e.what()));
        return false;
    }
    m_oRecentFiles.Add(path);
    m_pMainFrame->UpdateRecentFileMenu(m_oRecentFiles.Entries());
    // Saving gives the document a name, not a new folder: no initial update.
    m_pMainFrame->UpdateTitle();
    return true;
}

void CGlimtapApp::DocumentChanged() {
    m_pMainFrame->UpdateTitle();
    m_pMainFrame->UpdateRecentFileMenu(m_oRecentFiles.Entries());
    m_pMainFrame->View().OnInitialUpdate();
}

}  // namespace glimtap
