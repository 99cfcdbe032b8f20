#include "platform/wayland/wayland_capture.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/area_clip.h"
#include "platform/shown_picture.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace glimtap::platform {
namespace {

constexpr auto kFrameTimeout = std::chrono::seconds(2);

}  // namespace

// What the compositor says of a frame's buffer.
struct WaylandCapture::BufferLayout {
    uint32_t format = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    bool yInvert = false;
};

// One request to the compositor.
struct WaylandCapture::Frame {
    struct Destroy {
        void operator()(zwlr_screencopy_frame_v1* frame) const noexcept {
            zwlr_screencopy_frame_v1_destroy(frame);
        }
    };
    std::unique_ptr<zwlr_screencopy_frame_v1, Destroy> proxy;
    Stream* stream = nullptr;
    bool withDamage = false;
    BufferLayout layout;
    bool copying = false;
    enum class State { kWaiting, kReady, kFailed } state = State::kWaiting;
};

// One output's part of the area: the frame in flight, the buffer it is copied into, and the
// newest finished frame.
struct WaylandCapture::Stream {
    WaylandCapture* owner = nullptr;
    wl_output* output = nullptr;
    CaptureRegion region;
    int32_t transform = 0;
    std::unique_ptr<WaylandShmBuffer> back;
    std::unique_ptr<WaylandShmBuffer> newest;
    BufferLayout newestLayout;
    std::unique_ptr<Frame> inFlight;  // last: it goes before the buffer it copies into
};

WaylandCapture::WaylandCapture() : connection_(std::make_unique<WaylandConnection>()) {}

WaylandCapture::~WaylandCapture() = default;

void WaylandCapture::Lost() const {
    throw ScreenLost("the connection to the " + connection_->Description() + " was lost");
}

std::optional<ScreenImage> WaylandCapture::Capture(const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return std::nullopt;
    // Frames and outputs that came or went since the last capture.
    if (!connection_->Refresh()) Lost();
    Collect();
    const std::vector<Stream*> streams = StreamsFor(area);
    if (streams.empty()) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    const auto deadline = std::chrono::steady_clock::now() + kFrameTimeout;
    const auto waiting = [&streams] {
        return std::any_of(streams.begin(), streams.end(),
                           [](const Stream* s) { return s->newest == nullptr && s->inFlight; });
    };
    while (waiting() && std::chrono::steady_clock::now() < deadline) {
        if (!connection_->Dispatch(std::chrono::milliseconds(100)) && connection_->Broken()) Lost();
        Collect();
    }
    std::vector<ShownBuffer> buffers;
    std::vector<ScreenRect> parts;
    for (const Stream* stream : streams) {
        if (stream->newest == nullptr) return std::nullopt;
        const BufferLayout& b = stream->newestLayout;
        buffers.push_back({{stream->newest->Data(), FindPixelFormat(FourccOfWlShm(b.format)),
                            b.width, b.height, b.stride, b.yInvert, stream->transform},
                           stream->region.shown});
        parts.push_back(Intersection(area, stream->region.shown));
    }
    return ShownPicture(buffers, BoundingBox(parts), pixels_);
}

std::vector<WaylandCapture::Stream*> WaylandCapture::StreamsFor(const ScreenRect& area) {
    std::map<uint32_t, std::unique_ptr<Stream>> kept;
    std::vector<Stream*> streams;
    for (const WaylandOutput* output : connection_->Outputs()) {
        const ScreenRect part = Intersection(area, output->physical);
        if (part.width == 0) continue;
        const CaptureRegion region = RegionToCapture(output->geometry, output->physical, part);
        std::unique_ptr<Stream>& stream = kept[output->globalName];
        if (auto old = streams_.find(output->globalName); old != streams_.end()) {
            stream = std::move(old->second);
        }
        const bool same = stream != nullptr && stream->output == output->output &&
                          stream->region == region &&
                          stream->transform == output->geometry.transform;
        if (!same) {
            if (stream == nullptr) stream = std::make_unique<Stream>();
            stream->owner = this;
            stream->output = output->output;
            stream->region = region;
            stream->transform = output->geometry.transform;
            stream->newest.reset();
            // The compositor follows damage per output from the first request with damage on,
            // starting with all of it: a plain copy only where it has followed it already.
            Request(*stream, damageFollowed_.insert(output->globalName).second);
        } else if (stream->inFlight == nullptr) {
            Request(*stream, stream->newest != nullptr);  // after a failure
        }
        streams.push_back(stream.get());
    }
    // Outputs off the area cost the compositor nothing more.
    streams_ = std::move(kept);
    return streams;
}

void WaylandCapture::Request(Stream& stream, bool withDamage) {
    static const zwlr_screencopy_frame_v1_listener kListener{
        .buffer =
            [](void* data, zwlr_screencopy_frame_v1* proxy, uint32_t format, uint32_t width,
               uint32_t height, uint32_t stride) {
                auto* frame = static_cast<Frame*>(data);
                frame->layout.format = format;
                frame->layout.width = static_cast<int32_t>(width);
                frame->layout.height = static_cast<int32_t>(height);
                frame->layout.stride = static_cast<int32_t>(stride);
                // Before version 3 no buffer_done follows: the one offer is all there is.
                if (zwlr_screencopy_frame_v1_get_version(proxy) < 3) {
                    frame->stream->owner->StartCopy(*frame);
                }
            },
        .flags =
            [](void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
                static_cast<Frame*>(data)->layout.yInvert =
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
                frame->stream->owner->StartCopy(*frame);
            },
    };
    zwlr_screencopy_manager_v1* manager = connection_->ScreencopyManager();
    const ScreenRect& units = stream.region.units;
    auto frame = std::make_unique<Frame>();
    frame->stream = &stream;
    frame->withDamage = withDamage;
    frame->proxy.reset(
        stream.region.whole
            ? zwlr_screencopy_manager_v1_capture_output(manager, 0, stream.output)
            : zwlr_screencopy_manager_v1_capture_output_region(
                  manager, 0, stream.output, units.left, units.top, units.width, units.height));
    zwlr_screencopy_frame_v1_add_listener(frame->proxy.get(), &kListener, frame.get());
    stream.inFlight = std::move(frame);
    wl_display_flush(connection_->Display());
}

void WaylandCapture::StartCopy(Frame& frame) {
    if (frame.copying) return;
    frame.copying = true;
    const BufferLayout& b = frame.layout;
    std::unique_ptr<WaylandShmBuffer>& buffer = frame.stream->back;
    if (buffer == nullptr || buffer->Width() != b.width || buffer->Height() != b.height ||
        buffer->Stride() != b.stride || buffer->Format() != b.format) {
        buffer.reset();  // before the new one, so the two never take memory at once
        buffer =
            WaylandShmBuffer::Create(connection_->Shm(), b.width, b.height, b.stride, b.format);
    }
    if (buffer == nullptr) {
        frame.state = Frame::State::kFailed;
        return;
    }
    // With damage the compositor answers once the part has changed since the last answer.
    if (frame.withDamage) {
        zwlr_screencopy_frame_v1_copy_with_damage(frame.proxy.get(), buffer->Buffer());
    } else {
        zwlr_screencopy_frame_v1_copy(frame.proxy.get(), buffer->Buffer());
    }
}

void WaylandCapture::Collect() {
    for (auto& [name, stream] : streams_) {
        Frame* frame = stream->inFlight.get();
        if (frame == nullptr || frame->state == Frame::State::kWaiting) continue;
        if (frame->state == Frame::State::kFailed) {
            stream->inFlight.reset();  // asked again by the next capture
            continue;
        }
        const uint32_t fourcc = FourccOfWlShm(frame->layout.format);
        if (FindPixelFormat(fourcc) == nullptr) {
            throw ScreenLost("the " + connection_->Description() + " offers its pixels in " +
                             PixelFormatName(fourcc) + ", which screen capture cannot read");
        }
        // A buffer of another size: the output changed since it was asked for, and the next
        // capture asks afresh.
        const Size size = ShownSize({frame->layout.width, frame->layout.height}, stream->transform);
        if (size != Size{stream->region.shown.width, stream->region.shown.height}) {
            stream->inFlight.reset();
            stream->newest.reset();
            continue;
        }
        std::swap(stream->newest, stream->back);
        stream->newestLayout = frame->layout;
        Request(*stream, true);
    }
}

}  // namespace glimtap::platform
