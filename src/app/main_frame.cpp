#include "app/main_frame.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "app/glimtap_app.h"
#include "app/lock_indicators.h"
#include "ui/message_box.h"

namespace glimtap {

CMainFrame::CMainFrame(CGlimtapApp& app, SearchSettings& settings, Profile& profile,
                       platform::BackendSet& backends, platform::Launcher& launcher)
    : m_rApp(app), m_pScroll(new QScrollArea(this)),
      m_pView(new CGlimtapView(settings, profile, *this, backends, launcher)) {
    setWindowIcon(QIcon(QStringLiteral(":/glimtap.svg")));
    setMinimumSize(300, 200);
    setAcceptDrops(true);
    m_pScroll->setFrameShape(QFrame::NoFrame);
    m_pScroll->setWidgetResizable(true);
    m_pScroll->setWidget(m_pView);
    setCentralWidget(m_pScroll);
    CreateMenus();
    CreateStatusBar(backends);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateMenus() {
    m_pFileMenu = menuBar()->addMenu("&File");
    QAction* action = m_pFileMenu->addAction("&New", &m_rApp, &CGlimtapApp::OnFileNew);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    action->setStatusTip("Create a new document");
    action = m_pFileMenu->addAction("&Open...", &m_rApp, &CGlimtapApp::OnFileOpen);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    action->setStatusTip("Open an existing document");
    // Ctrl+S takes the same path as the menu, so what is on screen is what is saved.
    action = m_pFileMenu->addAction("&Save", m_pView, &CGlimtapView::OnSave);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_pFileMenu->addAction("Save &As...", m_pView, &CGlimtapView::OnSaveAs);
    m_pFileMenu->addSeparator();
    m_pRecentEnd = m_pFileMenu->addSeparator();
    action = m_pFileMenu->addAction("E&xit", this, &QWidget::close);
    action->setStatusTip("Quit the application; prompts to save documents");

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction("Select Target Folder...", m_pView, &CGlimtapView::OnSelectTargetFolder);

    QMenu* view = menuBar()->addMenu("&View");
    action = view->addAction("&Status Bar");
    action->setCheckable(true);
    action->setChecked(true);
    action->setStatusTip("Show or hide the status bar");
    connect(action, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    view->addSeparator();
    view->addAction("Target Folder...", m_pView, &CGlimtapView::OnExploreTargetFolder);
    view->addSeparator();
    view->addAction("Selected Image...", m_pView, &CGlimtapView::OnViewSelectedImage);

    // Help stands at the right end of the menu bar.
    auto* helpBar = new QMenuBar(menuBar());
    QMenu* help = helpBar->addMenu("&Help");
    action = help->addAction("&About Glimtap...", &m_rApp, &CGlimtapApp::OnAppAbout);
    action->setStatusTip("Display program information, version number and copyright");
    menuBar()->setCornerWidget(helpBar, Qt::TopRightCorner);
    UpdateRecentFileMenu({});
}

void CMainFrame::CreateStatusBar(platform::BackendSet& backends) {
    m_pLockIndicators = new LockIndicators(*statusBar(), backends.Locks());
    // Between prompts the message pane says why the screen tools are off, if they are.
    if (!backends.Missing().empty()) {
        idleMessage_ = QString::fromStdString(
            (backends.CanCapture() ? "Not available here: " : "No screen available: ") +
            backends.Missing());
    }
    statusBar()->showMessage(idleMessage_);
}

void CMainFrame::UpdateRecentFileMenu(const QStringList& paths) {
    for (QAction* old : m_oRecentActions) {
        m_pFileMenu->removeAction(old);
        old->deleteLater();
    }
    m_oRecentActions.clear();
    for (int i = 0; i < paths.size(); ++i) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(paths[i]), m_pFileMenu);
        action->setStatusTip("Open this document");
        connect(action, &QAction::triggered, &m_rApp, [this, i] { m_rApp.OnOpenRecentFile(i); });
        m_oRecentActions.append(action);
    }
    if (m_oRecentActions.isEmpty()) {
        auto* placeholder = new QAction("Recent File", m_pFileMenu);
        placeholder->setEnabled(false);
        m_oRecentActions.append(placeholder);
    }
    m_pFileMenu->insertActions(m_pRecentEnd, m_oRecentActions);
}

void CMainFrame::UpdateTitle() {
    setWindowTitle(QString::fromStdU16String(m_rApp.Document().GetTitle()) + " - " + kAppName);
}

std::u16string CMainFrame::DocumentTitle() const { return m_rApp.Document().GetTitle(); }

void CMainFrame::SaveDocument(bool saveAs) { m_rApp.SaveDocument(saveAs); }

void CMainFrame::ResizeParentToFit() {
    const QSize form = m_pView->sizeHint().expandedTo(m_pView->minimumSize());
    int height = form.height() + menuBar()->sizeHint().height();
    if (!statusBar()->isHidden()) height += statusBar()->sizeHint().height();
    resize(form.width(), height);
}

void CMainFrame::ShowStatusMessage(const QString& text) { statusBar()->showMessage(text); }

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        statusBar()->showMessage(tip.isEmpty() ? idleMessage_ : tip);
        return true;
    }
    return QMainWindow::event(event);
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
            for (const QString& path : paths) m_rApp.OpenDocumentFile(path);
        },
        Qt::QueuedConnection);
}

}  // namespace glimtap
