#include "response/marker_painting.h"

#include <QColor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>

namespace glimtap {
namespace {

QColor ToQColor(MarkerColour colour) { return QColor(colour.red, colour.green, colour.blue); }

const QColor kFill = ToQColor(kMarkerFill);
const QColor kOutline = ToQColor(kMarkerOutline);
const QColor kClosestMiss = ToQColor(kClosestMissOutline);

QRect ToQRect(const platform::ScreenRect& r) { return QRect(r.left, r.top, r.width, r.height); }

// What lies inside `outer` but outside `inner`.
QPainterPath Ring(const platform::ScreenRect& outer, const platform::ScreenRect& inner) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(ToQRect(outer));
    path.addRect(ToQRect(inner));
    return path;
}

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

}  // namespace

void PaintMarker(QPainter& painter, const MarkerPlan& plan, platform::Point origin, int32_t dpi,
                 MarkerKind kind, int64_t seconds) {
    const MarkerMetrics metrics = MarkerMetricsForDpi(dpi);
    const QColor frame = kind == MarkerKind::kClosestMiss ? kClosestMiss : kOutline;
    painter.save();
    painter.translate(-origin.x, -origin.y);
    if (plan.band != plan.frame) painter.fillPath(Ring(plan.band, plan.frame), kFill);
    painter.fillPath(Ring(plan.frame, plan.hole), frame);

    const QRect box = ToQRect(plan.countdown);
    const QString text = QString::number(seconds);
    painter.fillRect(box, kFill);
    // The box's frame is centred on its edges: only its inner half lies inside.
    painter.setClipRect(box);
    QPen outline(frame, metrics.outline);
    outline.setJoinStyle(Qt::MiterJoin);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(box));
    const int32_t cellHeight = FitCountdownFontHeight(
        {box.width(), box.height()}, metrics,
        [&text](int32_t height) -> std::optional<platform::Size> {
            const QFontMetricsF measured(CountdownFont(height));
            return platform::Size{static_cast<int32_t>(std::ceil(measured.horizontalAdvance(text))),
                                  static_cast<int32_t>(std::ceil(measured.height()))};
        });
    painter.setFont(CountdownFont(cellHeight));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.restore();
}

void PaintTranslucentMarker(QPainter& painter, const MarkerPlan& plan, platform::Point origin,
                            int32_t dpi, MarkerKind kind, int64_t seconds) {
    PaintMarker(painter, plan, origin, dpi, kind, seconds);
    // The whole marker at one alpha, as a translucent window looks: frame and number too.
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(ToQRect(plan.bounds).translated(-origin.x, -origin.y),
                     QColor(0, 0, 0, kMarkerAlpha));
    painter.restore();
}

}  // namespace glimtap
