#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/geometry.h"

namespace glimtap::cli {

// A fault in the command line or its inputs; the message is shown as it stands and the
// program exits with status 2.
class CliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Walks the arguments after the subcommand.
class ArgumentList {
public:
    explicit ArgumentList(std::span<char* const> args) : args_(args) {}

    bool Done() const { return next_ >= args_.size(); }
    std::string_view Next() { return args_[next_++]; }
    // The value that must follow `option`.
    std::string_view ValueOf(std::string_view option);

private:
    std::span<char* const> args_;
    size_t next_ = 0;
};

// The whole text as a decimal number from `min` to `max`; `what` names it in the error.
int32_t ParseInt32(std::string_view text, std::string_view what,
                   int32_t min = std::numeric_limits<int32_t>::min(),
                   int32_t max = std::numeric_limits<int32_t>::max());
// The value for the stored field `field` (FIELD=VALUE of `settings --set`, or an option
// standing for it), checked against the field's range; `what` names it in the error.
int32_t ParseFieldValue(std::string_view text, std::string_view field, std::string_view what);
// "LEFT,TOP,WIDTH,HEIGHT" with a positive width and height.
platform::ScreenRect ParseArea(std::string_view text);

}  // namespace glimtap::cli
