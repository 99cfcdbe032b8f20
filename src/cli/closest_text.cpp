#include "cli/closest_text.h"

#include <sstream>

#include "cli/json_writer.h"

namespace glimtap::cli {

std::string ClosestLine(const ClosestMiss& miss, int32_t tolerance) {
    const int64_t pixels = int64_t(miss.width) * miss.height;
    const int64_t tenths = miss.agreeingPixels * 1000 / pixels;
    std::ostringstream text;
    text << "closest " << miss.location.x << ' ' << miss.location.y << " needs tolerance "
         << miss.tolerance << " (" << tenths / 10 << '.' << tenths % 10 << "% of pixels within "
         << tolerance << ')';
    return text.str();
}

std::string ClosestJson(const ClosestMiss& miss) {
    return JsonObject()
        .Int("x", miss.location.x)
        .Int("y", miss.location.y)
        .Int("width", miss.width)
        .Int("height", miss.height)
        .Int("tolerance", miss.tolerance)
        .Number("agreeing", miss.AgreeingShare())
        .Close();
}

}  // namespace glimtap::cli
