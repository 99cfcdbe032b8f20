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

constexpr std::string_view kArea = "the part of the area on the screen is searched";
constexpr std::string_view kSwitch = "any value but 0 is on";

constexpr std::array kRanges{
    FieldRange{"fileVersion", "File version", 1, 1, "any version is written back as it is"},
    FieldRange{"areaLeft", "Area left", kMinCoordinate, kMaxCoordinate, kArea},
    FieldRange{"areaTop", "Area top", kMinCoordinate, kMaxCoordinate, kArea},
    FieldRange{"areaWidth", "Area width", 0, kMaxCoordinate, kArea},
    FieldRange{"areaHeight", "Area height", 0, kMaxCoordinate, kArea},
    FieldRange{"autoStopCount", "Auto stop count", 0, kMaxInt, "0 or less stops at the first match"},
    FieldRange{"autoStopEnabled", "Auto Stop", 0, 1, kSwitch},
    FieldRange{"speechAlerts", "Speech alerts", 0, 1, kSwitch},
    FieldRange{"overlayOnMatch", "Overlay", 0, 1, kSwitch},
    FieldRange{"matchDelayMs", "Match Time Delay (ms)", 0, kOneDayMs,
               "0 or less means no pause, more a pause that long"},
    FieldRange{"tolerance", "Tolerance", 0, 255, "below 0 acts as 0, above 255 as 255"},
    FieldRange{"moveCursorToMatch", "Move cursor", 0, 1, kSwitch},
    FieldRange{"touchAtMatch", "Touch", 0, 1, kSwitch},
    FieldRange{"executeEnabled", "Execute", 0, 1, kSwitch},
    FieldRange{"beepForSearch", "Beep", 0, 1, kSwitch},
};

}  // namespace

const FieldRange* FindFieldRange(std::string_view field) {
    for (const FieldRange& range : kRanges) {
        if (range.field == field) return &range;
    }
    return nullptr;
}

std::string StoredValueNote(const FieldRange& range, int32_t value) {
    return "The data file holds " + std::to_string(value) + ", outside " + std::to_string(range.min) +
           " to " + std::to_string(range.max) + ": it is kept as it is, and " + std::string(range.stored) + ".";
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
