#include "ui/screen_area_selector.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <memory>
#include <utility>

#include "qt_support/device_pixels.h"
#include "response/wayland/surface_session_for.h"
#include "ui/wayland/layer_area_selector.h"

namespace glimtap {
namespace {

const QString kSection = QStringLiteral("Settings");

void StoreCorners(Profile& profile, const SelectedCorners& corners) {
    profile.WriteProfileInt(kSection, QStringLiteral("m_oStartingPoint.x"), corners.starting.x);
    profile.WriteProfileInt(kSection, QStringLiteral("m_oStartingPoint.y"), corners.starting.y);
    profile.WriteProfileInt(kSection, QStringLiteral("m_oClosingPoint.x"), corners.closing.x);
    profile.WriteProfileInt(kSection, QStringLiteral("m_oClosingPoint.y"), corners.closing.y);
}

SelectedCorners StoredCorners(const Profile& profile) {
    return {{profile.GetProfileInt(kSection, QStringLiteral("m_oStartingPoint.x"), 0),
             profile.GetProfileInt(kSection, QStringLiteral("m_oStartingPoint.y"), 0)},
            {profile.GetProfileInt(kSection, QStringLiteral("m_oClosingPoint.x"), 0),
             profile.GetProfileInt(kSection, QStringLiteral("m_oClosingPoint.y"), 0)}};
}

bool IsEmpty(const platform::ScreenRect& rect) { return rect.width <= 0 || rect.height <= 0; }

}  // namespace

CDlgScreenAreaSelector::CDlgScreenAreaSelector(QWidget* owner, const ScreenStill& still,
                                               Profile& profile)
    : QDialog(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::X11BypassWindowManagerHint),
      veil_(still),
      selection_(still.screen()),
      profile_(profile) {
    // Bypassing the window manager keeps panels and struts from shrinking the veil and
    // keeps it off the task bar.
    setModal(true);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(LogicalRect(still.screen(), devicePixelRatioF()));
}

void CDlgScreenAreaSelector::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (visible) {
        // No window manager gives a bypassing window the focus: take it, and the
        // keyboard, so that Escape arrives whatever window had it before.
        raise();
        activateWindow();
        grabKeyboard();
    } else {
        releaseKeyboard();
    }
}

void CDlgScreenAreaSelector::done(int result) {
    StoreCorners(profile_, selection_.Corners());
    QDialog::done(result);
}

platform::Point CDlgScreenAreaSelector::ClientPoint(const QMouseEvent& event) const {
    // The window's own position keeps the fraction that a scaled Qt rounds off position():
    // physical 1001 is logical 500.5. The selector is its window, so the two coincide.
    return PhysicalPoint(event.scenePosition(), devicePixelRatioF());
}

QRect CDlgScreenAreaSelector::BandBounds() const {
    const platform::ScreenRect hole = selection_.Hole();
    if (IsEmpty(hole)) return {};
    return LogicalRect(hole, devicePixelRatioF()).adjusted(-1, -1, 1, 1);
}

void CDlgScreenAreaSelector::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    selection_.Press(ClientPoint(*event));
}

void CDlgScreenAreaSelector::mouseMoveEvent(QMouseEvent* event) {
    if (selection_.state() != AreaSelection::State::Dragging) return;
    const QRect before = BandBounds();
    selection_.Move(ClientPoint(*event));
    update(before.united(BandBounds()));
}

void CDlgScreenAreaSelector::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (selection_.state() != AreaSelection::State::Dragging) return;
    selection_.Release(ClientPoint(*event));
    accept();
}

void CDlgScreenAreaSelector::keyPressEvent(QKeyEvent* event) {
    // Escape cancels, during a drag and before one; every other key, Enter included,
    // does nothing.
    if (event->key() == Qt::Key_Escape) {
        selection_.Escape();
        reject();
    }
}

void CDlgScreenAreaSelector::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // In physical pixels, one per pixel of the still picture, at any scale.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    veil_.Paint(painter, selection_.Hole(), palette().window());
}

std::optional<platform::ScreenRect> SelectScreenArea(QWidget* owner, Profile& profile,
                                                     const ScreenStill& still,
                                                     const platform::BackendSet& backends) {
    if (IsEmpty(still.screen())) return std::nullopt;
    bool accepted = false;
    if (std::shared_ptr<SurfaceSession> session = SurfaceSessionFor(backends)) {
        LayerAreaSelector selector(std::move(session), still);
        accepted = selector.Exec();
        StoreCorners(profile, selector.Corners());
    } else {
        {
            CDlgScreenAreaSelector selector(owner, still, profile);
            accepted = selector.exec() == QDialog::Accepted;
        }
        // The veil's window is gone once the X server has carried out every request so
        // far: a search started next must not capture it.
        QGuiApplication::sync();
    }
    if (!accepted) return std::nullopt;
    return SelectionFromCorners(StoredCorners(profile));
}

}  // namespace glimtap
