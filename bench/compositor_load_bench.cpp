#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/find_template.h"
#include "platform/backends.h"
#include "support/wayland_test_window.h"

namespace glimtap {
namespace {

// The compositor's CPU seconds so far (user and system, /proc/PID/stat); its process is the
// one named in SWAYSOCK (sway-ipc.UID.PID.sock). Negative when it cannot be told.
double CompositorCpuSeconds() {
    const char* socket = std::getenv("SWAYSOCK");
    if (socket == nullptr) return -1;
    const std::string name = socket;
    const size_t end = name.rfind(".sock"), start = name.rfind('.', end - 1);
    std::ifstream stat("/proc/" + name.substr(start + 1, end - start - 1) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), {});
    if (text.empty()) return -1;
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
    return (std::stod(f[11]) + std::stod(f[12])) / double(sysconf(_SC_CLK_TCK));
}

// Ten seconds of the compositor with a still screen or a client redrawing at 60 Hz (range 0),
// with or without a search of ten absent templates running all the while (range 1): its CPU
// time over those seconds, in percent of one core.
void BM_CompositorLoad(benchmark::State& state) {
    if (CompositorCpuSeconds() < 0) {
        state.SkipWithError("not on sway");
        return;
    }
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    std::vector<std::unique_ptr<test::WaylandTestWindow>> windows;
    for (const platform::WaylandOutput* output : platform::WaylandConnection().Outputs()) {
        windows.push_back(std::make_unique<test::WaylandTestWindow>(
            output->name, [](int32_t x, int32_t y) { return (x * 7919u ^ y * 104729u) * 2654435761u >> 8; }));
    }
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::thread search;
        if (state.range(1) != 0) {
            search = std::thread([&] {
                const std::unique_ptr<platform::ScreenCapture> capture = backends->OpenCapture();
                SearchSettings settings;
                const platform::Size screen = backends->Geometry().VirtualScreenSize();
                settings.areaWidth = screen.width;
                settings.areaHeight = screen.height;
                TemplateImage t;
                t.width = 40;
                t.height = 20;
                t.tolerance = 15;
                t.maxMatches = 1;
                t.pixels.assign(40 * 20, 0x123456);
                std::vector<MatchPoint> results;
                while (!stop) FindTemplateOnScreen(t, results, settings, *capture);
            });
        }
        const double before = CompositorCpuSeconds();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end) {
            if (state.range(0) != 0) {
                for (const auto& window : windows) window->Redraw();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(16667));
        }
        state.counters["compositor_cpu_percent"] = (CompositorCpuSeconds() - before) * 10;
        stop = true;
        if (search.joinable()) search.join();
    }
}
BENCHMARK(BM_CompositorLoad)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"redrawing", "searching"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
}  // namespace glimtap
