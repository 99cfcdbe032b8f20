#pragma once

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "engine/search_events.h"
#include "engine/search_settings.h"
#include "platform/backend_set.h"
#include "platform/launcher.h"
#include "reaction/match_input_thread.h"
#include "response/marker_surface.h"
#include "reaction/match_responder.h"
#include "response/screen_markers.h"
#include "response/speech_alert.h"
#include "ui/consent_watcher.h"
#include "ui/glimtap_form.h"
#include "ui/hot_key_watcher.h"
#include "ui/profile.h"
#include "ui/search_control.h"
#include "ui/search_request.h"
#include "ui/view_host.h"

namespace glimtap {

// The main form: every setting as a control, the template list, the search button with its
// counters and progress, the global hot key, and the form's commands.
class CGlimtapView : public QWidget {
    Q_OBJECT

public:
    // `host` is the window and document around the form; all references must outlive it.
    // Without a screen to capture, the search and the screen tools are off. Where the desktop
    // asks its user first, they ask when used and go on once allowed.
    CGlimtapView(SearchSettings& settings, Profile& profile, ViewHost& host,
                 platform::BackendSet& backends, platform::Launcher& launcher,
                 QWidget* parent = nullptr);
    ~CGlimtapView() override;

    const GlimtapForm& Form() const { return form_; }
    // "F6" to "F12", or "" when no key could be had.
    const QString& HotKey() const { return hotKey_; }
    const SearchControl& Search() const { return *search_; }

    // After every New and Open: shows the settings, grabs the hot key, settles the target
    // folder (the document's own when it names a folder, else its default one) and lists
    // its images.
    void OnInitialUpdate();
    // true: controls into the settings, false when a value is refused (after telling the
    // user and putting the focus on it); false: settings into the controls.
    bool UpdateData(bool saveAndValidate);
    void ShowSearchArea();
    // The document is modified while the form's values (and the search area and target
    // folder) differ from those last shown after New or Open, or last saved.
    bool IsModified() const;
    void MarkSaved();

    void OnSelectImage();
    void OnSelectScreenArea();
    void OnPreviewScreenArea();
    // True when the file was written.
    bool OnSave();
    bool OnSaveAs();
    void OnStartStopSearch();
    // Carries out `request` one event-loop turn later, as a click on the button would;
    // without a screen to search, the status bar says why instead.
    void OnSearchRequest(SearchRequest request);
    void OnSelectTargetFolder();
    void OnExploreTargetFolder();
    void OnRefreshFileNames();
    void OnViewSelectedImage();
    void OnRenameImage();
    void OnTestExecute();
    void OnBeepForSearch();
    void OnMinimize();
    void OnExit();
    void OnShowOverlay(const MatchReport& match);
    // Marks where the template last tried without a match came closest.
    void OnShowClosestMatch();
    // `glimtap --toggle`, `--start` and `--stop` cannot reach this window: the form stops
    // telling the user to bind them.
    void OnCommandsUnreachable();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What waits for the desktop's consent.
    enum class ScreenTask { kSearch, kSnip, kSelectArea };

    void BuildContextMenu();
    void ConnectControls();
    void SetUpColumns();
    void SettleTargetFolder();
    bool Save(bool saveAs);
    QStringList FormState() const;
    void UpdateModified();
    void OnMatchFound(const MatchReport& match);
    void OnClosestMiss(const std::optional<ClosestMiss>& miss);
    // Counts a file the run skipped and says how many in the status bar.
    void OnTemplateSkipped();
    // Selects the listed `file` and offers to rename it.
    void NameImage(const std::filesystem::path& file);
    void ClearClosestMessage();
    void ShowHotKey();
    // Whether the screen can be captured, or asked for.
    bool ScreenReachable() const;
    void EnableScreenTools();
    // True when `task` may use the screen now; else has the desktop ask its user, and
    // `task` goes on once consent is given.
    bool HasConsentFor(ScreenTask task);
    void OnConsentChanged();
    // A new document's area is the whole screen, which a desktop that asks first shows only
    // once allowed: the area is taken then, and the document stays unmodified unless it was.
    void TakeScreenAsArea();
    // Says `what` and `why` in the status bar; unless `always`, only when `why` was not the
    // last reason told.
    void TellWhy(const QString& what, const std::string& why, bool always);
    // Says once that beeps and spoken alerts cannot be heard, when one of them is on.
    void TellWhenSoundsAreOff();
    // Launches off the window's thread, which a launcher waiting for a helper would hold
    // up; `failed` gets the reason on the window's thread.
    void LaunchAside(std::u16string verb, std::filesystem::path file,
                     std::function<void(const QString&)> failed);
    // With `drivesInput`, the pointer and touch are opened first, once.
    MatchResponder& Responder(bool drivesInput);

    SearchSettings& settings_;
    Profile& profile_;
    ViewHost& host_;
    platform::BackendSet& backends_;
    platform::Launcher& launcher_;
    GlimtapForm form_;
    QMenu contextMenu_;
    QString hotKey_;
    HotKeyWatcher hotKeyWatcher_;
    ConsentWatcher consentWatcher_;
    std::optional<ScreenTask> waiting_;
    bool areaAwaitsScreen_ = false;
    // The last reason given for a screen lost or refused: the desktop may tell it again, the
    // status bar says it once.
    std::string toldWhy_;
    CSpeechAlert speech_;
    bool columnsSet_ = false;
    // None before the first document is shown.
    std::optional<QStringList> savedState_;
    // Where the window moves from while the form's background is dragged by hand.
    std::optional<QPoint> dragOffset_;
    std::unique_ptr<MarkerSurfaces> markerSurfaces_;
    ScreenMarkers markers_;
    // A match has asked for the pointer and taps: the responder drives them from then on.
    bool inputOpened_ = false;
    std::unique_ptr<MatchResponder> responder_;
    // Answers matches off the window's thread; goes before the responder it drives.
    std::unique_ptr<MatchInputThread> input_;
    // The last try that found nothing: where it came closest, if anywhere.
    std::optional<ClosestMiss> closest_;
    // Files the running search skipped, and since when the status bar says so.
    int skipped_ = 0;
    QElapsedTimer skipNoteShown_;
    QAction* showClosest_ = nullptr;
    // The status bar shows where the last try came closest.
    bool closestShown_ = false;
    bool soundsOffTold_ = false;
    bool commandsReachable_ = true;
    // Its worker reports into the members above, so it goes before them.
    std::unique_ptr<SearchControl> search_;
    // Goes first: launches still under way finish while everything they reach is there.
    QThreadPool launches_;
};

}  // namespace glimtap
