#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

namespace glimtap {

// Numbers for the names of temporary files, "<path>.tmp-<number>".
using TemporaryNumbers = std::function<uint32_t()>;
// From the system's random source.
uint32_t RandomNumber();

// Writes `bytes` to a new file beside `path` and renames it into place, so readers
// never see a partial file and a failed write leaves what was there before.
// A symlink at `path` is replaced, never followed, and so is anything already at a
// temporary name: the next number is tried. Throws std::system_error.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                         const TemporaryNumbers& numbers = RandomNumber);

}  // namespace glimtap
