#include "engine/matcher.h"
#include "engine/scan_variants.h"

namespace glimtap {

bool CpuHasAvx2() { return __builtin_cpu_supports("avx2"); }

void ScanForTemplate(const platform::ScreenImage& area, const TemplateImage& templ,
                     std::vector<MatchPoint>& results) {
    if (!IsUsableTemplate(templ) || area.width < templ.width || area.height < templ.height) return;
    const ScanPlan plan = MakeScanPlan(templ);
    const ScanJob job{area, templ, plan, results};
    static const auto scan = CpuHasAvx2() ? ScanAvx2 : ScanSse2;
    scan(job);
}

}  // namespace glimtap
