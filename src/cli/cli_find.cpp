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
#include "engine/find_closest.h"
#include "engine/matcher.h"
#include "engine/template_image.h"
#include "platform/backends.h"
#include "platform/fake/image_capture.h"

namespace glimtap::cli {
namespace {

struct FindOptions {
    std::string templatePath;
    std::string imagePath;  // empty: the live screen
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
            o.imagePath.clear();
        } else if (arg == "--image") {
            o.imagePath = list.ValueOf(arg);
        } else if (arg == "--area") {
            o.area = ParseArea(list.ValueOf(arg));
        } else if (arg == "--tolerance") {
            o.tolerance = ParseInt32(list.ValueOf(arg), arg);
        } else if (arg == "--max-matches") {
            o.maxMatches = ParseInt32(list.ValueOf(arg), arg);
        } else if (arg == "--by-columns") {
            o.byColumns = true;
        } else if (arg == "--repeat") {
            o.repeat = ParseInt32(list.ValueOf(arg), arg);
            if (o.repeat < 1) throw CliError("--repeat must be at least 1");
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--closest") {
            o.closest = true;
        } else {
            throw CliError("find: unknown argument '" + std::string(arg) + "'");
        }
    }
    if (o.templatePath.empty()) throw CliError("find needs --template FILE.bmp");
    return o;
}

TemplateImage LoadBitmap(const std::string& path, const char* role) {
    TemplateImage image;
    if (!LoadTemplateImage(image, path)) {
        throw CliError(std::string("cannot load ") + role + " '" + path +
                       "': not a readable 24- or 32-bit bitmap");
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

    std::unique_ptr<platform::ScreenCapture> capture;
    platform::Size screen;
    if (options.imagePath.empty()) {
        // Asked before the capture opens: a display gone by then makes the capture fail,
        // so a size of 0 x 0 is never taken for an empty screen.
        screen = platform::OpenDesktop()->VirtualScreenSize();
        try {
            capture = platform::OpenScreenCapture();
        } catch (const platform::Unavailable& e) {
            throw CliError(e.what());
        }
    } else {
        TemplateImage image = LoadBitmap(options.imagePath, "screen image");
        screen = {image.width, image.height};
        capture = std::make_unique<platform::ImageCapture>(std::move(image.pixels), image.width,
                                                           image.height);
    }
    const platform::ScreenRect area = options.area.value_or(platform::ScreenRect{0, 0, screen.width, screen.height});

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
        ScanForTemplate(*image, area.left, area.top, templ, matches);
        scanMs.push_back(MillisecondsSince(scanStart));
        if (options.closest && matches.empty() && run + 1 == options.repeat) {
            closest = FindClosest(templ, *image, area.left, area.top);
        }
    }

    if (options.json) {
        out << "{\"matches\":[";
        for (size_t i = 0; i < matches.size(); ++i) {
            out << (i ? "," : "") << "{\"x\":" << matches[i].x << ",\"y\":" << matches[i].y
                << ",\"width\":" << templ.width << ",\"height\":" << templ.height << "}";
        }
        out << "],\"capture_ms\":" << (captureMs.empty() ? 0 : Median(captureMs))
            << ",\"scan_ms\":" << (scanMs.empty() ? 0 : Median(scanMs));
        if (closest) out << ",\"closest\":" << ClosestJson(*closest);
        out << "}\n";
    } else {
        for (const MatchPoint& m : matches) {
            out << m.x << ' ' << m.y << ' ' << templ.width << ' ' << templ.height << '\n';
        }
        if (closest) out << ClosestLine(*closest, templ.tolerance) << '\n';
    }
    return matches.empty() ? 1 : 0;
}

}  // namespace glimtap::cli
