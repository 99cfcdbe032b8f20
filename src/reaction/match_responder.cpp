#include "reaction/match_responder.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <thread>
#include <utility>

#include "platform/utf16.h"

namespace glimtap {

namespace {

using platform::Point;

constexpr std::chrono::milliseconds kTapHold{200};
constexpr std::chrono::milliseconds kTapSettle{15};

// One point of the match, X drawn before Y, from an engine seeded once per process.
Point RandomPointIn(const MatchReport& match) {
    static std::mt19937 engine{std::random_device{}()};
    // A size cut to 0 by the 16-bit report would make an empty range.
    const int32_t width = std::max(match.width, 1);
    const int32_t height = std::max(match.height, 1);
    const int32_t x = std::uniform_int_distribution<int32_t>{
        match.location.x, match.location.x + width - 1}(engine);
    const int32_t y = std::uniform_int_distribution<int32_t>{
        match.location.y, match.location.y + height - 1}(engine);
    return {x, y};
}

}  // namespace

MatchResponder::MatchResponder(platform::Pointer* pointer, platform::TouchInjector* touch,
                               platform::Launcher& launcher, MatchMarkers* markers,
                               Sleep sleep)
    : pointer_(pointer), touch_(touch), launcher_(launcher), markers_(markers),
      sleep_(std::move(sleep)) {}

std::optional<Point> MatchResponder::OnMatchFound(const MatchReport& match,
                                                  const SearchSettings& settings) {
    const bool moveCursor = settings.moveCursorToMatch != 0;
    const bool tap = settings.touchAtMatch != 0;
    std::optional<Point> picked;
    if (moveCursor || tap) {
        picked = RandomPointIn(match);
        // There is no second way to move the pointer, so a refused move is left be.
        if (moveCursor && pointer_ != nullptr) pointer_->MoveTo(picked->x, picked->y);
        if (tap) Tap(*picked);
    }
    if (settings.executeEnabled != 0) {
        // Failures stay silent: a search may find hundreds of matches a minute.
        launcher_.Launch(settings.executeVerb, ToPath(settings.executeFile), nullptr);
    }
    return picked;
}

void MatchResponder::OnShowOverlay(const MatchReport& match) {
    if (markers_ == nullptr) return;
    markers_->Show({match.location.x, match.location.y, match.width, match.height},
                   MarkerKind::kMatch, MatchMarkers::kSeconds);
}

void MatchResponder::DefaultSleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

void MatchResponder::Tap(Point at) {
    if (touch_ == nullptr || !touch_->Prepare()) return;
    // Read after the cursor move, so with both actions on the tap returns to the match.
    const std::optional<Point> saved =
        pointer_ != nullptr ? pointer_->Position() : std::nullopt;
    if (!touch_->Down(at)) return;
    sleep_(kTapHold);
    if (!touch_->Up(at)) return;
    sleep_(kTapSettle);
    if (pointer_ == nullptr) return;
    if (saved) pointer_->MoveTo(saved->x, saved->y);
    // A little real motion makes the desktop show the cursor again after the touch.
    pointer_->NudgeHorizontally(+1);
    pointer_->NudgeHorizontally(-1);
}

}  // namespace glimtap
