#include "app/main_frame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QStatusBar>
#include <QStatusTipEvent>

#include <cstdio>

#include "app/glimtap_app.h"
#include "app/help_window.h"
#include "app/lock_indicators.h"
#include "app/status_line.h"
#include "qt_support/path_text.h"
#include "ui/message_box.h"

namespace glimtap {

CMainFrame::CMainFrame(CGlimtapApp& app, SearchSettings& settings, Profile& profile,
                       platform::BackendSet& backends, platform::Launcher& launcher)
    : app_(app), backends_(backends), scroll_(new QScrollArea(this)),
      view_(new CGlimtapView(settings, profile, *this, backends, launcher)),
      statusLine_(new StatusLine(this)) {
    setWindowIcon(QIcon(QStringLiteral(":/glimtap.svg")));
    setMinimumSize(300, 200);
    setAcceptDrops(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(view_);
    setCentralWidget(scroll_);
    setStatusBar(statusLine_);
    CreateMenus();
    CreateStatusBar();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateMenus() {
    fileMenu_ = menuBar()->addMenu("&File");
    QAction* action = fileMenu_->addAction("&New", &app_, &CGlimtapApp::OnFileNew);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    action->setStatusTip("Create a new document");
    action = fileMenu_->addAction("&Open...", &app_, &CGlimtapApp::OnFileOpen);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    action->setStatusTip("Open an existing document");
    // Ctrl+S takes the same path as the menu, so what is on screen is what is saved.
    action = fileMenu_->addAction("&Save", view_, &CGlimtapView::OnSave);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    fileMenu_->addAction("Save &As...", view_, &CGlimtapView::OnSaveAs);
    fileMenu_->addSeparator();
    recentEnd_ = fileMenu_->addSeparator();
    action = fileMenu_->addAction("E&xit", this, &QWidget::close);
    action->setStatusTip("Quit the application; prompts to save documents");

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction("Select Target Folder...", view_, &CGlimtapView::OnSelectTargetFolder);

    QMenu* view = menuBar()->addMenu("&View");
    action = view->addAction("&Status Bar");
    action->setCheckable(true);
    action->setChecked(true);
    action->setStatusTip("Show or hide the status bar");
    connect(action, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    view->addSeparator();
    view->addAction("Target Folder...", view_, &CGlimtapView::OnExploreTargetFolder);
    view->addSeparator();
    view->addAction("Selected Image...", view_, &CGlimtapView::OnViewSelectedImage);

    // Help stands at the right end of the menu bar.
    auto* helpBar = new QMenuBar(menuBar());
    QMenu* help = helpBar->addMenu("&Help");
    action = help->addAction("&About Glimtap...", &app_, &CGlimtapApp::OnAppAbout);
    action->setStatusTip("Display program information, version number and copyright");
    action = help->addAction("Glimtap &Help", this, &CMainFrame::OnHelp);
    action->setShortcut(QKeySequence(Qt::Key_F1));
    action->setStatusTip("Show the user's manual");
    // The corner menu bar's shortcuts do not reach the window by themselves.
    addAction(action);
    menuBar()->setCornerWidget(helpBar, Qt::TopRightCorner);
    UpdateRecentFileMenu({});
}

void CMainFrame::CreateStatusBar() {
    lockIndicators_ = new LockIndicators(*statusBar(), backends_.Locks());
    statusLine_->ShowNote(IdleMessage());
}

QString CMainFrame::IdleMessage() const {
    if (!commandsUnreachable_.isEmpty()) return commandsUnreachable_;
    const std::string missing = backends_.Missing();
    if (missing.empty()) return QStringLiteral("Ready");
    // A desktop that refused or took back its consent shows no screen until asked again.
    const platform::Consent consent = backends_.ScreenConsent();
    const bool screen = backends_.CanCapture() && consent != platform::Consent::kRefused &&
                        consent != platform::Consent::kRevoked;
    return QString::fromStdString((screen ? "Not available here: " : "No screen available: ") +
                                  missing);
}

void CMainFrame::UpdateRecentFileMenu(const QStringList& paths) {
    for (QAction* old : recentActions_) {
        fileMenu_->removeAction(old);
        old->deleteLater();
    }
    recentActions_.clear();
    for (int i = 0; i < paths.size(); ++i) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(paths[i]), fileMenu_);
        action->setStatusTip("Open this document");
        connect(action, &QAction::triggered, &app_, [this, i] { app_.OnOpenRecentFile(i); });
        recentActions_.append(action);
    }
    if (recentActions_.isEmpty()) {
        auto* placeholder = new QAction("Recent File", fileMenu_);
        placeholder->setEnabled(false);
        recentActions_.append(placeholder);
    }
    fileMenu_->insertActions(recentEnd_, recentActions_);
}

void CMainFrame::UpdateTitle() {
    setWindowTitle(PathText(app_.Document().GetTitle()) + "[*] - " + kAppName);
}

std::filesystem::path CMainFrame::DocumentTitle() const { return app_.Document().GetTitle(); }

bool CMainFrame::SaveDocument(bool saveAs) { return app_.SaveDocument(saveAs); }

void CMainFrame::SetModified(bool modified) { setWindowModified(modified); }

void CMainFrame::OnHelp() {
    if (help_ == nullptr) help_ = new HelpWindow(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void CMainFrame::ResizeParentToFit() {
    // Before the window is first shown, a changed text does not make the layout measure again.
    view_->layout()->invalidate();
    view_->layout()->activate();
    const QSize form = view_->sizeHint().expandedTo(view_->minimumSize());
    int height = form.height() + menuBar()->sizeHint().height();
    if (!statusBar()->isHidden()) height += statusBar()->sizeHint().height();
    resize(form.width(), height);
}

void CMainFrame::ShowStatusMessage(const QString& text) {
    statusLine_->ShowNote(text.isEmpty() ? IdleMessage() : text);
}

void CMainFrame::OnCommandsUnreachable(const QString& why) {
    std::fprintf(stderr, "glimtap: %s\n", why.toLocal8Bit().constData());
    commandsUnreachable_ = why;
    ShowStatusMessage(why);
    view_->OnCommandsUnreachable();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        ShowStatusMessage(tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!app_.SaveModified()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    // Opened once the drop is over, so that a failure's message box does not hold up the
    // program the files came from; one after another, the last one stays open.
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            if (!app_.SaveModified()) return;
            for (const QString& path : paths) app_.OpenDocumentFile(path);
        },
        Qt::QueuedConnection);
}

}  // namespace glimtap
