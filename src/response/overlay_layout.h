#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/geometry.h"

namespace glimtap {

// Sizes of a marker's drawing, in physical pixels, scaled from 96 dots per inch.
struct MarkerMetrics {
    int32_t outline = 0;  // width of the red frame
    int32_t marginX = 0;  // room the number leaves free across, in total
    int32_t marginY = 0;  // and down
    friend bool operator==(const MarkerMetrics&, const MarkerMetrics&) = default;
};

// 0 dpi counts as 96.
MarkerMetrics MarkerMetricsForDpi(int32_t dpi);

// The extent of the countdown text in a font of the given cell height; nullopt when
// the font cannot be had or measured.
using MeasureCountdown = std::function<std::optional<platform::Size>(int32_t cellHeight)>;

// The cell height of the countdown font: the largest of 12, 16, 20, ... before the first
// one measured whose text reaches the margins; 10 when none fits or the marker is low.
int32_t FitCountdownFontHeight(platform::Size client, const MarkerMetrics& metrics,
                               const MeasureCountdown& measure);

}  // namespace glimtap
