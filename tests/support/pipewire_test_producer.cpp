// Serves a bitmap as a PipeWire video stream, as a desktop's screen cast does:
//   glimtap-test-producer PICTURE.bmp FORMAT STRIDE
// FORMAT is BGRx, RGBx, BGRA or RGBA; STRIDE, in bytes, at least 4 x width (the rest of each
// row is filler). Memory (MemFd) buffers; the stream drives itself. Prints its node id, width
// and height once it has a node. Ends on SIGTERM or SIGINT.
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <variant>

#include "engine/bmp_decoder.h"

namespace {

struct Producer {
    std::vector<uint8_t> frame;  // rows of `stride` bytes
    uint32_t stride = 0;
    int32_t width = 0, height = 0;
    pw_main_loop* loop = nullptr;
    pw_stream* stream = nullptr;
    spa_hook streamListener{};
    uint32_t nodeId = SPA_ID_INVALID;
};

void OnProcess(void* data) {
    auto& p = *static_cast<Producer*>(data);
    pw_buffer* b = pw_stream_dequeue_buffer(p.stream);
    if (b == nullptr) return;
    spa_data& d = b->buffer->datas[0];
    if (d.data != nullptr && d.maxsize >= p.frame.size()) {
        std::memcpy(d.data, p.frame.data(), p.frame.size());
        *d.chunk = {0, uint32_t(p.frame.size()), int32_t(p.stride), 0};
    }
    pw_stream_queue_buffer(p.stream, b);
}

void OnParamChanged(void* data, uint32_t id, const spa_pod* param) {
    auto& p = *static_cast<Producer*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) return;
    uint8_t buffer[256];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_pod* params[] = {static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 2, 8), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1), SPA_PARAM_BUFFERS_size,
        SPA_POD_Int(p.frame.size()), SPA_PARAM_BUFFERS_stride, SPA_POD_Int(p.stride),
        SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(1 << SPA_DATA_MemFd)))};
    pw_stream_update_params(p.stream, params, 1);
}

void OnStateChanged(void* data, pw_stream_state, pw_stream_state state, const char* error) {
    auto& p = *static_cast<Producer*>(data);
    if (state == PW_STREAM_STATE_ERROR) {
        std::fprintf(stderr, "glimtap-test-producer: %s\n", error);
        pw_main_loop_quit(p.loop);
    }
    if (p.nodeId == SPA_ID_INVALID && pw_stream_get_node_id(p.stream) != SPA_ID_INVALID) {
        p.nodeId = pw_stream_get_node_id(p.stream);
        std::printf("%u %d %d\n", p.nodeId, p.width, p.height);
        std::fflush(stdout);
    }
}

void OnTimer(void* data, uint64_t) {
    auto& p = *static_cast<Producer*>(data);
    if (pw_stream_get_state(p.stream, nullptr) == PW_STREAM_STATE_STREAMING) pw_stream_trigger_process(p.stream);
}

void OnSignal(void* data, int) { pw_main_loop_quit(static_cast<Producer*>(data)->loop); }

}  // namespace

int main(int argc, char** argv) {
    Producer p;
    const std::map<std::string, spa_video_format> formats = {{"BGRx", SPA_VIDEO_FORMAT_BGRx},
        {"RGBx", SPA_VIDEO_FORMAT_RGBx}, {"BGRA", SPA_VIDEO_FORMAT_BGRA}, {"RGBA", SPA_VIDEO_FORMAT_RGBA}};
    std::ifstream file(argc == 4 ? argv[1] : "", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    auto decoded = glimtap::DecodeBmp(bytes);
    if (argc != 4 || !std::holds_alternative<glimtap::DecodedBitmap>(decoded) || !formats.contains(argv[2])) {
        std::fprintf(stderr, "usage: glimtap-test-producer PICTURE.bmp BGRx|RGBx|BGRA|RGBA STRIDE\n");
        return 2;
    }
    const auto& picture = std::get<glimtap::DecodedBitmap>(decoded);
    const spa_video_format format = formats.at(argv[2]);
    const bool rgb = format == SPA_VIDEO_FORMAT_RGBx || format == SPA_VIDEO_FORMAT_RGBA;
    const uint32_t alpha = format == SPA_VIDEO_FORMAT_BGRA || format == SPA_VIDEO_FORMAT_RGBA ? 0xFF000000 : 0;
    p.stride = std::max<uint32_t>(std::stoul(argv[3]), picture.width * 4);
    p.width = picture.width, p.height = picture.height;
    p.frame.assign(size_t(p.stride) * picture.height, 0xA5);  // filler a reader ignoring the stride sees
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const uint32_t c = picture.pixels[y * picture.width + x];
            const uint32_t v = (rgb ? (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16 : c & 0xFFFFFF) | alpha;
            std::memcpy(&p.frame[y * p.stride + x * 4], &v, 4);
        }
    }

    pw_init(&argc, &argv);
    p.loop = pw_main_loop_new(nullptr);
    pw_loop* loop = pw_main_loop_get_loop(p.loop);
    pw_loop_add_signal(loop, SIGINT, OnSignal, &p);
    pw_loop_add_signal(loop, SIGTERM, OnSignal, &p);
    pw_context* context = pw_context_new(loop, nullptr, 0);
    pw_core* core = pw_context_connect(context, nullptr, 0);
    if (core == nullptr) {
        std::fprintf(stderr, "glimtap-test-producer: no PipeWire daemon\n");
        return 1;
    }
    p.stream = pw_stream_new(core, "glimtap-test-producer",
                             pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", nullptr));
    pw_stream_events streamEvents{};
    streamEvents.version = PW_VERSION_STREAM_EVENTS, streamEvents.state_changed = OnStateChanged;
    streamEvents.param_changed = OnParamChanged, streamEvents.process = OnProcess;
    pw_stream_add_listener(p.stream, &p.streamListener, &streamEvents, &p);
    uint8_t buffer[512];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_rectangle size{uint32_t(picture.width), uint32_t(picture.height)};
    const spa_fraction rate{0, 1};
    const spa_pod* params[] = {static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format, SPA_POD_Id(format),
        SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&rate)))};
    pw_stream_connect(p.stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                      pw_stream_flags(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS), params, 1);
    timespec interval{0, 50'000'000};
    pw_loop_update_timer(loop, pw_loop_add_timer(loop, OnTimer, &p), &interval, &interval, false);
    pw_main_loop_run(p.loop);

    pw_stream_destroy(p.stream);
    pw_core_disconnect(core);
    pw_context_destroy(context);
    pw_main_loop_destroy(p.loop);
    pw_deinit();
    return 0;
}
