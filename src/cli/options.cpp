#include "cli/options.h"

#include <optional>

#include "engine/field_ranges.h"

namespace glimtap::cli {

std::string_view ArgumentList::ValueOf(std::string_view option) {
    if (Done()) throw CliError(std::string(option) + " needs a value");
    return Next();
}

int32_t ParseInt32(std::string_view text, std::string_view what, int32_t min, int32_t max) {
    const FieldRange range{what, what, min, max};
    std::string ignored;
    const std::optional<int32_t> value = ParseInRange(text, range, ignored);
    if (!value) {
        throw CliError(std::string(what) + " must be a whole number from " + std::to_string(min) +
                       " to " + std::to_string(max) + ", not '" + std::string(text) + "'");
    }
    return *value;
}

int32_t ParseFieldValue(std::string_view text, std::string_view field, std::string_view what) {
    const FieldRange* range = FindFieldRange(field);
    return range != nullptr ? ParseInt32(text, what, range->min, range->max) : ParseInt32(text, what);
}

platform::ScreenRect ParseArea(std::string_view text) {
    int32_t parts[4];
    std::string_view rest = text;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? rest.find(',') : rest.npos;
        if (i < 3 && comma == rest.npos) {
            throw CliError("--area takes LEFT,TOP,WIDTH,HEIGHT, not '" + std::string(text) + "'");
        }
        parts[i] = ParseInt32(rest.substr(0, comma), "--area");
        rest = comma == rest.npos ? std::string_view{} : rest.substr(comma + 1);
    }
    if (parts[2] <= 0 || parts[3] <= 0) throw CliError("--area needs a positive width and height");
    return {parts[0], parts[1], parts[2], parts[3]};
}

}  // namespace glimtap::cli
