#include "cli/options.h"

#include <charconv>

namespace glimtap::cli {

std::string_view ArgumentList::ValueOf(std::string_view option) {
    if (Done()) throw CliError(std::string(option) + " needs a value");
    return Next();
}

int32_t ParseInt32(std::string_view text, std::string_view what) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        throw CliError(std::string(what) + " must be a whole number from -2147483648 to 2147483647, not '" +
                       std::string(text) + "'");
    }
    return value;
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
