#include "platform/wayland/wayland_capture.h"

#include <algorithm>
#include <chrono>

#include "platform/area_clip.h"
#include "platform/output_layout.h"
#include "platform/shown_picture.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace glimtap::platform {
namespace {

constexpr auto kFrameTimeout = std::chrono::seconds(2);

}  // namespace

// One output's part of a capture.
struct WaylandCapture::Frame {
    struct Destroy {
        void operator()(zwlr_screencopy_frame_v1* frame) const noexcept {
            zwlr_screencopy_frame_v1_destroy(frame);
        }
    };
    uint32_t outputName = 0;
    ScreenRect part;   // on the desktop
    ScreenRect shown;  // the desktop pixels the compositor's buffer shows
    int32_t transform = 0;
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
        const ScreenRect part = Intersection(area, output->physical);
        if (part.width == 0) continue;
        const CaptureRegion region = RegionToCapture(output->geometry, output->physical, part);
        auto frame = std::make_unique<Frame>();
        frame->outputName = output->globalName;
        frame->part = part;
        frame->shown = region.shown;
        frame->transform = output->geometry.transform;
        frame->owner = this;
        zwlr_screencopy_manager_v1* manager = connection_->ScreencopyManager();
        frame->proxy.reset(region.whole
                               ? zwlr_screencopy_manager_v1_capture_output(manager, 0, output->output)
                               : zwlr_screencopy_manager_v1_capture_output_region(
                                     manager, 0, output->output, region.units.left,
                                     region.units.top, region.units.width, region.units.height));
        frames.push_back(std::move(frame));
        parts.push_back(part);
    }
    if (frames.empty()) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    if (!CopyFrames(frames)) return std::nullopt;
    std::vector<ShownBuffer> buffers;
    for (const auto& frame : frames) {
        buffers.push_back({{frame->buffer->Data(), FindPixelFormat(FourccOfWlShm(frame->format)),
                            frame->width, frame->height, frame->stride, frame->yInvert,
                            frame->transform},
                           frame->shown});
    }
    return ShownPicture(buffers, BoundingBox(parts), pixels_);
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
        const uint32_t fourcc = FourccOfWlShm(frame->format);
        if (FindPixelFormat(fourcc) == nullptr) {
            throw ScreenLost("the " + connection_->Description() + " offers its pixels in " +
                             PixelFormatName(fourcc) + ", which screen capture cannot read");
        }
        // Outputs that changed since they were asked for: the next capture asks afresh.
        const Size shown = ShownSize({frame->width, frame->height}, frame->transform);
        if (shown != Size{frame->shown.width, frame->shown.height}) return false;
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
