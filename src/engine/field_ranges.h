#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace glimtap {

// The values a user may give a numeric setting, in the form, in `settings --set` and in
// the command line's options. A value a data file already holds is not checked: it opens,
// runs with the meaning the program has always given it, and is saved back as it is.
struct FieldRange {
    std::string_view field;  // the stored field's name ("tolerance")
    std::string_view label;  // how the user knows it ("Tolerance")
    int32_t min;
    int32_t max;
    std::string_view stored = {};  // what a stored value outside the range does
};

// The range of a stored int32 field; nullptr for a name that is none.
const FieldRange* FindFieldRange(std::string_view field);

// Says that `value`, held by a data file, lies outside `range`, is kept, and what it does.
std::string StoredValueNote(const FieldRange& range, int32_t value);

// `text` as a whole decimal number within `range`; nullopt otherwise, with `error` set to a
// message naming the field and its range ("Tolerance must be a whole number from 0 to 255.").
std::optional<int32_t> ParseInRange(std::string_view text, const FieldRange& range,
                                    std::string& error);

}  // namespace glimtap
