#include "response/marker_painting.h"

#include <QColor>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPen>
#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>

#include "response/overlay_layout.h"

namespace glimtap {
namespace {

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

}  // namespace

MarkerLayout LayOutMarker(QSize size, int32_t dpi, int64_t seconds) {
    const MarkerMetrics metrics = MarkerMetricsForDpi(dpi);
    const QRect client(QPoint(), size);
    const QString text = QString::number(seconds);
    const int32_t cellHeight = FitCountdownFontHeight(
        {client.width(), client.height()}, metrics,
        [&text](int32_t height) -> std::optional<platform::Size> {
            const QFontMetricsF measured(CountdownFont(height));
            return platform::Size{static_cast<int32_t>(std::ceil(measured.horizontalAdvance(text))),
                                  static_cast<int32_t>(std::ceil(measured.height()))};
        });
    const QFont font = CountdownFont(cellHeight);
    const QRect number =
        QFontMetrics(font).boundingRect(client, Qt::AlignCenter | Qt::TextSingleLine, text);
    return {client, number, font, metrics.outline};
}

void PaintMarker(QPainter& painter, const MarkerLayout& layout, MarkerKind kind, int64_t seconds) {
    painter.fillRect(layout.client, kFill);
    QPen outline(kind == MarkerKind::kMatch ? kOutline : kClosestMissOutline, layout.outline);
    outline.setJoinStyle(Qt::MiterJoin);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(layout.client));
    painter.setFont(layout.font);
    painter.setPen(Qt::black);
    painter.drawText(layout.client, Qt::AlignCenter | Qt::TextSingleLine, QString::number(seconds));
}

void PaintTranslucentMarker(QPainter& painter, const QRect& place, int32_t dpi, MarkerKind kind,
                            int64_t seconds) {
    painter.save();
    painter.translate(place.topLeft());
    const MarkerLayout layout = LayOutMarker(place.size(), dpi, seconds);
    PaintMarker(painter, layout, kind, seconds);
    // The whole marker at one alpha, as a translucent window looks: frame and number too.
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(layout.client, QColor(0, 0, 0, kMarkerAlpha));
    painter.restore();
}

}  // namespace glimtap
