#include "ui/glimtap_view.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QWindow>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <system_error>
#include <utility>

#include "engine/area_on_screen.h"
#include "engine/target_folder.h"
#include "platform/user_folders.h"
#include "platform/utf16.h"
#include "qt_support/path_text.h"
#include "response/audio_output.h"
#include "response/marker_surfaces_for.h"
#include "response/search_beep.h"
#include "ui/data_exchange.h"
#include "ui/image_library.h"
#include "ui/message_box.h"
#include "ui/screen_area_selector.h"
#include "ui/screen_snip.h"
#include "ui/screen_still.h"
#include "ui/search_area.h"

namespace glimtap {
namespace {

// How long the note of files a run skips keeps its place in the status bar.
constexpr qint64 kSkipNoteMs = 5000;

// The default column widths are these shares of the list's width, out of 195.
constexpr int kColumnPercent[] = {30, 65, 40, 40};

SearchServices DesktopSearchServices(platform::BackendSet& backends) {
    return SearchServices{
        [&backends] { return backends.OpenCapture(); },
        [] { return std::make_unique<CSpeechAlert>(); },
    };
}

}  // namespace

CGlimtapView::CGlimtapView(SearchSettings& settings, Profile& profile, ViewHost& host,
                           platform::BackendSet& backends, platform::Launcher& launcher,
                           QWidget* parent)
    : QWidget(parent), settings_(settings), profile_(profile), host_(host), backends_(backends),
      launcher_(launcher), form_(BuildGlimtapForm(*this)), hotKeyWatcher_(backends.HotKey()),
      consentWatcher_(backends), markerSurfaces_(MarkerSurfacesFor(backends)),
      markers_(markerSurfaces_.get()) {
    SearchReactions reactions{
        [this](const MatchReport& match) { OnMatchFound(match); },
        [this](const MatchReport& match) { OnShowOverlay(match); },
        [] { PlaySearchBeep(); },
        [this](const std::string&, const std::optional<ClosestMiss>& miss) { OnClosestMiss(miss); },
        [this](const std::string&, const std::string&) { OnTemplateSkipped(); },
        [this](const std::string& why) { TellWhy(QStringLiteral("Search stopped: "), why, true); },
    };
    search_ = std::make_unique<SearchControl>(
        settings_, SearchDisplay{*form_.startStop, *form_.counterText, *form_.progress},
        speech_, DesktopSearchServices(backends), std::move(reactions));
    BuildContextMenu();
    ConnectControls();
    EnableScreenTools();
}

CGlimtapView::~CGlimtapView() = default;

void CGlimtapView::BuildContextMenu() {
    contextMenu_.addAction("Select Image...", this, &CGlimtapView::OnSelectImage);
    contextMenu_.addSeparator();
    contextMenu_.addAction("Select Screen Area...", this, &CGlimtapView::OnSelectScreenArea);
    contextMenu_.addAction("Preview Screen Area...", this, &CGlimtapView::OnPreviewScreenArea);
    contextMenu_.addSeparator();
    contextMenu_.addAction("Explore Target Folder...", this, &CGlimtapView::OnExploreTargetFolder);
    contextMenu_.addSeparator();
    contextMenu_.addAction("Refresh File Names", this, &CGlimtapView::OnRefreshFileNames);
    contextMenu_.addSeparator();
    contextMenu_.addAction("View Selected Image...", this, &CGlimtapView::OnViewSelectedImage);
    // F2 renames while the list has the focus.
    QAction* rename = contextMenu_.addAction("Rename...", this, &CGlimtapView::OnRenameImage);
    rename->setShortcut(Qt::Key_F2);
    rename->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    form_.fileList->addAction(rename);
    showClosest_ = contextMenu_.addAction("Show Closest Match", this, &CGlimtapView::OnShowClosestMatch);
    showClosest_->setEnabled(false);
    contextMenu_.addSeparator();
    contextMenu_.addAction("Minimize", this, &CGlimtapView::OnMinimize);
    contextMenu_.addSeparator();
    contextMenu_.addAction("Exit", this, &CGlimtapView::OnExit);
}

void CGlimtapView::ConnectControls() {
    connect(form_.selectImage, &QPushButton::clicked, this, &CGlimtapView::OnSelectImage);
    connect(form_.selectScreenArea, &QPushButton::clicked, this, &CGlimtapView::OnSelectScreenArea);
    connect(form_.previewScreenArea, &QPushButton::clicked, this, &CGlimtapView::OnPreviewScreenArea);
    connect(form_.startStop, &QPushButton::clicked, this, &CGlimtapView::OnStartStopSearch);
    connect(form_.exploreImages, &QPushButton::clicked, this, &CGlimtapView::OnExploreTargetFolder);
    connect(form_.test, &QPushButton::clicked, this, &CGlimtapView::OnTestExecute);
    connect(form_.beepForSearch, &QCheckBox::clicked, this, &CGlimtapView::OnBeepForSearch);
    connect(form_.speechAlerts, &QCheckBox::clicked, this, &CGlimtapView::TellWhenSoundsAreOff);
    connect(&hotKeyWatcher_, &HotKeyWatcher::pressed, this,
            [this] { OnSearchRequest(SearchRequest::kToggle); });
    connect(&consentWatcher_, &ConsentWatcher::changed, this, &CGlimtapView::OnConsentChanged);
    connect(&hotKeyWatcher_, &HotKeyWatcher::bound, this, [this](const QString& key) {
        hotKey_ = key;
        ShowHotKey();
    });
    form_.fileList->viewport()->installEventFilter(this);
    // Any change of a value the document keeps may make it modified, or no longer so.
    for (QCheckBox* box : findChildren<QCheckBox*>()) {
        connect(box, &QCheckBox::toggled, this, &CGlimtapView::UpdateModified);
    }
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        connect(edit, &QLineEdit::textChanged, this, &CGlimtapView::UpdateModified);
    }
}

void CGlimtapView::OnInitialUpdate() {
    // The Save dialog offers a name only once one of the form's Save commands gave it.
    settings_.suggestedFileName.clear();
    UpdateData(false);
    hotKey_ = hotKeyWatcher_.Grab();
    ShowHotKey();
    host_.ResizeParentToFit();
    if (!columnsSet_) {
        SetUpColumns();
        columnsSet_ = true;
    }
    SettleTargetFolder();
    OnRefreshFileNames();
    const platform::ScreenRect screen = backends_.Geometry().VirtualScreen();
    areaAwaitsScreen_ = (screen.width < 1 || screen.height < 1) && settings_.Area() == screen;
    ShowSearchArea();
    form_.counterText->setText(QStringLiteral("Counter"));
    MarkSaved();
}

void CGlimtapView::ShowHotKey() {
    if (!hotKeyWatcher_.Available() && !commandsReachable_) {
        form_.hotKeyText->setText(
            QStringLiteral("No hot key: `glimtap --toggle` reaches another Glimtap window"));
    } else if (!hotKeyWatcher_.Available()) {
        form_.hotKeyText->setText(QStringLiteral(
            "Hot key: set one in your desktop's keyboard settings to run `glimtap --toggle`"));
    } else if (hotKeyWatcher_.Pending()) {
        form_.hotKeyText->setText(QStringLiteral("Start/Stop hot key: the desktop is binding it"));
    } else if (hotKey_.isEmpty() && hotKeyWatcher_.DesktopDecides()) {
        form_.hotKeyText->setText(QStringLiteral(
            "No Start/Stop hot key: give \"Start/Stop search\" a key in your desktop's settings"));
    } else if (hotKey_.isEmpty()) {
        form_.hotKeyText->setText(QStringLiteral("No Start/Stop hot key: F6 to F12 are taken"));
    } else {
        form_.hotKeyText->setText(QStringLiteral("Start/Stop hot key: ") + hotKey_);
    }
}

bool CGlimtapView::ScreenReachable() const {
    const platform::Consent consent = backends_.ScreenConsent();
    // A refusal or a revocation is asked again at the next use.
    return backends_.CanCapture() ||
           (consent != platform::Consent::kNotNeeded && consent != platform::Consent::kGiven);
}

void CGlimtapView::EnableScreenTools() {
    const bool reachable = ScreenReachable();
    const std::initializer_list<QWidget*> screenTools = {
        form_.startStop, form_.selectScreenArea, form_.previewScreenArea, form_.selectImage};
    for (QWidget* tool : screenTools) tool->setEnabled(reachable);
}

bool CGlimtapView::HasConsentFor(ScreenTask task) {
    const platform::Consent consent = backends_.ScreenConsent();
    if (consent == platform::Consent::kNotNeeded || consent == platform::Consent::kGiven) return true;
    waiting_ = task;
    host_.ShowStatusMessage(
        QStringLiteral("The desktop will ask whether Glimtap may see the screen and move the "
                       "pointer; ") +
        (task == ScreenTask::kSearch ? QStringLiteral("the search starts once you allow it")
                                     : QStringLiteral("the area selector opens once you allow it")));
    // The desktop asks for the pointer too only when matches are to drive it.
    backends_.WantInput(form_.cursorToMatch->isChecked() || form_.touchAtMatch->isChecked());
    backends_.AskConsent();
    return false;
}

void CGlimtapView::OnConsentChanged() {
    EnableScreenTools();
    const platform::Consent consent = backends_.ScreenConsent();
    if (consent == platform::Consent::kAsking) return;
    const std::optional<ScreenTask> task = std::exchange(waiting_, std::nullopt);
    if (consent == platform::Consent::kGiven) {
        toldWhy_.clear();
        host_.ShowStatusMessage({});
        TakeScreenAsArea();
        if (task == ScreenTask::kSearch && !search_->IsRunning()) OnStartStopSearch();
        if (task == ScreenTask::kSnip) OnSelectImage();
        if (task == ScreenTask::kSelectArea) OnSelectScreenArea();
        return;
    }
    // A running search says why when it ends.
    if (!task && search_->IsRunning()) return;
    TellWhy(QStringLiteral("No screen available: "), backends_.Missing(), task.has_value());
}

void CGlimtapView::TakeScreenAsArea() {
    if (!areaAwaitsScreen_) return;
    areaAwaitsScreen_ = false;
    const bool modified = IsModified();
    ApplySelectedArea(backends_.Geometry().VirtualScreen(), settings_);
    ShowSearchArea();
    if (!modified) MarkSaved();
}

void CGlimtapView::TellWhy(const QString& what, const std::string& why, bool always) {
    if (why.empty() || (!always && why == toldWhy_)) return;
    toldWhy_ = why;
    host_.ShowStatusMessage(what + QString::fromStdString(why));
}

void CGlimtapView::OnCommandsUnreachable() {
    commandsReachable_ = false;
    ShowHotKey();
}

QStringList CGlimtapView::FormState() const {
    QStringList state;
    for (const QCheckBox* box : findChildren<QCheckBox*>()) state.append(box->isChecked() ? "1" : "0");
    for (const QLineEdit* edit : findChildren<QLineEdit*>()) state.append(edit->text());
    state.append(SearchAreaText(settings_));
    // Its bytes one by one: two names that show alike still differ.
    state.append(QString::fromLatin1(settings_.targetFolder.c_str()));
    return state;
}

void CGlimtapView::MarkSaved() {
    savedState_ = FormState();
    UpdateModified();
}

bool CGlimtapView::IsModified() const { return savedState_ && *savedState_ != FormState(); }

void CGlimtapView::UpdateModified() { host_.SetModified(IsModified()); }

void CGlimtapView::SetUpColumns() {
    // The list's width at the form's own size decides the default widths.
    resize(size().expandedTo(sizeHint()));
    layout()->activate();
    const int listWidth = form_.fileList->width();
    for (int column = 0; column < 4; ++column) {
        const int defaultWidth = listWidth * kColumnPercent[column] / 195;
        form_.fileList->setColumnWidth(
            column, profile_.GetProfileInt("Settings", QStringLiteral("Column%1").arg(column),
                                             defaultWidth));
    }
}

void CGlimtapView::SettleTargetFolder() {
    std::error_code error;
    const std::filesystem::path& stored = settings_.targetFolder;
    if (stored.empty() || !std::filesystem::is_directory(stored, error)) {
        settings_.targetFolder =
            DefaultTargetFolder(platform::LocalDataFolder(), host_.DocumentTitle());
    }
    EnsureFolderExists(settings_.targetFolder);
}

bool CGlimtapView::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        ShowSettings(form_, settings_);
        return true;
    }
    const std::optional<ExchangeFailure> failure = TakeSettings(form_, settings_);
    if (!failure) return true;
    ShowMessage(this, QMessageBox::Warning, failure->prompt);
    failure->control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(failure->control)) edit->selectAll();
    return false;
}

void CGlimtapView::ShowSearchArea() { form_.areaText->setText(SearchAreaText(settings_)); }

void CGlimtapView::OnSelectScreenArea() {
    if (!HasConsentFor(ScreenTask::kSelectArea)) return;
    const ScreenStill still = ScreenStill::Take(backends_);
    if (!ApplySelectedArea(SelectScreenArea(this, profile_, still, backends_), settings_)) {
        return;
    }
    ShowSearchArea();
    UpdateModified();
}

void CGlimtapView::OnSelectImage() {
    if (!HasConsentFor(ScreenTask::kSnip)) return;
    const std::optional<SnipAttempt> attempt =
        SnipNewTemplate(this, profile_, settings_.targetFolder, backends_);
    if (!attempt) return;
    if (!attempt->file) host_.ShowStatusMessage(QStringLiteral("The new image could not be saved."));
    OnRefreshFileNames();
    if (attempt->file) NameImage(*attempt->file);
}

void CGlimtapView::OnPreviewScreenArea() {
    markers_.Show(settings_.Area(), MarkerKind::kArea, MatchMarkers::kSeconds);
}

bool CGlimtapView::OnSave() { return Save(false); }

bool CGlimtapView::OnSaveAs() { return Save(true); }

bool CGlimtapView::Save(bool saveAs) {
    // A refused value is reported, and the file is still written.
    UpdateData(true);
    settings_.suggestedFileName = host_.DocumentTitle();
    if (!host_.SaveDocument(saveAs)) return false;
    MarkSaved();
    return true;
}

void CGlimtapView::OnStartStopSearch() {
    if (search_->IsRunning()) {
        search_->Stop();
        return;
    }
    if (!UpdateData(true)) return;
    if (form_.fileList->rowCount() == 0) {
        ShowMessage(this, QMessageBox::Information, QStringLiteral("No Image(s) Configured Yet."));
        return;
    }
    // Where the desktop asks, the screen's layout is known once it allows the capture.
    if (!HasConsentFor(ScreenTask::kSearch)) return;
    // Without a screen to capture there is nothing for the area to lie on, and nothing is found.
    const auto offScreen = backends_.CanCapture()
                               ? AreaOffScreen(settings_.Area(), backends_.Geometry().VirtualScreen())
                               : std::nullopt;
    if (offScreen) {
        host_.ShowStatusMessage(QStringLiteral("Not started: ") + QString::fromStdString(*offScreen));
        return;
    }
    skipped_ = 0;
    skipNoteShown_.invalidate();
    ClearClosestMessage();
    TellWhenSoundsAreOff();
    if (!search_->Start()) {
        ShowMessage(this, QMessageBox::NoIcon,
                    QStringLiteral("Failed to initiate background worker thread."));
    }
}

void CGlimtapView::OnSearchRequest(SearchRequest request) {
    if (!ScreenReachable()) {
        host_.ShowStatusMessage(QStringLiteral("No screen to search: ") +
                                QString::fromStdString(backends_.Missing()));
        return;
    }
    // Whether the search runs is decided when the request is carried out, so two quick
    // starts leave it running.
    QMetaObject::invokeMethod(
        this,
        [this, request] {
            const bool wanted = request == SearchRequest::kStart;
            if (request == SearchRequest::kToggle || wanted != search_->IsRunning()) {
                OnStartStopSearch();
            }
        },
        Qt::QueuedConnection);
}

void CGlimtapView::OnSelectTargetFolder() {
    if (!PickTargetFolder(this, settings_).empty()) OnRefreshFileNames();
    UpdateModified();
}

void CGlimtapView::LaunchAside(std::u16string verb, std::filesystem::path file,
                               std::function<void(const QString&)> failed) {
    launches_.start([this, verb = std::move(verb), file = std::move(file),
                     failed = std::move(failed)] {
        std::string error;
        if (launcher_.Launch(verb, file, &error)) return;
        QMetaObject::invokeMethod(
            this, [failed, why = QString::fromStdString(error)] { failed(why); },
            Qt::QueuedConnection);
    });
}

void CGlimtapView::OnExploreTargetFolder() {
    LaunchAside(u"", settings_.targetFolder, [this](const QString& why) {
        host_.ShowStatusMessage(QStringLiteral("The target folder could not be opened: ") + why);
    });
}

void CGlimtapView::OnRefreshFileNames() {
    QString error;
    RefreshImageList(*form_.fileList, settings_.targetFolder, &error);
    if (!error.isEmpty()) host_.ShowStatusMessage(error);
}

void CGlimtapView::OnViewSelectedImage() { ViewSelectedImage(this, *form_.fileList, launcher_); }

void CGlimtapView::OnRenameImage() {
    if (const auto file = SelectedImage(this, *form_.fileList)) NameImage(*file);
}

void CGlimtapView::NameImage(const std::filesystem::path& file) {
    SelectImage(*form_.fileList, file);
    const std::optional<std::filesystem::path> renamed = RenameImage(this, file);
    if (!renamed) return;
    OnRefreshFileNames();
    SelectImage(*form_.fileList, *renamed);
}

void CGlimtapView::OnTestExecute() {
    // What is typed counts, saved or not, ticked or not. The user asked to see it work,
    // so a failure is told in a message of its own.
    LaunchAside(form_.executeVerb->text().toStdU16String(),
                ToPath(form_.executeFile->text().toStdU16String()), [this](const QString& why) {
                    ShowMessage(this, QMessageBox::Warning,
                                QStringLiteral("The command could not be run: ") + why);
                });
}

void CGlimtapView::OnBeepForSearch() {
    if (form_.beepForSearch->isChecked()) PlaySearchBeep();
    TellWhenSoundsAreOff();
}

void CGlimtapView::TellWhenSoundsAreOff() {
    if (soundsOffTold_ || (!form_.beepForSearch->isChecked() && !form_.speechAlerts->isChecked())) {
        return;
    }
    if (!NoAudioOutput()) return;
    soundsOffTold_ = true;
    host_.ShowStatusMessage(QString::fromLatin1(kNoAudioOutputText));
}

void CGlimtapView::OnMinimize() { window()->showMinimized(); }

void CGlimtapView::OnExit() {
    // The window's own close path, after the menu that chose Exit has gone.
    QMetaObject::invokeMethod(window(), &QWidget::close, Qt::QueuedConnection);
}

void CGlimtapView::OnShowOverlay(const MatchReport& match) {
    Responder(false).OnShowOverlay(match);
}

void CGlimtapView::OnClosestMiss(const std::optional<ClosestMiss>& miss) {
    closest_ = miss;
    showClosest_->setEnabled(miss.has_value());
    // The count of skipped files stays readable for a while after Start.
    if (!miss || (skipNoteShown_.isValid() && !skipNoteShown_.hasExpired(kSkipNoteMs))) return;
    closestShown_ = true;
    host_.ShowStatusMessage(QStringLiteral("Closest: %1, %2 \u2014 needs tolerance %3")
                                  .arg(miss->location.x)
                                  .arg(miss->location.y)
                                  .arg(miss->tolerance));
}

void CGlimtapView::OnTemplateSkipped() {
    ++skipped_;
    skipNoteShown_.start();
    host_.ShowStatusMessage(
        skipped_ == 1
            ? QStringLiteral("1 image in the target folder was skipped: it cannot be read (the list says why).")
            : QStringLiteral("%1 images in the target folder were skipped: they cannot be read (the list says why).")
                  .arg(skipped_));
}

void CGlimtapView::OnShowClosestMatch() {
    if (!closest_) return;
    markers_.Show({closest_->location.x, closest_->location.y, closest_->width, closest_->height},
                  MarkerKind::kClosestMiss, MatchMarkers::kSeconds);
}

void CGlimtapView::ClearClosestMessage() {
    if (!closestShown_) return;
    closestShown_ = false;
    host_.ShowStatusMessage({});
}

void CGlimtapView::OnMatchFound(const MatchReport& match) {
    ClearClosestMessage();
    const bool drivesInput = settings_.moveCursorToMatch != 0 || settings_.touchAtMatch != 0;
    if (!drivesInput && settings_.executeEnabled == 0) return;
    Responder(drivesInput);
    input_->Post(match, settings_);
}

MatchResponder& CGlimtapView::Responder(bool drivesInput) {
    if (drivesInput && !inputOpened_) {
        // The touch device is made only now: a desktop takes a moment to take one up.
        inputOpened_ = true;
        input_.reset();
        responder_.reset();
    }
    if (responder_ == nullptr) {
        // Without them the desktop cannot be driven; matches are still counted and marked.
        responder_ = std::make_unique<MatchResponder>(
            inputOpened_ ? backends_.MousePointer() : nullptr,
            inputOpened_ ? backends_.Touch() : nullptr, launcher_, &markers_);
        input_ = std::make_unique<MatchInputThread>(*responder_);
    }
    return *responder_;
}

void CGlimtapView::contextMenuEvent(QContextMenuEvent* event) {
    contextMenu_.exec(event->globalPos());
}

void CGlimtapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // Dragging the form drags the window: by the window manager when it offers that,
    // else by following the pointer.
    QWindow* handle = window()->windowHandle();
    if (handle != nullptr && handle->startSystemMove()) return;
    dragOffset_ = event->globalPosition().toPoint() - window()->pos();
}

void CGlimtapView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragOffset_ || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    window()->move(event->globalPosition().toPoint() - *dragOffset_);
}

void CGlimtapView::mouseReleaseEvent(QMouseEvent* event) {
    dragOffset_.reset();
    QWidget::mouseReleaseEvent(event);
}

bool CGlimtapView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_.fileList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        OnViewSelectedImage();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace glimtap
