#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

#include "platform/backends.h"

namespace glimtap::platform {
namespace {

// Captures `area` with the production backend. Timed by the wall clock: most of the work
// is done by the X server, not by this process.
void RunCapture(benchmark::State& state, const ScreenRect& area) {
    const std::unique_ptr<BackendSet> backends = OpenBackends();
    const std::unique_ptr<ScreenCapture> capture = backends->OpenCapture();
    if (capture == nullptr) {
        state.SkipWithError(backends->Missing().c_str());
        return;
    }
    for (auto _ : state) {
        const std::optional<ScreenImage> image = capture->Capture(area);
        if (!image) {
            state.SkipWithError("capture failed");
            break;
        }
        benchmark::DoNotOptimize(image->pixels);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{area.width} * area.height * 4);
}

void BM_CaptureFullScreen(benchmark::State& state) {
    const Size screen = OpenBackends()->Geometry().VirtualScreenSize();
    RunCapture(state, {0, 0, screen.width, screen.height});
}
BENCHMARK(BM_CaptureFullScreen)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_CaptureArea400x300(benchmark::State& state) {
    RunCapture(state, {200, 150, 400, 300});
}
BENCHMARK(BM_CaptureArea400x300)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace glimtap::platform
