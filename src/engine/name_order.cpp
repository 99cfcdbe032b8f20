#include "engine/name_order.h"

#include <algorithm>

namespace glimtap {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char Folded(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// The run of digits at `at` without its leading zeros; moves `at` past the run.
std::string_view DigitRun(std::string_view text, size_t& at) {
    const size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    std::string_view run = text.substr(start, at - start);
    run.remove_prefix(std::min(run.find_first_not_of('0'), run.size()));
    return run;
}

}  // namespace

bool NameBefore(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::string_view x = DigitRun(a, i);
            const std::string_view y = DigitRun(b, j);
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
        } else if (Folded(a[i]) != Folded(b[j])) {
            return Folded(a[i]) < Folded(b[j]);
        } else {
            ++i, ++j;
        }
    }
    if (i < a.size() || j < b.size()) return j < b.size();
    return a < b;
}

}  // namespace glimtap
