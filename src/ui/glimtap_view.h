#pragma once

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

#include "engine/search_events.h"
#include "engine/search_settings.h"
#include "platform/launcher.h"
#include "platform/pointer.h"
#include "platform/touch_injector.h"
#include "response/match_actions.h"
#include "response/speech_alert.h"
#include "ui/glimtap_form.h"
#include "ui/hot_key_watcher.h"
#include "ui/profile.h"
#include "ui/search_control.h"
#include "ui/view_host.h"

namespace glimtap {

// The main form: every setting as a control, the template list, the search button with its
// counters and progress, the global hot key, and the form's commands.
class CGlimtapView : public QWidget {
    Q_OBJECT

public:
    // `host` is the window and document around the form; all references must outlive it.
    CGlimtapView(SearchSettings& settings, Profile& profile, ViewHost& host,
                 platform::Launcher& launcher, QWidget* parent = nullptr);
    ~CGlimtapView() override;

    const GlimtapForm& Form() const { return m_oForm; }
    QMenu& ContextMenu() { return m_oContextMenu; }
    // "F6" to "F12", or "" when no key could be had.
    const QString& HotKey() const { return m_strHotKey; }
    const SearchControl& Search() const { return *m_pSearch; }

    // After every New and Open: shows the settings, grabs the hot key, settles the target
    // folder (the document's own when it names a folder, else its default one) and lists
    // its images.
    void OnInitialUpdate();
    // true: controls into the settings, false when a value is refused (after telling the
    // user and putting the focus on it); false: settings into the controls.
    bool UpdateData(bool saveAndValidate);
    void ShowSearchArea();

    void OnSelectImage();
    void OnSelectScreenArea();
    void OnPreviewScreenArea();
    void OnSave();
    void OnSaveAs();
    void OnStartStopSearch();
    // Toggles the search one event-loop turn later, as a click on the button would.
    void OnHotKey();
    void OnSelectTargetFolder();
    void OnExploreTargetFolder();
    void OnRefreshFileNames();
    void OnViewSelectedImage();
    void OnTestExecute();
    void OnBeepForSearch();
    void OnMinimize();
    void OnExit();
    void OnHelpInfo();
    void OnShowOverlay(const MatchReport& match);
    // Marks where the template last tried without a match came closest.
    void OnShowClosestMatch();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildContextMenu();
    void ConnectControls();
    void SetUpColumns();
    void SettleTargetFolder();
    void OnMatchFound(const MatchReport& match);
    void OnClosestMiss(const std::optional<ClosestMiss>& miss);
    MatchActions* Actions();

    SearchSettings& m_rSettings;
    Profile& m_rProfile;
    ViewHost& m_rHost;
    platform::Launcher& m_rLauncher;
    GlimtapForm m_oForm;
    QMenu m_oContextMenu;
    QString m_strHotKey;
    HotKeyWatcher m_oHotKey;
    CSpeechAlert m_oSpeech;
    bool m_bColumnsSet = false;
    // Where the window moves from while the form's background is dragged by hand.
    std::optional<QPoint> m_oDragOffset;
    // Opened at the first match that asks for them; none when the display has no XTest.
    std::unique_ptr<platform::Pointer> m_pPointer;
    std::unique_ptr<platform::TouchInjector> m_pTouch;
    std::unique_ptr<MatchActions> m_pActions;
    bool m_bActionsUnavailable = false;
    // The last try that found nothing: where it came closest, if anywhere.
    std::optional<ClosestMiss> closest_;
    QAction* showClosest_ = nullptr;
    // Last: its worker reports into the members above, so it goes first.
    std::unique_ptr<SearchControl> m_pSearch;
};

}  // namespace glimtap
