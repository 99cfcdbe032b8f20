#include "response/screen_overlay.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

#include "response/device_pixels.h"
#include "response/overlay_layout.h"

namespace glimtap {
namespace {

constexpr qreal kOpacity = 130.0 / 255.0;
const QColor kFill(255, 242, 0);
const QColor kOutline(237, 28, 36);
const QColor kClosestMissOutline(0, 120, 215);

// Bold "Segoe UI", or what fontconfig offers in its place, whose cell (ascent plus
// descent) is `cellHeight` pixels high: the number is sized by its cell, not its em.
QFont CountdownFont(int32_t cellHeight) {
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
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

CScreenOverlay::CScreenOverlay(const platform::ScreenRect& rect, int seconds, MarkerKind kind)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      m_nSecondsLeft(seconds), kind_(kind) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Overlay"));
    setWindowOpacity(kOpacity);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(LogicalRect(rect, ScreenRatio()));
    // Nobody holds on to a marker: one still counting when the application quits goes then.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &QWidget::close);
    m_tickTimer.start(1000, Qt::PreciseTimer, this);
}

void CScreenOverlay::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_tickTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    // One timer for the countdown and the end, so the last tick never shows 0.
    if (--m_nSecondsLeft <= 0) {
        m_tickTimer.stop();
        close();
        return;
    }
    update();
}

void CScreenOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        m_tickTimer.stop();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CScreenOverlay::paintEvent(QPaintEvent*) {
    // Drawn in physical pixels, sized by the screen's dots per inch.
    const qreal ratio = devicePixelRatioF();
    const int32_t dpi = static_cast<int32_t>(std::lround(logicalDpiY() * ratio));
    const MarkerMetrics metrics = MarkerMetricsForDpi(dpi);
    const QRect client(0, 0, static_cast<int>(std::lround(width() * ratio)),
                       static_cast<int>(std::lround(height() * ratio)));

    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    painter.fillRect(client, kFill);

    // Centred on the window's edges: the outer half of the frame lies outside.
    QPen outline(kind_ == MarkerKind::kMatch ? kOutline : kClosestMissOutline, metrics.outline);
    outline.setJoinStyle(Qt::MiterJoin);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(client));

    const QString text = QString::number(m_nSecondsLeft);
    const int32_t cellHeight = FitCountdownFontHeight(
        {client.width(), client.height()}, metrics,
        [&text](int32_t height) -> std::optional<platform::Size> {
            const QFontMetricsF measured(CountdownFont(height));
            return platform::Size{static_cast<int32_t>(std::ceil(measured.horizontalAdvance(text))),
                                  static_cast<int32_t>(std::ceil(measured.height()))};
        });
    painter.setFont(CountdownFont(cellHeight));
    painter.setPen(Qt::black);
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void StartScreenOverlay(const platform::ScreenRect& rect, int seconds, MarkerKind kind) {
    if (rect.width < 1 || rect.height < 1 || seconds < 1) return;
    (new CScreenOverlay(rect, seconds, kind))->show();
}

}  // namespace glimtap
