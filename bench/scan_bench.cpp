#include <benchmark/benchmark.h>

#include <random>

#include "engine/matcher.h"

namespace glimtap {
namespace {

struct Scene {
    std::vector<uint32_t> screen;
    int32_t width;
    int32_t height;
    TemplateImage templ;
};

std::vector<uint32_t> RandomPixels(size_t count, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> pixels(count);
    for (auto& p : pixels) p = rng() & 0xFFFFFF;
    return pixels;
}

// A random screen; the template is cut from it near the bottom-right corner, or is
// random noise that appears nowhere.
Scene RandomScene(int32_t width, int32_t height, int32_t side_w, int32_t side_h, bool present) {
    Scene s{RandomPixels(size_t(width) * height, 1), width, height, {}};
    s.templ.width = side_w;
    s.templ.height = side_h;
    s.templ.tolerance = 15;
    s.templ.maxMatches = 1;
    if (present) {
        const int32_t x0 = width - side_w - 3;
        const int32_t y0 = height - side_h - 2;
        for (int32_t r = 0; r < side_h; ++r)
            for (int32_t k = 0; k < side_w; ++k)
                s.templ.pixels.push_back(s.screen[size_t(y0 + r) * width + x0 + k]);
    } else {
        s.templ.pixels = RandomPixels(size_t(side_w) * side_h, 2);
    }
    return s;
}

// One colour everywhere, and a template of that colour but for one pixel that none of
// the first, centre and last pixels is: every position passes those three.
Scene FlatScene() {
    Scene s{std::vector<uint32_t>(1920 * 1080, 0x00336699), 1920, 1080, {}};
    s.templ.width = 40;
    s.templ.height = 20;
    s.templ.tolerance = 15;
    s.templ.maxMatches = 1;
    s.templ.pixels.assign(40 * 20, 0x00336699);
    s.templ.pixels[5 * 40 + 7] = 0x00FF0000;
    return s;
}

template <bool kReference>
void Scan(benchmark::State& state, const Scene& scene) {
    const platform::ScreenImage area{scene.screen.data(), scene.width, scene.height};
    std::vector<MatchPoint> results;
    for (auto _ : state) {
        results.clear();
        if constexpr (kReference) {
            ScanForTemplateReference(area, scene.templ, results);
        } else {
            ScanForTemplate(area, scene.templ, results);
        }
        benchmark::DoNotOptimize(results.data());
    }
    state.counters["matches"] = double(results.size());
}

void RegisterAll() {
    benchmark::RegisterBenchmark("Scan/flat_1920x1080/40x20", Scan<false>, FlatScene())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ScanReference/flat_1920x1080/40x20", Scan<true>, FlatScene())
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{3840, 1080}}) {
        for (const auto& [tw, th] : {std::pair{40, 20}, std::pair{100, 100}}) {
            for (const bool present : {false, true}) {
                const Scene scene = RandomScene(w, h, tw, th, present);
                const std::string name = std::to_string(w) + "x" + std::to_string(h) + "/" +
                                         std::to_string(tw) + "x" + std::to_string(th) +
                                         (present ? "/bottom_right" : "/absent");
                benchmark::RegisterBenchmark(("Scan/" + name).c_str(), Scan<false>, scene)
                    ->Unit(benchmark::kMillisecond);
                benchmark::RegisterBenchmark(("ScanReference/" + name).c_str(), Scan<true>, scene)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

const int registered = (RegisterAll(), 0);

}  // namespace
}  // namespace glimtap
