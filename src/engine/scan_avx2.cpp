// Every header is included before the target switch, so only the scanner below is built
// for AVX2; the dispatcher calls it only on processors that have it.
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

#include "engine/closest_variants.h"
#include "engine/colour_difference.h"
#include "engine/scan_variants.h"

#pragma GCC push_options
#pragma GCC target("avx2")

#include "engine/closest_kernel.h"
#include "engine/scan_kernel.h"

namespace glimtap {
namespace {

struct Avx2Ops {
    using Vector = __m256i;
    static constexpr int kLanes = 8;

    static Vector Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static Vector Splat(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
    static Vector SplatBytes(uint8_t v) { return _mm256_set1_epi8(static_cast<char>(v)); }
    static Vector AllOnes() { return _mm256_set1_epi32(-1); }
    static Vector And(Vector a, Vector b) { return _mm256_and_si256(a, b); }
    static unsigned Mask(Vector v) { return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(v))); }

    // Per byte: the absolute difference, the larger value.
    static Vector Difference(Vector a, Vector b) { return _mm256_or_si256(_mm256_subs_epu8(a, b), _mm256_subs_epu8(b, a)); }
    static Vector Max(Vector a, Vector b) { return _mm256_max_epu8(a, b); }

    // All ones in each lane whose colour channels differ by at most the tolerance.
    static Vector Agree(Vector a, Vector b, Vector tolerance) {
        const Vector excess = _mm256_and_si256(_mm256_subs_epu8(Difference(a, b), tolerance), _mm256_set1_epi32(0xFFFFFF));
        return _mm256_cmpeq_epi32(excess, _mm256_setzero_si256());
    }
};

}  // namespace

void ScanAvx2(const ScanJob& job) { Scanner<Avx2Ops>(job).Run(); }

ClosestSpot ClosestAvx2(const ClosestJob& job) { return FindClosestSpot<Avx2Ops>(job); }

}  // namespace glimtap

#pragma GCC pop_options
