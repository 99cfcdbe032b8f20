#include "response/screen_overlay.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <utility>

#include "qt_support/device_pixels.h"

namespace glimtap {
namespace {

// X11 screens share one scale factor (from Xft.dpi), so the primary screen's will do
// before the marker has a window of its own.
qreal ScreenRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

}  // namespace

CScreenOverlay::CScreenOverlay(const platform::ScreenRect& rect, bool translucent, MarkerKind kind,
                               std::function<void()> closed)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      translucent_(translucent), kind_(kind), closed_(std::move(closed)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Overlay"));
    if (translucent_) setWindowOpacity(kMarkerAlpha / 255.0);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(LogicalRect(rect, ScreenRatio()));
}

void CScreenOverlay::Show(int64_t seconds) {
    secondsLeft_ = seconds;
    Reshape();
    update();
    if (!isVisible()) show();
}

void CScreenOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        closed_();
        return;
    }
    QWidget::keyPressEvent(event);
}

MarkerLayout CScreenOverlay::Measure() const {
    // In physical pixels, sized by the screen's dots per inch.
    const qreal ratio = devicePixelRatioF();
    const auto dpi = static_cast<int32_t>(std::lround(logicalDpiY() * ratio));
    const QSize size(static_cast<int>(std::lround(width() * ratio)),
                     static_cast<int>(std::lround(height() * ratio)));
    return LayOutMarker(size, dpi, secondsLeft_);
}

void CScreenOverlay::Reshape() {
    if (translucent_) return;
    const MarkerLayout layout = Measure();
    const qreal ratio = devicePixelRatioF();
    // The frame is centred on the window's edges: its inner half lies inside.
    const int ring = std::max(1, static_cast<int>(std::ceil(layout.outline / 2.0 / ratio)));
    const int pad = std::max(1, static_cast<int>(std::lround(layout.outline / ratio)));
    QRegion shape(rect());
    shape -= QRegion(rect().adjusted(ring, ring, -ring, -ring));
    const QRect number(static_cast<int>(std::floor(layout.number.left() / ratio)),
                       static_cast<int>(std::floor(layout.number.top() / ratio)),
                       static_cast<int>(std::ceil(layout.number.width() / ratio)),
                       static_cast<int>(std::ceil(layout.number.height() / ratio)));
    shape += QRegion(number.adjusted(-pad, -pad, pad, pad)) & QRegion(rect());
    setMask(shape);
}

void CScreenOverlay::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    PaintMarker(painter, Measure(), kind_, secondsLeft_);
}

std::unique_ptr<MarkerSurface> ScreenOverlays::Open(const platform::ScreenRect& rect,
                                                    MarkerKind kind, std::function<void()> closed) {
    return std::make_unique<CScreenOverlay>(rect, desktop_.CompositorRunning(), kind,
                                            std::move(closed));
}

}  // namespace glimtap
