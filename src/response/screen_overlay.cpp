#include "response/screen_overlay.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <optional>

#include "qt_support/device_pixels.h"
#include "response/overlay_layout.h"

namespace glimtap {
namespace {

constexpr qreal kOpacity = 130.0 / 255.0;
const QColor kFill(255, 242, 0);
const QColor kOutline(237, 28, 36);
const QColor kClosestMissOutline(0, 120, 215);

// The desktop's font in bold, whose cell (ascent plus descent) is `cellHeight` pixels
// high: the number is sized by its cell, not its em.
QFont CountdownFont(int32_t cellHeight) {
    QFont font = QGuiApplication::font();
    font.setWeight(QFont::ExtraBold);
    font.setPixelSize(cellHeight);
    const qreal cell = QFontMetricsF(font).height();
    if (cell > 0) {
        font.setPixelSize(
            std::max(1, static_cast<int>(std::lround(cellHeight * cellHeight / cell))));
    }
    return font;
}

// X11 screens share one scale factor (from Xft.dpi), so the primary screen's will do
// before the marker has a window of its own.
qreal ScreenRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

}  // namespace

CScreenOverlay::CScreenOverlay(const platform::ScreenRect& rect, int seconds, bool translucent,
                               MarkerKind kind)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      translucent_(translucent), kind_(kind), secondsLeft_(seconds) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Overlay"));
    if (translucent_) setWindowOpacity(kOpacity);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(LogicalRect(rect, ScreenRatio()));
    Reshape();
    // Nobody holds on to a marker: one still counting when the application quits goes then.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &QWidget::close);
    tickTimer_.start(1000, Qt::PreciseTimer, this);
}

void CScreenOverlay::Restart(int seconds) {
    tickTimer_.start(1000, Qt::PreciseTimer, this);
    // A match found on every pass restarts its marker hundreds of times a second.
    if (secondsLeft_ == seconds) return;
    secondsLeft_ = seconds;
    Reshape();
    update();
}

void CScreenOverlay::timerEvent(QTimerEvent* event) {
    if (event->timerId() != tickTimer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    // One timer for the countdown and the end, so the last tick never shows 0.
    if (--secondsLeft_ <= 0) {
        tickTimer_.stop();
        close();
        return;
    }
    Reshape();
    update();
}

void CScreenOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        tickTimer_.stop();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

CScreenOverlay::Layout CScreenOverlay::Measure() const {
    // In physical pixels, sized by the screen's dots per inch.
    const qreal ratio = devicePixelRatioF();
    const int32_t dpi = static_cast<int32_t>(std::lround(logicalDpiY() * ratio));
    const MarkerMetrics metrics = MarkerMetricsForDpi(dpi);
    const QRect client(0, 0, static_cast<int>(std::lround(width() * ratio)),
                       static_cast<int>(std::lround(height() * ratio)));
    const QString text = QString::number(secondsLeft_);
    const int32_t cellHeight = FitCountdownFontHeight(
        {client.width(), client.height()}, metrics,
        [&text](int32_t height) -> std::optional<platform::Size> {
            const QFontMetricsF measured(CountdownFont(height));
            return platform::Size{static_cast<int32_t>(std::ceil(measured.horizontalAdvance(text))),
                                  static_cast<int32_t>(std::ceil(measured.height()))};
        });
    const QFont font = CountdownFont(cellHeight);
    QRect number = QFontMetrics(font).boundingRect(client, Qt::AlignCenter | Qt::TextSingleLine, text);
    return {client, number, font, metrics.outline};
}

void CScreenOverlay::Reshape() {
    if (translucent_) return;
    const Layout layout = Measure();
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
    const Layout layout = Measure();
    const qreal ratio = devicePixelRatioF();
    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    painter.fillRect(layout.client, kFill);

    // Centred on the window's edges: the outer half of the frame lies outside.
    QPen outline(kind_ == MarkerKind::kMatch ? kOutline : kClosestMissOutline, layout.outline);
    outline.setJoinStyle(Qt::MiterJoin);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(layout.client));

    painter.setFont(layout.font);
    painter.setPen(Qt::black);
    painter.drawText(layout.client, Qt::AlignCenter | Qt::TextSingleLine,
                     QString::number(secondsLeft_));
}

}  // namespace glimtap
