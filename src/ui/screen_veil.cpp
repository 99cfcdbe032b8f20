#include "ui/screen_veil.h"

#include <QColor>
#include <QPainter>
#include <QPen>

namespace glimtap {
namespace {

// How much of the screen the veil hides.
constexpr int kVeilAlpha = 150;

QImage Dimmed(const QImage& picture) {
    QImage dimmed = picture.copy();
    if (dimmed.isNull()) return dimmed;
    QPainter painter(&dimmed);
    painter.fillRect(dimmed.rect(), QColor(0, 0, 0, kVeilAlpha));
    return dimmed;
}

}  // namespace

ScreenVeil::ScreenVeil(const ScreenStill& still) : still_(still), veiled_(Dimmed(still.picture())) {}

void ScreenVeil::Paint(QPainter& painter, const platform::ScreenRect& hole,
                       const QBrush& blank) const {
    const bool empty = hole.width <= 0 || hole.height <= 0;
    if (veiled_.isNull()) {
        // The screen could not be captured: a plain veil, the band still shows the drag.
        painter.fillRect(QRect(0, 0, still_.screen().width, still_.screen().height), blank);
    } else {
        painter.drawImage(QPoint(), veiled_);
        const QRect holeRect(hole.left, hole.top, hole.width, hole.height);
        if (!empty) painter.drawImage(holeRect.topLeft(), still_.picture(), holeRect);
    }
    if (empty) return;
    // A dotted band on the veil just round the hole, inverting what lies under it.
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::white, 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(hole.left - 1, hole.top - 1, hole.width + 1, hole.height + 1));
}

}  // namespace glimtap
