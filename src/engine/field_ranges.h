#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace glimtap {

// The values a user may give a numeric setting, in the form, in `settings --set` and in
// the command line's options. Values already stored in a data file are shown and kept as
// they are; only new input is checked.
struct FieldRange {
    std::string_view field;  // the stored field's name ("tolerance")
    std::string_view label;  // how the user knows it ("Tolerance")
    int32_t min;
    int32_t max;
};

// The range of a stored int32 field; nullptr for a name that is none.
const FieldRange* FindFieldRange(std::string_view field);

// `text` as a whole decimal number within `range`; nullopt otherwise, with `error` set to a
// message naming the field and its range ("Tolerance must be a whole number from 0 to 255.").
std::optional<int32_t> ParseInRange(std::string_view text, const FieldRange& range,
                                    std::string& error);

}  // namespace glimtap
