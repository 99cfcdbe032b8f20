#include "platform/wayland/wayland_capture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/area_clip.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace glimtap::platform {
namespace {

constexpr auto kFrameTimeout = std::chrono::seconds(2);

ScreenRect Intersect(const ScreenRect& a, const ScreenRect& b) {
    const int64_t left = std::max(a.left, b.left);
    const int64_t top = std::max(a.top, b.top);
    const int64_t right = std::min(int64_t{a.left} + a.width, int64_t{b.left} + b.width);
    const int64_t bottom = std::min(int64_t{a.top} + a.height, int64_t{b.top} + b.height);
    if (right <= left || bottom <= top) return {};
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

// What to ask wlroots for: a region in the output's layout units, which it scales to output
// pixels; rounded outwards, with where `part` starts in what comes back.
struct Region {
    int32_t x, y, width, height;
    Point offset;
};

Region RegionFor(const WaylandOutput& output, const ScreenRect& part) {
    const double scale = static_cast<double>(output.physical.width) / output.logical.width;
    const auto toUnits = [scale](int32_t pixels, double (*round)(double)) {
        return static_cast<int32_t>(round(pixels / scale));
    };
    const auto toPixels = [scale](int32_t units) {
        return static_cast<int32_t>(std::lround(units * scale));
    };
    const int32_t left = part.left - output.physical.left;
    const int32_t top = part.top - output.physical.top;
    const int32_t x = toUnits(left, std::floor);
    const int32_t y = toUnits(top, std::floor);
    return {x,
            y,
            toUnits(left + part.width, std::ceil) - x,
            toUnits(top + part.height, std::ceil) - y,
            {left - toPixels(x), top - toPixels(y)}};
}

// Red in bits 16-23 as they come (bits 24-31 are free to hold anything).
bool IsXrgb(uint32_t format) {
    return format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888;
}
bool IsXbgr(uint32_t format) {
    return format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
}

// The fourcc of a wl_shm format ("RG16"); the two oldest formats are numbered 0 and 1.
std::string FormatName(uint32_t format) {
    if (format < 256) return "wl_shm format " + std::to_string(format);
    std::string name;
    for (int shift = 0; shift < 32; shift += 8) name += static_cast<char>((format >> shift) & 0xff);
    return "format " + name;
}

}  // namespace

// One output's part of a capture.
struct WaylandCapture::Frame {
    struct Destroy {
        void operator()(zwlr_screencopy_frame_v1* frame) const noexcept {
            zwlr_screencopy_frame_v1_destroy(frame);
        }
    };
    uint32_t outputName = 0;
    ScreenRect part;  // on the desktop
    Point offset;     // of the part's first pixel in the compositor's buffer
    std::unique_ptr<zwlr_screencopy_frame_v1, Destroy> proxy;
    WaylandCapture* owner = nullptr;
    uint32_t format = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    bool yInvert = false;
    bool copying = false;
    enum class State { kWaiting, kReady, kFailed } state = State::kWaiting;
    const WaylandShmBuffer* buffer = nullptr;

    const uint8_t* Row(int32_t y) const {
        const int32_t row = offset.y + y;
        return buffer->Data() +
               static_cast<size_t>(yInvert ? height - 1 - row : row) * static_cast<size_t>(stride) +
               static_cast<size_t>(offset.x) * 4;
    }
};

WaylandCapture::WaylandCapture() : connection_(std::make_unique<WaylandConnection>()) {}

WaylandCapture::~WaylandCapture() = default;

void WaylandCapture::Lost() const {
    throw ScreenLost("the connection to the " + connection_->Description() + " was lost");
}

std::optional<ScreenImage> WaylandCapture::Capture(const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return std::nullopt;
    // Outputs that came or went since the last capture.
    if (!connection_->Refresh()) Lost();
    const std::vector<const WaylandOutput*> outputs = connection_->Outputs();
    std::erase_if(buffers_, [&outputs](const auto& entry) {
        return std::none_of(outputs.begin(), outputs.end(), [&entry](const WaylandOutput* o) {
            return o->globalName == entry.first;
        });
    });
    std::vector<std::unique_ptr<Frame>> frames;
    std::vector<ScreenRect> parts;
    for (const WaylandOutput* output : outputs) {
        const ScreenRect part = Intersect(area, output->physical);
        if (part.width == 0) continue;
        const Region region = RegionFor(*output, part);
        auto frame = std::make_unique<Frame>();
        frame->outputName = output->globalName;
        frame->part = part;
        frame->offset = region.offset;
        frame->owner = this;
        frame->proxy.reset(zwlr_screencopy_manager_v1_capture_output_region(
            connection_->ScreencopyManager(), 0, output->output, region.x, region.y, region.width,
            region.height));
        frames.push_back(std::move(frame));
        parts.push_back(part);
    }
    if (frames.empty()) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    if (!CopyFrames(frames)) return std::nullopt;
    const ScreenRect image = BoundingBox(parts);

    const Frame& only = *frames.front();
    if (frames.size() == 1 && IsXrgb(only.format) && !only.yInvert && only.offset == Point{} &&
        only.width == image.width && only.stride == image.width * 4) {
        return ScreenImage{reinterpret_cast<const uint32_t*>(only.Row(0)), image.width,
                           image.height, image.left, image.top};
    }
    const bool gaps = frames.size() > 1;
    pixels_.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    if (gaps) std::fill(pixels_.begin(), pixels_.end(), 0u);
    for (const auto& frame : frames) {
        const ScreenRect& part = frame->part;
        for (int32_t y = 0; y < part.height; ++y) {
            const uint8_t* from = frame->Row(y);
            uint32_t* to =
                pixels_.data() +
                static_cast<size_t>(part.top - image.top + y) * static_cast<size_t>(image.width) +
                (part.left - image.left);
            if (IsXrgb(frame->format)) {
                std::memcpy(to, from, static_cast<size_t>(part.width) * 4);
                continue;
            }
            for (int32_t x = 0; x < part.width; ++x) {
                uint32_t value;
                std::memcpy(&value, from + static_cast<size_t>(x) * 4, 4);
                to[x] = ((value & 0xffu) << 16) | (value & 0xff00u) | ((value >> 16) & 0xffu);
            }
        }
    }
    return ScreenImage{pixels_.data(), image.width, image.height, image.left, image.top};
}

bool WaylandCapture::CopyFrames(std::vector<std::unique_ptr<Frame>>& frames) {
    static const zwlr_screencopy_frame_v1_listener kListener{
        .buffer =
            [](void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width,
               uint32_t height, uint32_t stride) {
                auto* frame = static_cast<Frame*>(data);
                frame->format = format;
                frame->width = static_cast<int32_t>(width);
                frame->height = static_cast<int32_t>(height);
                frame->stride = static_cast<int32_t>(stride);
                // Before version 3 no buffer_done follows: the one offer is all there is.
                if (zwlr_screencopy_frame_v1_get_version(frame->proxy.get()) < 3) {
                    frame->owner->StartCopy(*frame);
                }
            },
        .flags =
            [](void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
                static_cast<Frame*>(data)->yInvert =
                    (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
            },
        .ready = [](void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t,
                    uint32_t) { static_cast<Frame*>(data)->state = Frame::State::kReady; },
        .failed =
            [](void* data, zwlr_screencopy_frame_v1*) {
                static_cast<Frame*>(data)->state = Frame::State::kFailed;
            },
        .damage = [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {},
        .linux_dmabuf = [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {},
        .buffer_done =
            [](void* data, zwlr_screencopy_frame_v1*) {
                auto* frame = static_cast<Frame*>(data);
                frame->owner->StartCopy(*frame);
            },
    };
    for (auto& frame : frames) {
        zwlr_screencopy_frame_v1_add_listener(frame->proxy.get(), &kListener, frame.get());
    }
    const auto waiting = [&frames] {
        return std::any_of(frames.begin(), frames.end(),
                           [](const auto& f) { return f->state == Frame::State::kWaiting; });
    };
    const auto deadline = std::chrono::steady_clock::now() + kFrameTimeout;
    while (waiting() && std::chrono::steady_clock::now() < deadline) {
        if (!connection_->Dispatch(std::chrono::milliseconds(100)) && connection_->Broken()) Lost();
    }
    for (const auto& frame : frames) {
        if (frame->state != Frame::State::kReady) return false;
        if (!IsXrgb(frame->format) && !IsXbgr(frame->format)) {
            throw ScreenLost("the " + connection_->Description() + " offers its pixels in " +
                             FormatName(frame->format) + ", which screen capture cannot read");
        }
        const ScreenRect& part = frame->part;
        if (frame->offset.x < 0 || frame->offset.y < 0 ||
            frame->offset.x + part.width > frame->width ||
            frame->offset.y + part.height > frame->height) {
            return false;
        }
    }
    return true;
}

void WaylandCapture::StartCopy(Frame& frame) {
    if (frame.copying) return;
    frame.copying = true;
    std::unique_ptr<WaylandShmBuffer>& buffer = buffers_[frame.outputName];
    if (buffer == nullptr || buffer->Width() != frame.width || buffer->Height() != frame.height ||
        buffer->Stride() != frame.stride || buffer->Format() != frame.format) {
        buffer.reset();  // before the new one, so the two never take memory at once
        buffer = WaylandShmBuffer::Create(connection_->Shm(), frame.width, frame.height,
                                          frame.stride, frame.format);
    }
    if (buffer == nullptr) {
        frame.state = Frame::State::kFailed;
        return;
    }
    frame.buffer = buffer.get();
    zwlr_screencopy_frame_v1_copy(frame.proxy.get(), buffer->Buffer());
}

}  // namespace glimtap::platform
