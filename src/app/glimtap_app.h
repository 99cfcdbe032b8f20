#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

#include "app/custom_doc_manager.h"
#include "app/glimtap_doc.h"
#include "app/recent_file_list.h"
#include "engine/search_settings.h"
#include "platform/backend_set.h"
#include "platform/launcher.h"
#include "ui/profile.h"

namespace glimtap {

class CMainFrame;
class CommandServer;

// What the application is given from outside; all must outlive it.
struct AppServices {
    Profile& profile;
    platform::BackendSet& backends;
    // The backends' own, or a stand-in.
    platform::Launcher& launcher;
};

// The application: owns the settings block, the document and the main window, and carries
// out the document commands.
class CGlimtapApp : public QObject {
    Q_OBJECT

public:
    explicit CGlimtapApp(AppServices services);
    ~CGlimtapApp() override;

    // Creates the main window with a new document, or with `file` opened, and shows it.
    // False, after telling the user, when `file` cannot be opened.
    bool InitInstance(const std::optional<QString>& file);
    // Takes `glimtap --toggle`, `--start` and `--stop` from now on. When another window
    // already takes them, or the channel cannot be opened, the window says so.
    void ListenForCommands();

    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    void OnAppAbout();
    // Asks "Save changes to NAME?" when the document is modified. True when the command
    // that asked may go on: nothing to save, saved, or discarded.
    bool SaveModified();
    // Reads `path` as the document; a file that cannot be read is reported and changes
    // nothing. True when it was opened.
    bool OpenDocumentFile(const QString& path);
    // Writes the document to its own file, or to one the user picks when it has none
    // (or saveAs). A failure is reported. True when written.
    bool SaveDocument(bool saveAs);

    SearchSettings& Settings() { return settings_; }
    const CGlimtapDoc& Document() const { return document_; }
    CMainFrame& MainFrame() { return *mainFrame_; }

private:
    void DocumentChanged();

    AppServices services_;
    SearchSettings settings_;
    CGlimtapDoc document_;
    CCustomDocManager docManager_;
    RecentFileList recentFiles_;
    std::unique_ptr<CMainFrame> mainFrame_;
    // Goes before the window it hands requests to.
    std::unique_ptr<CommandServer> commands_;
};

}  // namespace glimtap
