#include "platform/portal/pipewire_cast.h"

#include <fcntl.h>
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>

#include <algorithm>
#include <mutex>

#include "platform/area_clip.h"
#include "platform/pixel_formats.h"
#include "platform/shown_picture.h"

namespace glimtap::platform {
namespace {

// PipeWire names formats by their bytes in memory, DRM by the 32-bit word they make.
const PixelFormat* CastFormat(uint32_t videoFormat) {
    switch (videoFormat) {
        case SPA_VIDEO_FORMAT_BGRx:
            return FindPixelFormat(Fourcc("XR24"));
        case SPA_VIDEO_FORMAT_RGBx:
            return FindPixelFormat(Fourcc("XB24"));
        case SPA_VIDEO_FORMAT_BGRA:
            return FindPixelFormat(Fourcc("AR24"));
        case SPA_VIDEO_FORMAT_RGBA:
            return FindPixelFormat(Fourcc("AB24"));
        default:
            return nullptr;
    }
}

// The formats asked for: raw video in one of the four, any size and rate.
const spa_pod* FormatsWanted(spa_pod_builder& builder) {
    spa_pod_frame object;
    spa_pod_frame choice;
    spa_pod_builder_push_object(&builder, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_prop(&builder, SPA_FORMAT_mediaType, 0);
    spa_pod_builder_id(&builder, SPA_MEDIA_TYPE_video);
    spa_pod_builder_prop(&builder, SPA_FORMAT_mediaSubtype, 0);
    spa_pod_builder_id(&builder, SPA_MEDIA_SUBTYPE_raw);
    spa_pod_builder_prop(&builder, SPA_FORMAT_VIDEO_format, 0);
    spa_pod_builder_push_choice(&builder, &choice, SPA_CHOICE_Enum, 0);
    for (const uint32_t format :
         {SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_RGBx,
          SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBA}) {
        spa_pod_builder_id(&builder, format);
    }
    spa_pod_builder_pop(&builder, &choice);
    spa_pod_builder_prop(&builder, SPA_FORMAT_VIDEO_size, 0);
    spa_pod_builder_push_choice(&builder, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_rectangle(&builder, 1920, 1080);
    spa_pod_builder_rectangle(&builder, 1, 1);
    spa_pod_builder_rectangle(&builder, 16384, 16384);
    spa_pod_builder_pop(&builder, &choice);
    spa_pod_builder_prop(&builder, SPA_FORMAT_VIDEO_framerate, 0);
    spa_pod_builder_push_choice(&builder, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_fraction(&builder, 30, 1);
    spa_pod_builder_fraction(&builder, 0, 1);
    spa_pod_builder_fraction(&builder, 1000, 1);
    spa_pod_builder_pop(&builder, &choice);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &object));
}

// Buffers in memory this process can read: a few, so the producer has some while the
// newest is kept.
const spa_pod* BuffersWanted(spa_pod_builder& builder) {
    spa_pod_frame object;
    spa_pod_frame choice;
    spa_pod_builder_push_object(&builder, &object, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers);
    spa_pod_builder_prop(&builder, SPA_PARAM_BUFFERS_buffers, 0);
    spa_pod_builder_push_choice(&builder, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_int(&builder, 4);
    spa_pod_builder_int(&builder, 2);
    spa_pod_builder_int(&builder, 16);
    spa_pod_builder_pop(&builder, &choice);
    spa_pod_builder_prop(&builder, SPA_PARAM_BUFFERS_dataType, 0);
    spa_pod_builder_push_choice(&builder, &choice, SPA_CHOICE_Flags, 0);
    spa_pod_builder_int(&builder, (1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr));
    spa_pod_builder_pop(&builder, &choice);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &object));
}

}  // namespace

struct PipeWireCast::CoreListener {
    spa_hook hook{};
};

struct PipeWireCast::Stream {
    PipeWireCast* owner = nullptr;
    pw_stream* stream = nullptr;
    spa_hook hook{};
    // Under the owner's mutex:
    const PixelFormat* format = nullptr;
    Size size;
    pw_buffer* newest = nullptr;  // kept from PipeWire until a newer one comes

    // The newest frame's pixels; null when it holds none in a layout that can be read.
    PixelBuffer Pixels() const {
        if (newest == nullptr || format == nullptr) return {};
        const spa_data& data = newest->buffer->datas[0];
        const int32_t row = size.width * format->bytesPerPixel;
        const int32_t stride = data.chunk->stride != 0 ? data.chunk->stride : row;
        const uint64_t offset = data.chunk->offset % std::max<uint32_t>(data.maxsize, 1);
        if (stride < row || offset + uint64_t(stride) * uint64_t(size.height) > data.maxsize) {
            return {};
        }
        return {static_cast<const uint8_t*>(data.data) + offset, format, size.width, size.height,
                stride};
    }

    static void OnState(void* self, pw_stream_state old, pw_stream_state state, const char*) {
        // A producer that goes leaves its consumer paused.
        if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED ||
            (old == PW_STREAM_STATE_STREAMING && state == PW_STREAM_STATE_PAUSED)) {
            static_cast<Stream*>(self)->owner->End();
        }
    }

    static void OnParam(void* self, uint32_t id, const spa_pod* param) {
        auto* s = static_cast<Stream*>(self);
        if (id != SPA_PARAM_Format || param == nullptr) return;
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0) return;
        {
            const std::lock_guard lock(s->owner->mutex_);
            s->format = CastFormat(info.format);
            s->size = {static_cast<int32_t>(info.size.width),
                       static_cast<int32_t>(info.size.height)};
        }
        uint8_t memory[256];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof memory);
        const spa_pod* buffers = BuffersWanted(builder);
        pw_stream_update_params(s->stream, &buffers, 1);
    }

    static void OnRemoveBuffer(void* self, pw_buffer* buffer) {
        auto* s = static_cast<Stream*>(self);
        const std::lock_guard lock(s->owner->mutex_);
        if (s->newest == buffer) s->newest = nullptr;
    }

    static void OnProcess(void* self) {
        auto* s = static_cast<Stream*>(self);
        pw_buffer* buffer = nullptr;
        while (pw_buffer* next = pw_stream_dequeue_buffer(s->stream)) {
            if (buffer != nullptr) pw_stream_queue_buffer(s->stream, buffer);
            buffer = next;
        }
        if (buffer == nullptr) return;
        const spa_buffer* b = buffer->buffer;
        const auto* header = static_cast<const spa_meta_header*>(
            spa_buffer_find_meta_data(b, SPA_META_Header, sizeof(spa_meta_header)));
        const bool picture =
            b->n_datas > 0 && b->datas[0].data != nullptr && b->datas[0].chunk->size > 0 &&
            (header == nullptr || (header->flags & SPA_META_HEADER_FLAG_CORRUPTED) == 0);
        if (picture) {
            const std::lock_guard lock(s->owner->mutex_);
            std::swap(s->newest, buffer);
            s->owner->frameCame_.notify_all();
        }
        if (buffer != nullptr) pw_stream_queue_buffer(s->stream, buffer);
    }
};

PipeWireCast::PipeWireCast(UniqueFd remote, const std::vector<uint32_t>& nodes,
                           std::function<void()> ended)
    : ended_(std::move(ended)) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });
    loop_ = pw_thread_loop_new("glimtap-cast", nullptr);
    if (loop_ == nullptr) return;
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    if (context_ == nullptr || pw_thread_loop_start(loop_) < 0) return;
    static const pw_core_events kCoreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.error = [](void* self, uint32_t id, int, int, const char*) {
            if (id == PW_ID_CORE) static_cast<PipeWireCast*>(self)->End();
        };
        return events;
    }();
    static const pw_stream_events kStreamEvents = [] {
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.state_changed = &Stream::OnState;
        events.param_changed = &Stream::OnParam;
        events.remove_buffer = &Stream::OnRemoveBuffer;
        events.process = &Stream::OnProcess;
        return events;
    }();
    pw_thread_loop_lock(loop_);
    core_ = pw_context_connect_fd(context_, remote.Release(), nullptr, 0);
    if (core_ != nullptr) {
        coreListener_ = std::make_unique<CoreListener>();
        pw_core_add_listener(core_, &coreListener_->hook, &kCoreEvents, this);
        for (const uint32_t node : nodes) {
            auto stream = std::make_unique<Stream>();
            stream->owner = this;
            stream->stream =
                pw_stream_new(core_, "Glimtap screen",
                              pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                                "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
            if (stream->stream == nullptr) continue;
            pw_stream_add_listener(stream->stream, &stream->hook, &kStreamEvents, stream.get());
            uint8_t memory[1024];
            spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof memory);
            const spa_pod* formats = FormatsWanted(builder);
            pw_stream_connect(stream->stream, PW_DIRECTION_INPUT, node,
                              static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                           PW_STREAM_FLAG_MAP_BUFFERS),
                              &formats, 1);
            streams_.push_back(std::move(stream));
        }
    }
    pw_thread_loop_unlock(loop_);
}

PipeWireCast::~PipeWireCast() {
    if (loop_ != nullptr) {
        pw_thread_loop_lock(loop_);
        // Gone before their streams end, so nothing ends the cast while it closes.
        ended_ = nullptr;
        for (const auto& stream : streams_) {
            spa_hook_remove(&stream->hook);
            pw_stream_destroy(stream->stream);
        }
        if (core_ != nullptr) pw_core_disconnect(core_);
        pw_thread_loop_unlock(loop_);
        pw_thread_loop_stop(loop_);
    }
    if (context_ != nullptr) pw_context_destroy(context_);
    if (loop_ != nullptr) pw_thread_loop_destroy(loop_);
}

void PipeWireCast::End() {
    if (!endTold_.exchange(true) && ended_) ended_();
}

std::vector<Size> PipeWireCast::FrameSizes() const {
    const std::lock_guard lock(mutex_);
    std::vector<Size> sizes;
    for (const auto& stream : streams_) sizes.push_back(stream->size);
    return sizes;
}

bool PipeWireCast::WaitForFrames(std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    return frameCame_.wait_until(lock, deadline, [this] {
        return std::all_of(streams_.begin(), streams_.end(),
                           [](const auto& s) { return s->newest != nullptr; });
    });
}

std::optional<ScreenImage> PipeWireCast::Copy(const std::vector<ScreenRect>& placed,
                                              const ScreenRect& area,
                                              std::vector<uint32_t>& storage) const {
    const std::lock_guard lock(mutex_);
    std::vector<ShownBuffer> buffers;
    std::vector<ScreenRect> parts;
    for (size_t i = 0; i < streams_.size() && i < placed.size(); ++i) {
        const ScreenRect part = Intersection(area, placed[i]);
        if (part.width == 0) continue;
        const PixelBuffer pixels = streams_[i]->Pixels();
        if (pixels.data == nullptr ||
            Size{pixels.width, pixels.height} != Size{placed[i].width, placed[i].height}) {
            return std::nullopt;
        }
        buffers.push_back({pixels, placed[i]});
        parts.push_back(part);
    }
    if (buffers.empty()) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    ScreenImage image = ShownPicture(buffers, BoundingBox(parts), storage);
    // PipeWire takes the frame back once a newer one comes: the picture must be a copy.
    if (image.pixels != storage.data()) {
        storage.assign(image.pixels, image.pixels + size_t(image.width) * size_t(image.height));
        image.pixels = storage.data();
    }
    return image;
}

}  // namespace glimtap::platform
