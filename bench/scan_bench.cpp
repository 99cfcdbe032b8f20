#include <benchmark/benchmark.h>

#include <random>

#include "engine/find_closest.h"
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

// A desktop-like screen: flat panels and dark text-like strokes. The template is cut
// from another such picture, so it appears nowhere.
Scene UiScene() {
    const auto draw = [](int32_t width, int32_t height, uint32_t seed) {
        std::mt19937 rng(seed);
        std::vector<uint32_t> pixels(size_t(width) * height);
        const uint32_t panels[] = {0x00F0F0F0, 0x00FFFFFF, 0x003C3C3C, 0x00D6E4F0};
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) pixels[size_t(y) * width + x] = panels[(x / 97 + y / 61) % 4];
        for (int strokes = width * height / 40; strokes > 0; --strokes) {
            const int32_t x = rng() % width, y = rng() % height, length = 1 + rng() % 6;
            const bool down = rng() % 2;
            for (int32_t k = 0; k < length; ++k) {
                pixels[size_t(std::min(height - 1, y + (down ? k : 0))) * width +
                       std::min(width - 1, x + (down ? 0 : k))] = 0x00101010 * (rng() % 4);
            }
        }
        return pixels;
    };
    Scene s{draw(1920, 1080, 3), 1920, 1080, {}};
    s.templ = {1, 0, 15, 40, 20, {}};
    const std::vector<uint32_t> other = draw(100, 100, 4);
    for (int32_t r = 0; r < 20; ++r)
        for (int32_t k = 0; k < 40; ++k) s.templ.pixels.push_back(other[size_t(50 + r) * 100 + 50 + k]);
    return s;
}

void Closest(benchmark::State& state, const Scene& scene) {
    const platform::ScreenImage area{scene.screen.data(), scene.width, scene.height};
    std::optional<ClosestMiss> miss;
    for (auto _ : state) {
        miss = FindClosest(scene.templ, area);
        benchmark::DoNotOptimize(miss);
    }
    state.counters["tolerance"] = miss ? miss->tolerance : -1;
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
    for (const auto& [name, scene] : {std::pair{"random", RandomScene(1920, 1080, 40, 20, false)},
                                      std::pair{"ui", UiScene()}}) {
        const std::string suffix = std::string("/") + name + "_1920x1080/40x20/absent";
        benchmark::RegisterBenchmark(("Closest" + suffix).c_str(), Closest, scene)
            ->Unit(benchmark::kMillisecond);
        if (std::string(name) == "ui") {
            benchmark::RegisterBenchmark(("Scan" + suffix).c_str(), Scan<false>, scene)
                ->Unit(benchmark::kMillisecond);
        }
    }
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
