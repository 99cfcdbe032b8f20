#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "consented_backends.h"
#include "engine/find_template.h"
#include "support/wayland_test_window.h"
#include "support/x_drawing.h"

namespace glimtap {
namespace {

// One search pass as the worker runs it: ten templates of 40 x 20, none on a screen of
// random noise, each with a capture of its own of the whole screen.
void BM_SearchPassTenTemplates(benchmark::State& state) {
    const std::unique_ptr<bench::ConsentedBackends> opened = bench::OpenConsentedBackends();
    if (opened->set == nullptr || !opened->set->CanCapture()) {
        state.SkipWithError(opened->set ? opened->set->Missing().c_str() : "no consent to capture");
        return;
    }
    platform::BackendSet* backends = opened->set.get();
    const std::unique_ptr<platform::ScreenCapture> capture = backends->OpenCapture();
    SearchSettings settings;
    const platform::Size screen = backends->Geometry().VirtualScreenSize();
    settings.areaWidth = screen.width;
    settings.areaHeight = screen.height;

    std::mt19937 rng(7);
    // Noise on the X root, or on every Wayland output by a window of the benchmark's own; on
    // the portal's desktop the tests' client shows it already.
    std::vector<std::unique_ptr<test::WaylandTestWindow>> windows;
    const bool shown = opened->picture != nullptr;
    if (!shown && std::getenv("WAYLAND_DISPLAY") != nullptr) {
        for (const platform::WaylandOutput* output : platform::WaylandConnection().Outputs()) {
            windows.push_back(std::make_unique<test::WaylandTestWindow>(
                output->name, [](int32_t x, int32_t y) { return (x * 7919u ^ y * 104729u) * 2654435761u >> 8; }));
        }
    } else if (!shown) {
        std::vector<uint32_t> noise(size_t(screen.width) * screen.height);
        for (uint32_t& pixel : noise) pixel = rng() & 0xFFFFFF;
        test::ScreenPainter().DrawOnRoot(0, 0, screen.width, screen.height, noise);
    }

    std::vector<TemplateImage> templates(10);
    for (TemplateImage& t : templates) {
        t.width = 40;
        t.height = 20;
        t.tolerance = 15;
        t.maxMatches = 1;
        for (int i = 0; i < 40 * 20; ++i) t.pixels.push_back(rng() & 0xFFFFFF);
    }
    std::vector<MatchPoint> results;
    for (auto _ : state) {
        for (const TemplateImage& t : templates) {
            benchmark::DoNotOptimize(FindTemplateOnScreen(t, results, settings, *capture));
        }
    }
}
BENCHMARK(BM_SearchPassTenTemplates)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace glimtap
