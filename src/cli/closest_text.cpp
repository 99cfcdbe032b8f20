#include "cli/closest_text.h"

#include <sstream>

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
    std::ostringstream text;
    text << "{\"x\":" << miss.location.x << ",\"y\":" << miss.location.y << ",\"width\":" << miss.width
         << ",\"height\":" << miss.height << ",\"tolerance\":" << miss.tolerance
         << ",\"agreeing\":" << miss.AgreeingShare() << '}';
    return text.str();
}

}  // namespace glimtap::cli
