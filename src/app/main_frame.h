#pragma once

#include <QMainWindow>
#include <QStringList>

#include <string>

#include "engine/search_settings.h"
#include "platform/backend_set.h"
#include "platform/launcher.h"
#include "ui/glimtap_view.h"
#include "ui/profile.h"
#include "ui/view_host.h"

class QAction;
class QMenu;
class QScrollArea;

namespace glimtap {

class CGlimtapApp;
class LockIndicators;
class StatusLine;

// The main window: menus, status bar and, scrolling when the window is smaller, the form.
class CMainFrame : public QMainWindow, public ViewHost {
    Q_OBJECT

public:
    CMainFrame(CGlimtapApp& app, SearchSettings& settings, Profile& profile,
               platform::BackendSet& backends, platform::Launcher& launcher);
    ~CMainFrame() override;

    CGlimtapView& View() { return *view_; }
    // "<document title> - Glimtap", with a "*" after the title while it is modified.
    void UpdateTitle();
    // Shows the recent files between the File menu's separators, "Recent File" when none.
    void UpdateRecentFileMenu(const QStringList& paths);
    // Says `why` in the status bar between prompts, on stderr, and on the form.
    void OnCommandsUnreachable(const QString& why);

    std::filesystem::path DocumentTitle() const override;
    bool SaveDocument(bool saveAs) override;
    void SetModified(bool modified) override;
    void ResizeParentToFit() override;
    void ShowStatusMessage(const QString& text) override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateStatusBar();
    void OnHelp();
    // What the message pane reads between prompts: why the commands cannot reach the window,
    // else why the screen tools are off, if they are, as the backends tell now.
    QString IdleMessage() const;

    CGlimtapApp& app_;
    platform::BackendSet& backends_;
    QScrollArea* scroll_;
    CGlimtapView* view_;
    StatusLine* statusLine_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentEnd_ = nullptr;  // the separator after the recent files
    QList<QAction*> recentActions_;
    LockIndicators* lockIndicators_ = nullptr;
    QWidget* help_ = nullptr;
    QString commandsUnreachable_;
};

}  // namespace glimtap
