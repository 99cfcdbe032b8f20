#include "engine/field_ranges.h"

#include <array>
#include <charconv>
#include <limits>

namespace glimtap {
namespace {

constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();
// Screen coordinates: X and Windows both keep them within 16 bits.
constexpr int32_t kMaxCoordinate = 32767;
constexpr int32_t kMinCoordinate = -32768;
constexpr int32_t kOneDayMs = 86'400'000;

constexpr std::array kRanges{
    FieldRange{"fileVersion", "File version", 1, 1},
    FieldRange{"areaLeft", "Area left", kMinCoordinate, kMaxCoordinate},
    FieldRange{"areaTop", "Area top", kMinCoordinate, kMaxCoordinate},
    FieldRange{"areaWidth", "Area width", 0, kMaxCoordinate},
    FieldRange{"areaHeight", "Area height", 0, kMaxCoordinate},
    FieldRange{"autoStopCount", "Auto stop count", 0, kMaxInt},
    FieldRange{"autoStopEnabled", "Auto Stop", 0, 1},
    FieldRange{"speechAlerts", "Speech alerts", 0, 1},
    FieldRange{"overlayOnMatch", "Overlay", 0, 1},
    FieldRange{"matchDelayMs", "Match Time Delay (ms)", 0, kOneDayMs},
    FieldRange{"tolerance", "Tolerance", 0, 255},
    FieldRange{"moveCursorToMatch", "Move cursor", 0, 1},
    FieldRange{"touchAtMatch", "Touch", 0, 1},
    FieldRange{"executeEnabled", "Execute", 0, 1},
    FieldRange{"beepForSearch", "Beep", 0, 1},
};

}  // namespace

const FieldRange* FindFieldRange(std::string_view field) {
    for (const FieldRange& range : kRanges) {
        if (range.field == field) return &range;
    }
    return nullptr;
}

std::optional<int32_t> ParseInRange(std::string_view text, const FieldRange& range,
                                    std::string& error) {
    int32_t value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size() || text.empty() ||
        value < range.min || value > range.max) {
        error = std::string(range.label) + " must be a whole number from " +
                std::to_string(range.min) + " to " + std::to_string(range.max) + ".";
        return std::nullopt;
    }
    return value;
}

}  // namespace glimtap
