#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/speaker.h"
#include "platform/desktop.h"
#include "platform/launcher.h"
#include "platform/pointer.h"
#include "platform/screen_capture.h"
#include "platform/touch_injector.h"
#include "platform/utf16.h"

// Stand-ins for what the test machine lacks or what a test must not really do.
namespace glimtap::test {

// Notes what it is asked to open instead of opening it: no desktop here has a browser or
// file manager to start. Matches launch from a thread of their own, so the notes are locked.
class RecordingLauncher : public platform::Launcher {
public:
    struct Call {
        std::string verb, file;
        friend bool operator==(const Call&, const Call&) = default;
    };

    bool Launch(std::u16string_view verb, const std::filesystem::path& file, std::string* error) override {
        const std::lock_guard lock(mutex_);
        calls_.push_back({ToUtf8(verb), PathString(file)});
        if (failure.empty()) return true;
        if (error != nullptr) *error = failure;
        return false;
    }
    std::vector<Call> Calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

    // When set, every launch fails with this reason.
    std::string failure;

private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

// Notes what it is asked to say instead of saying it: there is no sound card here. Speakers
// made on any thread may share one record.
class RecordingSpeaker : public Speaker {
public:
    struct Record {
        std::mutex mutex;
        std::vector<std::u16string> texts;
    };

    explicit RecordingSpeaker(std::shared_ptr<Record> record = std::make_shared<Record>())
        : record_(std::move(record)) {}

    bool Speak(std::u16string_view text) override {
        const std::lock_guard lock(record_->mutex);
        record_->texts.emplace_back(text);
        return true;
    }
    std::vector<std::u16string> Spoken() const {
        const std::lock_guard lock(record_->mutex);
        return record_->texts;
    }

private:
    std::shared_ptr<Record> record_;
};

// A pointer that only remembers where it is.
class FakePointer : public platform::Pointer {
public:
    bool MoveTo(int32_t x, int32_t y) override { return at = {x, y}, true; }
    std::optional<platform::Point> Position() override { return at; }
    void NudgeHorizontally(int32_t dx) override { at.x += dx, ++nudges; }

    platform::Point at{7, 9};
    int nudges = 0;
};

// A touch screen whose steps may be refused; notes the touches that went down and up.
class FakeTouch : public platform::TouchInjector {
public:
    enum class Step { kNone, kPrepare, kDown, kUp };

    bool Prepare() override { return refused != Step::kPrepare; }
    bool Down(platform::Point at) override { return downs.push_back(at), refused != Step::kDown; }
    bool Up(platform::Point) override { return ++ups, refused != Step::kUp; }

    Step refused = Step::kNone;
    std::vector<platform::Point> downs;
    int ups = 0;
};

// A blank screen that is lost after `captures` captures, as when the X server goes.
struct LosingCapture : platform::ScreenCapture {
    explicit LosingCapture(int captures) : left(captures) {}
    std::optional<platform::ScreenImage> Capture(const platform::ScreenRect& area) override {
        if (left-- <= 0) throw platform::ScreenLost("lost the test screen");
        pixels.assign(size_t(area.width) * size_t(area.height), 0);
        return platform::ScreenImage{pixels.data(), area.width, area.height, area.left, area.top};
    }
    int left;
    std::vector<uint32_t> pixels;
};

// A 1920 x 1080 desktop.
class FixedDesktop : public platform::Desktop {
public:
    platform::Size VirtualScreenSize() const override { return {1920, 1080}; }
};

}  // namespace glimtap::test
