#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/closest_text.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/screen_backends.h"
#include "engine/area_on_screen.h"
#include "engine/find_closest.h"
#include "engine/matcher.h"
#include "engine/template_image.h"
#include "platform/image_screen.h"
#include "platform/utf16.h"

namespace glimtap::cli {
namespace {

struct FindOptions {
    std::string templatePath;
    std::string imagePath;  // empty: the live screen
    bool screen = false;    // --screen given
    std::optional<platform::ScreenRect> area;
    int32_t tolerance = 15;
    int32_t maxMatches = 1;
    bool byColumns = false;
    int32_t repeat = 1;
    bool json = false;
    bool closest = false;  // when nothing matched, say where the template came closest
};

FindOptions ParseFindOptions(std::span<char* const> args) {
    FindOptions o;
    ArgumentList list(args);
    while (!list.Done()) {
        const std::string_view arg = list.Next();
        if (arg == "--template") {
            o.templatePath = list.ValueOf(arg);
        } else if (arg == "--screen") {
            o.screen = true;
        } else if (arg == "--image") {
            o.imagePath = list.ValueOf(arg);
        } else if (arg == "--area") {
            o.area = ParseArea(list.ValueOf(arg));
        } else if (arg == "--tolerance") {
            o.tolerance = ParseFieldValue(list.ValueOf(arg), "tolerance", arg);
        } else if (arg == "--max-matches") {
            o.maxMatches = ParseInt32(list.ValueOf(arg), arg, 0);
        } else if (arg == "--by-columns") {
            o.byColumns = true;
        } else if (arg == "--repeat") {
            o.repeat = ParseInt32(list.ValueOf(arg), arg, 1);
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--closest") {
            o.closest = true;
        } else {
            throw CliError("find: unknown argument '" + std::string(arg) + "'");
        }
    }
    if (o.templatePath.empty()) throw CliError("find needs --template FILE.bmp");
    if (o.screen && !o.imagePath.empty()) throw CliError("find takes --screen or --image, not both");
    return o;
}

TemplateImage LoadBitmap(const std::string& path, const char* role) {
    TemplateImage image;
    std::string whyNot;
    if (!LoadTemplateImage(image, PathFromString(path), &whyNot)) {
        throw CliError(std::string("cannot load ") + role + " '" + path + "': " + whyNot);
    }
    return image;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int RunFind(std::span<char* const> args, std::ostream& out) {
    const FindOptions options = ParseFindOptions(args);
    TemplateImage templ = LoadBitmap(options.templatePath, "template");
    templ.tolerance = options.tolerance;
    templ.maxMatches = options.maxMatches;
    templ.scanByColumns = options.byColumns ? 1 : 0;

    ScreenBackends backends;
    std::unique_ptr<platform::ScreenCapture> capture;
    platform::ScreenRect screen;
    if (options.imagePath.empty()) {
        backends = OpenScreenBackends(false);
        capture = backends.set->OpenCapture();
        if (capture == nullptr) throw CliError("no screen available: " + backends.set->Missing());
        screen = backends.set->Geometry().VirtualScreen();
    } else {
        TemplateImage image = LoadBitmap(options.imagePath, "screen image");
        screen = {0, 0, image.width, image.height};
        capture = std::make_unique<platform::ImageScreen>(std::move(image.pixels), image.width,
                                                           image.height);
    }
    const platform::ScreenRect area = options.area.value_or(screen);
    if (const auto offScreen = AreaOffScreen(area, screen)) throw CliError(*offScreen);

    std::vector<MatchPoint> matches;
    std::vector<double> captureMs;
    std::vector<double> scanMs;
    std::optional<ClosestMiss> closest;
    for (int32_t run = 0; run < options.repeat; ++run) {
        matches.clear();
        if (area.width < templ.width || area.height < templ.height) break;
        const auto start = std::chrono::steady_clock::now();
        const auto image = capture->Capture(area);
        captureMs.push_back(MillisecondsSince(start));
        if (!image) throw CliError("cannot capture the screen area");
        const auto scanStart = std::chrono::steady_clock::now();
        ScanForTemplate(*image, templ, matches);
        scanMs.push_back(MillisecondsSince(scanStart));
        if (options.closest && matches.empty() && run + 1 == options.repeat) {
            closest = FindClosest(templ, *image);
        }
    }

    if (options.json) {
        std::string list;
        for (const MatchPoint& m : matches) {
            if (!list.empty()) list += ',';
            list += JsonObject()
                        .Int("x", m.x)
                        .Int("y", m.y)
                        .Int("width", templ.width)
                        .Int("height", templ.height)
                        .Close();
        }
        JsonObject result;
        result.Raw("matches", "[" + list + "]")
            .Number("capture_ms", captureMs.empty() ? 0 : Median(captureMs))
            .Number("scan_ms", scanMs.empty() ? 0 : Median(scanMs));
        if (closest) result.Raw("closest", ClosestJson(*closest));
        out << result.Close() << '\n';
    } else {
        for (const MatchPoint& m : matches) {
            out << m.x << ' ' << m.y << ' ' << templ.width << ' ' << templ.height << '\n';
        }
        if (closest) out << ClosestLine(*closest, templ.tolerance) << '\n';
    }
    return matches.empty() ? 1 : 0;
}

}  // namespace glimtap::cli
