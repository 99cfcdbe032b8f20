#include "ui/screen_area_selector.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include "response/device_pixels.h"

namespace glimtap {
namespace {

constexpr qreal kOpacity = 150.0 / 255.0;
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

CDlgScreenAreaSelector::CDlgScreenAreaSelector(QWidget* owner,
                                               const platform::ScreenRect& virtualScreen,
                                               Profile& profile)
    : QDialog(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::X11BypassWindowManagerHint),
      m_selection(virtualScreen),
      m_profile(profile) {
    // Bypassing the window manager keeps panels and struts from shrinking the veil and
    // keeps it off the task bar.
    setModal(true);
    setWindowOpacity(kOpacity);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(LogicalRect(virtualScreen, devicePixelRatioF()));
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
    StoreCorners(m_profile, m_selection.Corners());
    QDialog::done(result);
}

platform::Point CDlgScreenAreaSelector::ClientPoint(const QMouseEvent& event) const {
    return PhysicalPoint(event.position(), devicePixelRatioF());
}

QRect CDlgScreenAreaSelector::BandBounds() const {
    const platform::ScreenRect hole = m_selection.Hole();
    if (IsEmpty(hole)) return {};
    return LogicalRect(hole, devicePixelRatioF()).adjusted(-1, -1, 1, 1);
}

void CDlgScreenAreaSelector::FollowDrag() {
    const platform::ScreenRect hole = m_selection.Hole();
    if (IsEmpty(hole)) {
        clearMask();
    } else {
        setMask(QRegion(rect()) - QRegion(LogicalRect(hole, devicePixelRatioF())));
    }
}

void CDlgScreenAreaSelector::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_selection.Press(ClientPoint(*event));
}

void CDlgScreenAreaSelector::mouseMoveEvent(QMouseEvent* event) {
    if (m_selection.state() != AreaSelection::State::Dragging) return;
    const QRect before = BandBounds();
    m_selection.Move(ClientPoint(*event));
    FollowDrag();
    update(before.united(BandBounds()));
}

void CDlgScreenAreaSelector::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (m_selection.state() != AreaSelection::State::Dragging) return;
    m_selection.Release(ClientPoint(*event));
    accept();
}

void CDlgScreenAreaSelector::keyPressEvent(QKeyEvent* event) {
    // Escape cancels, during a drag and before one; every other key, Enter included,
    // does nothing.
    if (event->key() == Qt::Key_Escape) {
        m_selection.Escape();
        reject();
    }
}

void CDlgScreenAreaSelector::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const platform::ScreenRect hole = m_selection.Hole();
    if (IsEmpty(hole)) return;
    // A dotted band on the veil just round the hole, inverting the veil's colour; drawn
    // in physical pixels so it hugs the hole at any scale.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::white, 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(hole.left - 1, hole.top - 1, hole.width + 1, hole.height + 1));
}

std::optional<platform::ScreenRect> SelectScreenArea(QWidget* owner, Profile& profile,
                                                     const platform::Desktop& desktop) {
    // The X root window is the virtual screen; its origin is (0, 0).
    const platform::Size screen = desktop.VirtualScreenSize();
    if (screen.width < 1 || screen.height < 1) return std::nullopt;
    bool accepted = false;
    {
        CDlgScreenAreaSelector selector(owner, {0, 0, screen.width, screen.height}, profile);
        accepted = selector.exec() == QDialog::Accepted;
    }
    // The veil's window is gone once the X server has carried out every request so far.
    QGuiApplication::sync();
    if (!accepted) return std::nullopt;
    return SelectionFromCorners(StoredCorners(profile));
}

}  // namespace glimtap
