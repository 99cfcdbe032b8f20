#pragma once

// The fast scan, written once for any vector width. Each instruction set's translation
// unit includes this after selecting its target; everything here has internal linkage
// so the differently compiled copies never mix.

#include <bit>
#include <vector>

#include "engine/colour_difference.h"
#include "engine/scan_variants.h"

namespace glimtap {
namespace {

template <class Ops>
class Scanner {
public:
    using Vector = typename Ops::Vector;
    static constexpr int kLanes = Ops::kLanes;
    static constexpr unsigned kAllLanes = (1u << kLanes) - 1;

    explicit Scanner(const ScanJob& job)
        : job_(job),
          width_(job.templ.width),
          height_(job.templ.height),
          maxX_(job.area.width - job.templ.width),
          maxY_(job.area.height - job.templ.height),
          tolerance_(Ops::SplatBytes(job.plan.channelTolerance)) {
        for (int i = 0; i < job.plan.count; ++i) colours_[i] = Ops::Splat(job.plan.probes[i].colour);
    }

    void Run() {
        if (job_.templ.scanByColumns != 0) {
            ScanColumns();
        } else {
            ScanRows();
        }
    }

private:
    const uint32_t* Row(int32_t y) const {
        return job_.area.pixels + static_cast<size_t>(y) * job_.area.width;
    }

    Vector Agree(Vector screen, Vector templ) const { return Ops::Agree(screen, templ, tolerance_); }

    bool AgreeOne(uint32_t screen, uint32_t templ) const {
        return PixelsAgree(screen, templ, job_.plan.channelTolerance);
    }

    // Bit i set: position (x + i, y) passes every probe of the plan.
    unsigned ProbeBlock(int32_t x, int32_t y) const {
        Vector passing = Ops::AllOnes();
        for (int i = 0; i < job_.plan.count; ++i) {
            const auto& probe = job_.plan.probes[i];
            const Vector screen = Ops::Load(Row(y + probe.dy) + x + probe.dx);
            passing = Ops::And(passing, Agree(screen, colours_[i]));
            if (Ops::Mask(passing) == 0) return 0;
        }
        return Ops::Mask(passing);
    }

    bool ProbesPass(int32_t x, int32_t y) const {
        for (int i = 0; i < job_.plan.count; ++i) {
            const auto& probe = job_.plan.probes[i];
            if (!AgreeOne(Row(y + probe.dy)[x + probe.dx], probe.colour)) return false;
        }
        return true;
    }

    bool FullMatch(int32_t x, int32_t y) const {
        const uint32_t* templ = job_.templ.pixels.data();
        for (int32_t r = 0; r < height_; ++r) {
            const uint32_t* screen = Row(y + r) + x;
            const uint32_t* expected = templ + static_cast<size_t>(r) * width_;
            if (width_ < kLanes) {
                for (int32_t k = 0; k < width_; ++k) {
                    if (!AgreeOne(screen[k], expected[k])) return false;
                }
                continue;
            }
            for (int32_t k = 0; k + kLanes <= width_; k += kLanes) {
                if (Ops::Mask(Agree(Ops::Load(screen + k), Ops::Load(expected + k))) != kAllLanes) {
                    return false;
                }
            }
            // The row's last lanes, overlapping what was already compared.
            const int32_t tail = width_ - kLanes;
            if (Ops::Mask(Agree(Ops::Load(screen + tail), Ops::Load(expected + tail))) != kAllLanes) {
                return false;
            }
        }
        return true;
    }

    bool Matches(int32_t x, int32_t y) const { return ProbesPass(x, y) && FullMatch(x, y); }

    // True when the template's bound on matches is reached.
    bool Record(int32_t x, int32_t y) {
        job_.results.push_back({job_.area.left + x, job_.area.top + y});
        return job_.templ.maxMatches > 0 && std::ssize(job_.results) >= job_.templ.maxMatches;
    }

    void ScanRows() {
        for (int32_t y = 0; y <= maxY_; ++y) {
            int32_t x = 0;
            while (x <= maxX_) {
                if (x + kLanes - 1 > maxX_) {
                    if (!Matches(x, y)) {
                        ++x;
                        continue;
                    }
                    if (Record(x, y)) return;
                    x += width_;
                    continue;
                }
                unsigned candidates = ProbeBlock(x, y);
                int32_t next = x + kLanes;
                while (candidates != 0) {
                    const int32_t at = x + std::countr_zero(candidates);
                    if (!FullMatch(at, y)) {
                        candidates &= candidates - 1;
                        continue;
                    }
                    if (Record(at, y)) return;
                    const int32_t after = at + width_;
                    if (after >= next) {
                        next = after;
                        break;
                    }
                    candidates &= ~0u << (after - x);
                }
                x = next;
            }
        }
    }

    // True when the template's bound on matches is reached.
    bool ScanColumn(int32_t x, const std::vector<uint8_t>* blockMasks, int lane) {
        int32_t y = 0;
        while (y <= maxY_) {
            const bool candidate = blockMasks ? ((*blockMasks)[y] >> lane) & 1 : ProbesPass(x, y);
            if (!candidate || !FullMatch(x, y)) {
                ++y;
                continue;
            }
            if (Record(x, y)) return true;
            y += height_;
        }
        return false;
    }

    // Probes run a block of columns at a time, then each column is walked down.
    void ScanColumns() {
        std::vector<uint8_t> blockMasks(static_cast<size_t>(maxY_) + 1);
        int32_t x = 0;
        for (; x + kLanes - 1 <= maxX_; x += kLanes) {
            for (int32_t y = 0; y <= maxY_; ++y) {
                blockMasks[y] = static_cast<uint8_t>(ProbeBlock(x, y));
            }
            for (int lane = 0; lane < kLanes; ++lane) {
                if (ScanColumn(x + lane, &blockMasks, lane)) return;
            }
        }
        for (; x <= maxX_; ++x) {
            if (ScanColumn(x, nullptr, 0)) return;
        }
    }

    const ScanJob& job_;
    const int32_t width_;
    const int32_t height_;
    const int32_t maxX_;
    const int32_t maxY_;
    const Vector tolerance_;
    Vector colours_[ScanPlan::kMaxProbes];
};

}  // namespace
}  // namespace glimtap
