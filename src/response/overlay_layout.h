#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/geometry.h"
#include "reaction/match_markers.h"

namespace glimtap {

// A marker's colours, and how much of what lies under it a translucent marker covers.
struct MarkerColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};
inline constexpr MarkerColour kMarkerFill{255, 242, 0};
inline constexpr MarkerColour kMarkerOutline{237, 28, 36};
inline constexpr MarkerColour kClosestMissOutline{0, 120, 215};
inline constexpr int kMarkerAlpha = 130;

// Sizes of a marker's drawing, in physical pixels, scaled from 96 dots per inch.
struct MarkerMetrics {
    int32_t outline = 0;  // width of the frame
    int32_t band = 0;     // width of the yellow band around the frame, where there is one
    int32_t box = 0;      // side of the countdown's box
    int32_t marginX = 0;  // room the number leaves free in its box, across, in total
    int32_t marginY = 0;  // and down
    friend bool operator==(const MarkerMetrics&, const MarkerMetrics&) = default;
};

// 0 dpi counts as 96.
MarkerMetrics MarkerMetricsForDpi(int32_t dpi);

// Where the parts of one marker lie, in physical pixels of the desktop.
struct MarkerPlan {
    platform::ScreenRect frame;      // the frame's outer edge; the frame is `outline` wide
    platform::ScreenRect hole;       // what the frame encloses and the marker leaves alone
    platform::ScreenRect band;       // the band's outer edge; `frame` when there is no band
    platform::ScreenRect countdown;  // the number's box
    platform::ScreenRect bounds;     // the smallest rectangle holding all of the marker
    friend bool operator==(const MarkerPlan&, const MarkerPlan&) = default;
};

// Lays a marker out around `marked` (not empty) on `screen`, the pixels that can show it, so
// that the marker never covers what it marks: the frame just outside `marked`, the band (when
// `band`) around the frame, the countdown's box above the frame, centred and kept on the
// screen across; below it where there is no room above; inside the frame's top only where
// `marked` leaves room neither above nor below. kArea alone keeps its frame on the screen:
// a side with no room outside lies just inside `marked`.
MarkerPlan PlanMarker(const platform::ScreenRect& marked, const platform::ScreenRect& screen,
                      const MarkerMetrics& metrics, bool band, MarkerKind kind);

// The extent of the countdown text in a font of the given cell height; nullopt when
// the font cannot be had or measured.
using MeasureCountdown = std::function<std::optional<platform::Size>(int32_t cellHeight)>;

// The cell height of the countdown font in a box of `client` size: the largest of 12, 16,
// 20, ... before the first one measured whose text reaches the margins; 10 when none fits or
// the box is low.
int32_t FitCountdownFontHeight(platform::Size client, const MarkerMetrics& metrics,
                               const MeasureCountdown& measure);

}  // namespace glimtap
