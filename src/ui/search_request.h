#pragma once

namespace glimtap {

// What the hot key and `glimtap --toggle`, `--start` and `--stop` ask of the search.
enum class SearchRequest { kToggle, kStart, kStop };

}  // namespace glimtap
