// Decodes arbitrary bytes as a data file; whatever decodes must survive an encode/decode trip.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "engine/archive.h"
#include "engine/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    glimtap::DataFile first;
    try {
        glimtap::DecodeDataFile(std::span(data, size), first);
    } catch (const glimtap::FormatError&) {
        return 0;
    }
    const auto encoded = glimtap::EncodeDataFile(first);
    glimtap::DataFile second;
    try {
        glimtap::DecodeDataFile(encoded, second);
    } catch (const glimtap::FormatError&) {
        abort();
    }
    // The encoding holds every stored field, so equal encodings mean equal fields.
    if (glimtap::EncodeDataFile(second) != encoded) abort();
    return 0;
}
