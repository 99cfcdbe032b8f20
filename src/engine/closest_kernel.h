#pragma once

// The closest-miss search, written once for any vector width. Each instruction set's
// translation unit includes this after selecting its target; everything here has
// internal linkage so the differently compiled copies never mix.
//
// Branch and bound: a position is given up at the first pixel whose difference reaches
// the best tolerance found so far, so the search is a scan whose tolerance shrinks.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "engine/closest_variants.h"
#include "engine/colour_difference.h"

namespace glimtap {
namespace {

// One position at a time, for areas too narrow for a vector of positions.
struct ScalarOps {
    using Vector = uint32_t;
    static constexpr int kLanes = 1;

    static Vector Load(const uint32_t* p) { return *p; }
    static Vector Splat(uint32_t v) { return v; }
    static unsigned Mask(Vector v) { return v >> 31; }
    // Per byte: the absolute difference, the larger value.
    static Vector Difference(Vector a, Vector b) { return Bytewise(a, b, [](int x, int y) { return std::abs(x - y); }); }
    static Vector Max(Vector a, Vector b) { return Bytewise(a, b, [](int x, int y) { return std::max(x, y); }); }
    static Vector Agree(Vector a, Vector b, Vector tolerance) {
        const Vector difference = Difference(a, b);
        for (int shift = 0; shift <= 16; shift += 8) {
            if (((difference >> shift) & 0xFF) > ((tolerance >> shift) & 0xFF)) return 0;
        }
        return ~0u;
    }

private:
    template <class Op>
    static Vector Bytewise(Vector a, Vector b, Op op) {
        Vector result = 0;
        for (int shift = 0; shift <= 24; shift += 8) {
            result |= static_cast<uint32_t>(op(int((a >> shift) & 0xFF), int((b >> shift) & 0xFF))) << shift;
        }
        return result;
    }
};

template <class Ops>
class Closer {
public:
    using Vector = typename Ops::Vector;
    static constexpr int kLanes = Ops::kLanes;

    explicit Closer(const ClosestJob& job)
        : job_(job),
          maxX_(job.area.width - job.templ.width),
          maxY_(job.area.height - job.templ.height),
          byColumns_(job.templ.scanByColumns != 0),
          count_(job.plan.offsets.size()) {}

    ClosestSpot Run() {
        if (byColumns_) {
            for (int32_t x = 0; x <= maxX_; x += kLanes) {
                const int32_t block = std::min(x, maxX_ - kLanes + 1);
                groupX_ = block;
                UpdateBound();
                for (int32_t y = 0; y <= maxY_; ++y) TryBlock(block, y, x - block);
            }
        } else {
            UpdateBound();
            for (int32_t y = 0; y <= maxY_; ++y) {
                for (int32_t x = 0; x <= maxX_; x += kLanes) {
                    const int32_t block = std::min(x, maxX_ - kLanes + 1);
                    TryBlock(block, y, x - block);
                }
            }
        }
        return best_;
    }

private:
    // Lanes before `done` were tried with the block before.
    void TryBlock(int32_t x, int32_t y, int32_t done) {
        const unsigned allowed = allowed_ & (~0u << done);
        if (allowed == 0) return;
        const uint32_t* base = job_.area.pixels + static_cast<size_t>(y) * job_.area.width + x;
        // Per lane and channel, the largest difference so far; looked at every four pixels,
        // as looking costs about as much as a pixel.
        Vector worst = Ops::Splat(0);
        size_t i = 0;
        for (; i + 4 <= count_; i += 4) {
            for (size_t k = i; k < i + 4; ++k) worst = Ops::Max(worst, DifferenceAt(base, k));
            if ((Within(worst) & allowed) == 0) return;
        }
        for (; i < count_; ++i) worst = Ops::Max(worst, DifferenceAt(base, i));
        const unsigned survivors = Within(worst) & allowed;
        for (int lane = 0; lane < kLanes; ++lane) {
            if ((survivors >> lane) & 1) Consider(x + lane, y);
        }
    }

    Vector DifferenceAt(const uint32_t* base, size_t i) const {
        return Ops::Difference(Ops::Load(base + job_.plan.offsets[i]), Ops::Splat(job_.plan.colours[i]));
    }

    // Bit i set: lane i's differences are all within its tolerance.
    unsigned Within(Vector worst) const { return Ops::Mask(Ops::Agree(worst, Ops::Splat(0), tolerances_)); }

    void Consider(int32_t x, int32_t y) {
        const uint32_t* base = job_.area.pixels + static_cast<size_t>(y) * job_.area.width + x;
        int32_t need = 0;
        for (size_t i = 0; i < count_; ++i) {
            need = std::max(need, ColourDifference(base[job_.plan.offsets[i]], job_.plan.colours[i]));
        }
        if (need > best_.need || (need == best_.need && !Before(x, y))) return;
        best_ = {x, y, need};
        UpdateBound();
    }

    // True when (x, y) comes before the best position in scan order.
    bool Before(int32_t x, int32_t y) const {
        return byColumns_ ? (x < best_.x || (x == best_.x && y < best_.y))
                          : (y < best_.y || (y == best_.y && x < best_.x));
    }

    // Per lane of the current block: a later position must need less than the best, an
    // earlier one no more. Blocks run in scan order, so only columns of the current group
    // left of the best one can be earlier.
    void UpdateBound() {
        allowed_ = 0;
        for (int lane = 0; lane < kLanes; ++lane) {
            const bool earlier = byColumns_ && best_.need <= 255 && groupX_ + lane < best_.x;
            const int32_t tolerance = earlier ? best_.need : best_.need - 1;
            if (tolerance >= 0) allowed_ |= 1u << lane;
            tolerancesWords_[lane] = static_cast<uint32_t>(std::min(tolerance, 255)) * 0x010101u;
        }
        tolerances_ = Ops::Load(tolerancesWords_);
    }

    const ClosestJob& job_;
    const int32_t maxX_;
    const int32_t maxY_;
    const bool byColumns_;
    const size_t count_;
    ClosestSpot best_{0, 0, 256};  // 256: none yet
    int32_t groupX_ = 0;
    unsigned allowed_ = 0;
    uint32_t tolerancesWords_[kLanes] = {};
    Vector tolerances_{};
};

// The vector search where a row holds a vector of positions, else one at a time.
template <class Ops>
ClosestSpot FindClosestSpot(const ClosestJob& job) {
    if (job.area.width - job.templ.width + 1 < Ops::kLanes) return Closer<ScalarOps>(job).Run();
    return Closer<Ops>(job).Run();
}

}  // namespace
}  // namespace glimtap
