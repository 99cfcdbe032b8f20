#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include <cstdint>

class QPainter;

namespace glimtap {

// What a marker shows: a match (red frame) or the closest miss (blue frame).
enum class MarkerKind { kMatch, kClosestMiss };

// How much of a translucent marker covers what lies under it.
constexpr int kMarkerAlpha = 130;

// A marker's drawing in physical pixels: its whole area, the number's box in it, the
// number's font and the frame's width. Every marker surface draws from this one layout.
struct MarkerLayout {
    QRect client;
    QRect number;
    QFont font;
    int32_t outline = 0;
};

// Lays out a marker `size` physical pixels large on a screen of `dpi` dots per inch
// showing `seconds`.
MarkerLayout LayOutMarker(QSize size, int32_t dpi, int64_t seconds);

// Paints the yellow fill, the frame centred on the edges (only its inner half lies
// inside) and the number, one painter unit per physical pixel from the origin.
void PaintMarker(QPainter& painter, const MarkerLayout& layout, MarkerKind kind, int64_t seconds);

// Paints the marker over `place` of an ARGB32 premultiplied picture at kMarkerAlpha, for
// surfaces that the compositor blends by their own alpha.
void PaintTranslucentMarker(QPainter& painter, const QRect& place, int32_t dpi, MarkerKind kind,
                            int64_t seconds);

}  // namespace glimtap
