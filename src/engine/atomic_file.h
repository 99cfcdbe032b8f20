#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace glimtap {

// Writes `bytes` to a new file beside `path` and renames it into place, so readers
// never see a partial file and a failed write leaves what was there before.
// A symlink at `path` is replaced, never followed. Throws std::system_error.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace glimtap
