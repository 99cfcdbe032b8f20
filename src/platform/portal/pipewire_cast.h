#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/geometry.h"
#include "platform/screen_capture.h"
#include "platform/unique_fd.h"

struct pw_thread_loop;
struct pw_context;
struct pw_core;

namespace glimtap::platform {

// The frames of a screen cast's PipeWire streams, one stream per monitor, taken in on
// PipeWire's own thread as memory buffers (never DMA-BUF, which needs a GPU to read) in
// BGRx, RGBx, BGRA or RGBA. Each stream keeps its newest frame, handed back to PipeWire
// only when a newer one arrives, so a copy reads the newest picture without waiting and
// without a copy of the whole frame. Any thread may call; nothing is thrown.
class PipeWireCast {
public:
    // Connects to the PipeWire remote at `remote` (a screen cast's, from the portal) and
    // takes in each of `nodes`. `ended` runs on PipeWire's thread, once, when a stream or
    // the connection ends.
    PipeWireCast(UniqueFd remote, const std::vector<uint32_t>& nodes, std::function<void()> ended);
    ~PipeWireCast();
    PipeWireCast(const PipeWireCast&) = delete;
    PipeWireCast& operator=(const PipeWireCast&) = delete;

    // False when the connection could not be made at all.
    bool Connected() const { return core_ != nullptr; }
    // Whether a stream or the connection has ended: no new frame will come.
    bool Ended() const { return endTold_; }
    // Each stream's frame size, in the order of the nodes: 0 x 0 until its format is known.
    std::vector<Size> FrameSizes() const;
    // Waits until every stream has a frame, at most until `deadline`; false when one has none.
    bool WaitForFrames(std::chrono::steady_clock::time_point deadline) const;
    // The picture of `area` (desktop pixels) from the newest frames, the streams' pixels
    // lying at `placed` (in the order of the nodes), written into `storage`. Gaps between
    // streams are black; nullopt when a stream under the area has no frame of that size.
    std::optional<ScreenImage> Copy(const std::vector<ScreenRect>& placed, const ScreenRect& area,
                                    std::vector<uint32_t>& storage) const;

private:
    struct Stream;
    struct CoreListener;
    void End();

    std::function<void()> ended_;
    std::atomic<bool> endTold_{false};  // set even once the owner no longer listens
    mutable std::mutex mutex_;          // the streams' formats and newest frames
    mutable std::condition_variable frameCame_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    std::unique_ptr<CoreListener> coreListener_;
    std::vector<std::unique_ptr<Stream>> streams_;
};

}  // namespace glimtap::platform
