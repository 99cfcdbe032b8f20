#pragma once

#include <string_view>

namespace glimtap {

// True when the file name `a` sorts before `b` as people expect: letters A-Z without regard
// to case, runs of digits by their value (t2 before t10). Names that differ only in case or
// leading zeros still get one fixed order.
bool NameBefore(std::string_view a, std::string_view b);

}  // namespace glimtap
