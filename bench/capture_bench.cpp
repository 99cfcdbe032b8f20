#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "consented_backends.h"

namespace glimtap::platform {
namespace {

// Captures `area` with the production backend. Timed by the wall clock: most of the work
// is done by the display server, not by this process. A Wayland compositor answers at its
// next frame, so the median and the worst capture are counted too; a portal's capture
// copies the newest frame of its PipeWire stream. An empty area: the whole screen.
void RunCapture(benchmark::State& state, ScreenRect area) {
    const std::unique_ptr<bench::ConsentedBackends> opened = bench::OpenConsentedBackends();
    if (opened->set == nullptr || !opened->set->CanCapture()) {
        state.SkipWithError(opened->set ? opened->set->Missing().c_str() : "no consent to capture");
        return;
    }
    if (area.width == 0) area = opened->set->Geometry().VirtualScreen();
    const std::unique_ptr<ScreenCapture> capture = opened->set->OpenCapture();
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::optional<ScreenImage> image = capture->Capture(area);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!image) {
            state.SkipWithError("capture failed");
            break;
        }
        benchmark::DoNotOptimize(image->pixels);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{area.width} * area.height * 4);
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) return;
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["worst_ms"] = ms.back();
}

void BM_CaptureFullScreen(benchmark::State& state) {
    RunCapture(state, {});
}
BENCHMARK(BM_CaptureFullScreen)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_CaptureArea400x300(benchmark::State& state) {
    RunCapture(state, {200, 150, 400, 300});
}
BENCHMARK(BM_CaptureArea400x300)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace glimtap::platform
