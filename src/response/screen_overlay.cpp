#include "response/screen_overlay.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QScreen>

#include <cmath>

#include "response/marker_painting.h"

namespace glimtap {
namespace {

using platform::ScreenRect;

// X11 screens share one scale factor (from Xft.dpi), so the primary screen's will do
// before the marker has a window of its own.
qreal ScreenRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

// The logical pixels that cover every physical pixel of `r`.
QRect Covering(const ScreenRect& r, qreal ratio) {
    const auto left = static_cast<int>(std::floor(r.left / ratio));
    const auto top = static_cast<int>(std::floor(r.top / ratio));
    return QRect(left, top, static_cast<int>(std::ceil((r.left + r.width) / ratio)) - left,
                 static_cast<int>(std::ceil((r.top + r.height) / ratio)) - top);
}

// The logical pixels that lie wholly inside `r`.
QRect Inside(const ScreenRect& r, qreal ratio) {
    const auto left = static_cast<int>(std::ceil(r.left / ratio));
    const auto top = static_cast<int>(std::ceil(r.top / ratio));
    return QRect(left, top, static_cast<int>(std::floor((r.left + r.width) / ratio)) - left,
                 static_cast<int>(std::floor((r.top + r.height) / ratio)) - top);
}

}  // namespace

CScreenOverlay::CScreenOverlay(const ScreenRect& rect, const ScreenRect& screen, bool translucent,
                               MarkerKind kind)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint |
                           Qt::WindowTransparentForInput),
      kind_(kind) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Overlay"));
    if (translucent) setWindowOpacity(kMarkerAlpha / 255.0);
    setFocusPolicy(Qt::NoFocus);
    const qreal ratio = ScreenRatio();
    dpi_ = static_cast<int32_t>(std::lround(logicalDpiY() * ratio));
    plan_ = PlanMarker(rect, screen, MarkerMetricsForDpi(dpi_), translucent, kind);
    const QRect window = Covering(plan_.bounds, ratio);
    setGeometry(window);
    // The hole rounds outward, so no pixel of the marked rectangle is ever the window's.
    QRegion shape = QRegion(Inside(plan_.band, ratio)) - QRegion(Covering(plan_.hole, ratio));
    shape += QRegion(Inside(plan_.countdown, ratio));
    setMask(shape.translated(-window.topLeft()));
}

void CScreenOverlay::Show(int64_t seconds) {
    secondsLeft_ = seconds;
    update();
    if (!isVisible()) show();
}

void CScreenOverlay::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    const platform::Point origin{static_cast<int32_t>(std::lround(x() * ratio)),
                                 static_cast<int32_t>(std::lround(y() * ratio))};
    PaintMarker(painter, plan_, origin, dpi_, kind_, secondsLeft_);
}

std::unique_ptr<MarkerSurface> ScreenOverlays::Open(const ScreenRect& rect, MarkerKind kind,
                                                    std::function<void()>) {
    // Nothing but the marker's owner closes it: it takes no input.
    return std::make_unique<CScreenOverlay>(rect, desktop_.VirtualScreen(),
                                            desktop_.CompositorRunning(), kind);
}

}  // namespace glimtap
