#include <emmintrin.h>

#include "engine/closest_kernel.h"
#include "engine/scan_kernel.h"

namespace glimtap {
namespace {

struct Sse2Ops {
    using Vector = __m128i;
    static constexpr int kLanes = 4;

    static Vector Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static Vector Splat(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
    static Vector SplatBytes(uint8_t v) { return _mm_set1_epi8(static_cast<char>(v)); }
    static Vector AllOnes() { return _mm_set1_epi32(-1); }
    static Vector And(Vector a, Vector b) { return _mm_and_si128(a, b); }
    static unsigned Mask(Vector v) { return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(v))); }

    // Per byte: the absolute difference, the larger value.
    static Vector Difference(Vector a, Vector b) { return _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)); }
    static Vector Max(Vector a, Vector b) { return _mm_max_epu8(a, b); }

    // All ones in each lane whose colour channels differ by at most the tolerance.
    static Vector Agree(Vector a, Vector b, Vector tolerance) {
        const Vector excess = _mm_and_si128(_mm_subs_epu8(Difference(a, b), tolerance), _mm_set1_epi32(0xFFFFFF));
        return _mm_cmpeq_epi32(excess, _mm_setzero_si128());
    }
};

}  // namespace

void ScanSse2(const ScanJob& job) { Scanner<Sse2Ops>(job).Run(); }

ClosestSpot ClosestSse2(const ClosestJob& job) { return FindClosestSpot<Sse2Ops>(job); }

}  // namespace glimtap
