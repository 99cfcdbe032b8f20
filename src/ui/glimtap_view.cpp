#include "ui/glimtap_view.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QWindow>

#include <filesystem>
#include <system_error>

#include "engine/target_folder.h"
#include "engine/utf16.h"
#include "platform/backends.h"
#include "platform/user_folders.h"
#include "response/screen_overlay.h"
#include "response/search_beep.h"
#include "ui/data_exchange.h"
#include "ui/image_library.h"
#include "ui/message_box.h"
#include "ui/screen_area_selector.h"
#include "ui/screen_snip.h"
#include "ui/search_area.h"

namespace glimtap {
namespace {

// The product's web page, opened by F1.
constexpr char16_t kHelpPage[] = u"https://glimtap.example/help";

// How long a marker stays on screen.
constexpr int kMarkerSeconds = 3;

// The default column widths are these shares of the list's width, out of 195.
constexpr int kColumnPercent[] = {30, 65, 40, 40};

SearchServices DesktopSearchServices() {
    return SearchServices{
        []() -> std::unique_ptr<platform::ScreenCapture> {
            try {
                return platform::OpenScreenCapture();
            } catch (const platform::Unavailable&) {
                return nullptr;
            }
        },
        [] { return std::make_unique<CSpeechAlert>(); },
    };
}

}  // namespace

CGlimtapView::CGlimtapView(SearchSettings& settings, Profile& profile, ViewHost& host,
                           platform::Launcher& launcher, QWidget* parent)
    : QWidget(parent), m_rSettings(settings), m_rProfile(profile), m_rHost(host),
      m_rLauncher(launcher), m_oForm(BuildGlimtapForm(*this)) {
    SearchReactions reactions{
        [this](const MatchReport& match) { OnMatchFound(match); },
        [this](const MatchReport& match) { OnShowOverlay(match); },
        [] { PlaySearchBeep(); },
        [this](const std::string&, const std::optional<ClosestMiss>& miss) { OnClosestMiss(miss); },
    };
    m_pSearch = std::make_unique<SearchControl>(
        m_rSettings, SearchDisplay{*m_oForm.startStop, *m_oForm.counterText, *m_oForm.progress},
        m_oSpeech, DesktopSearchServices(), std::move(reactions));
    BuildContextMenu();
    ConnectControls();
}

CGlimtapView::~CGlimtapView() = default;

void CGlimtapView::BuildContextMenu() {
    m_oContextMenu.addAction("Select Image...", this, &CGlimtapView::OnSelectImage);
    m_oContextMenu.addSeparator();
    m_oContextMenu.addAction("Select Screen Area...", this, &CGlimtapView::OnSelectScreenArea);
    m_oContextMenu.addAction("Preview Screen Area...", this, &CGlimtapView::OnPreviewScreenArea);
    m_oContextMenu.addSeparator();
    m_oContextMenu.addAction("Explore Target Folder...", this, &CGlimtapView::OnExploreTargetFolder);
    m_oContextMenu.addSeparator();
    m_oContextMenu.addAction("Refresh File Names", this, &CGlimtapView::OnRefreshFileNames);
    m_oContextMenu.addSeparator();
    m_oContextMenu.addAction("View Selected Image...", this, &CGlimtapView::OnViewSelectedImage);
    showClosest_ = m_oContextMenu.addAction("Show Closest Match", this, &CGlimtapView::OnShowClosestMatch);
    showClosest_->setEnabled(false);
    m_oContextMenu.addSeparator();
    m_oContextMenu.addAction("Minimize", this, &CGlimtapView::OnMinimize);
    m_oContextMenu.addSeparator();
    m_oContextMenu.addAction("Exit", this, &CGlimtapView::OnExit);
}

void CGlimtapView::ConnectControls() {
    connect(m_oForm.selectImage, &QPushButton::clicked, this, &CGlimtapView::OnSelectImage);
    connect(m_oForm.selectScreenArea, &QPushButton::clicked, this, &CGlimtapView::OnSelectScreenArea);
    connect(m_oForm.previewScreenArea, &QPushButton::clicked, this, &CGlimtapView::OnPreviewScreenArea);
    connect(m_oForm.startStop, &QPushButton::clicked, this, &CGlimtapView::OnStartStopSearch);
    connect(m_oForm.exploreImages, &QPushButton::clicked, this, &CGlimtapView::OnExploreTargetFolder);
    connect(m_oForm.test, &QPushButton::clicked, this, &CGlimtapView::OnTestExecute);
    connect(m_oForm.beepForSearch, &QCheckBox::clicked, this, &CGlimtapView::OnBeepForSearch);
    connect(&m_oHotKey, &HotKeyWatcher::pressed, this, &CGlimtapView::OnHotKey);
    m_oForm.fileList->viewport()->installEventFilter(this);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, &CGlimtapView::OnHelpInfo);
}

void CGlimtapView::OnInitialUpdate() {
    // The Save dialog offers a name only once one of the form's Save commands gave it.
    m_rSettings.suggestedFileName.clear();
    UpdateData(false);
    m_strHotKey = m_oHotKey.Grab();
    m_oForm.hotKeyText->setText(m_strHotKey);
    m_rHost.ResizeParentToFit();
    if (!m_bColumnsSet) {
        SetUpColumns();
        m_bColumnsSet = true;
    }
    SettleTargetFolder();
    OnRefreshFileNames();
    ShowSearchArea();
    m_oForm.counterText->setText(QStringLiteral("Counter"));
}

void CGlimtapView::SetUpColumns() {
    // The list's width at the form's own size decides the default widths.
    resize(size().expandedTo(sizeHint()));
    layout()->activate();
    const int listWidth = m_oForm.fileList->width();
    for (int column = 0; column < 4; ++column) {
        const int defaultWidth = listWidth * kColumnPercent[column] / 195;
        m_oForm.fileList->setColumnWidth(
            column, m_rProfile.GetProfileInt("Settings", QStringLiteral("Column%1").arg(column),
                                             defaultWidth));
    }
}

void CGlimtapView::SettleTargetFolder() {
    std::error_code error;
    const std::u16string& stored = m_rSettings.targetFolder;
    if (stored.empty() || !std::filesystem::is_directory(ToPath(stored), error)) {
        m_rSettings.targetFolder =
            DefaultTargetFolder(platform::LocalDataFolder(), m_rHost.DocumentTitle());
    }
    EnsureFolderExists(ToPath(m_rSettings.targetFolder));
}

bool CGlimtapView::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        ShowSettings(m_oForm, m_rSettings);
        return true;
    }
    const std::optional<ExchangeFailure> failure = TakeSettings(m_oForm, m_rSettings);
    if (!failure) return true;
    ShowMessage(this, QMessageBox::Warning, failure->prompt);
    failure->control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(failure->control)) edit->selectAll();
    return false;
}

void CGlimtapView::ShowSearchArea() { m_oForm.areaText->setText(SearchAreaText(m_rSettings)); }

void CGlimtapView::OnSelectScreenArea() {
    if (ApplySelectedArea(SelectScreenArea(this, m_rProfile), m_rSettings)) ShowSearchArea();
}

void CGlimtapView::OnSelectImage() {
    const std::optional<SnipAttempt> attempt = SnipNewTemplate(this, m_rProfile, m_rSettings.targetFolder);
    if (!attempt) return;
    if (!attempt->file) m_rHost.ShowStatusMessage(QStringLiteral("The new image could not be saved."));
    OnRefreshFileNames();
}

void CGlimtapView::OnPreviewScreenArea() {
    StartScreenOverlay({m_rSettings.areaLeft, m_rSettings.areaTop, m_rSettings.areaWidth,
                        m_rSettings.areaHeight},
                       kMarkerSeconds);
}

void CGlimtapView::OnSave() {
    // A refused value is reported, and the file is still written.
    UpdateData(true);
    m_rSettings.suggestedFileName = m_rHost.DocumentTitle();
    m_rHost.SaveDocument(false);
}

void CGlimtapView::OnSaveAs() {
    UpdateData(true);
    m_rSettings.suggestedFileName = m_rHost.DocumentTitle();
    m_rHost.SaveDocument(true);
}

void CGlimtapView::OnStartStopSearch() {
    if (m_pSearch->IsRunning()) {
        m_pSearch->Stop();
        return;
    }
    if (!UpdateData(true)) return;
    if (m_oForm.fileList->rowCount() == 0) {
        ShowMessage(this, QMessageBox::Information, QStringLiteral("No Image(s) Configured Yet."));
        return;
    }
    if (!m_pSearch->Start()) {
        ShowMessage(this, QMessageBox::NoIcon,
                    QStringLiteral("Failed to initiate background worker thread."));
    }
}

void CGlimtapView::OnHotKey() {
    QMetaObject::invokeMethod(this, &CGlimtapView::OnStartStopSearch, Qt::QueuedConnection);
}

void CGlimtapView::OnSelectTargetFolder() { PickTargetFolder(this, m_rSettings); }

void CGlimtapView::OnExploreTargetFolder() {
    m_rLauncher.Launch(u"", m_rSettings.targetFolder, nullptr);
}

void CGlimtapView::OnRefreshFileNames() {
    QString error;
    RefreshImageList(*m_oForm.fileList, m_rSettings.targetFolder, &error);
    if (!error.isEmpty()) m_rHost.ShowStatusMessage(error);
}

void CGlimtapView::OnViewSelectedImage() {
    ViewSelectedImage(this, *m_oForm.fileList, m_rSettings.targetFolder, m_rLauncher);
}

void CGlimtapView::OnTestExecute() {
    // What is typed counts, saved or not, ticked or not.
    m_rLauncher.Launch(m_oForm.executeVerb->text().toStdU16String(),
                       m_oForm.executeFile->text().toStdU16String(), nullptr);
}

void CGlimtapView::OnBeepForSearch() {
    if (m_oForm.beepForSearch->isChecked()) PlaySearchBeep();
}

void CGlimtapView::OnMinimize() { window()->showMinimized(); }

void CGlimtapView::OnExit() {
    // The window's own close path, after the menu that chose Exit has gone.
    QMetaObject::invokeMethod(window(), &QWidget::close, Qt::QueuedConnection);
}

void CGlimtapView::OnHelpInfo() { m_rLauncher.Launch(u"open", kHelpPage, nullptr); }

void CGlimtapView::OnShowOverlay(const MatchReport& match) {
    StartScreenOverlay({match.location.x, match.location.y, match.width, match.height},
                       kMarkerSeconds);
}

void CGlimtapView::OnClosestMiss(const std::optional<ClosestMiss>& miss) {
    closest_ = miss;
    showClosest_->setEnabled(miss.has_value());
    if (!miss) return;
    m_rHost.ShowStatusMessage(QStringLiteral("Closest: %1, %2 \u2014 needs tolerance %3")
                                  .arg(miss->location.x)
                                  .arg(miss->location.y)
                                  .arg(miss->tolerance));
}

void CGlimtapView::OnShowClosestMatch() {
    if (!closest_) return;
    StartScreenOverlay({closest_->location.x, closest_->location.y, closest_->width, closest_->height},
                       kMarkerSeconds, MarkerKind::kClosestMiss);
}

void CGlimtapView::OnMatchFound(const MatchReport& match) {
    const bool wanted = m_rSettings.moveCursorToMatch != 0 || m_rSettings.touchAtMatch != 0 ||
                        m_rSettings.executeEnabled != 0;
    if (!wanted) return;
    if (MatchActions* actions = Actions()) actions->OnMatchFound(match, m_rSettings);
}

MatchActions* CGlimtapView::Actions() {
    if (m_pActions == nullptr && !m_bActionsUnavailable) {
        try {
            m_pPointer = platform::OpenPointer();
            m_pTouch = platform::OpenTouchInjector();
            m_pActions = std::make_unique<MatchActions>(*m_pPointer, *m_pTouch, m_rLauncher);
        } catch (const platform::Unavailable&) {
            // A display without XTest cannot be driven; matches are still counted.
            m_bActionsUnavailable = true;
        }
    }
    return m_pActions.get();
}

void CGlimtapView::contextMenuEvent(QContextMenuEvent* event) {
    m_oContextMenu.exec(event->globalPos());
}

void CGlimtapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // Dragging the form drags the window: by the window manager when it offers that,
    // else by following the pointer.
    QWindow* handle = window()->windowHandle();
    if (handle != nullptr && handle->startSystemMove()) return;
    m_oDragOffset = event->globalPosition().toPoint() - window()->pos();
}

void CGlimtapView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_oDragOffset || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    window()->move(event->globalPosition().toPoint() - *m_oDragOffset);
}

void CGlimtapView::mouseReleaseEvent(QMouseEvent* event) {
    m_oDragOffset.reset();
    QWidget::mouseReleaseEvent(event);
}

bool CGlimtapView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_oForm.fileList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        OnViewSelectedImage();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace glimtap
