#pragma once

#include <QBasicTimer>
#include <QWidget>

#include <cstdint>

#include "platform/geometry.h"

namespace glimtap {

// What a marker shows: a match (red frame) or the closest miss (blue frame).
enum class MarkerKind { kMatch, kClosestMiss };

// A marker laid exactly over a rectangle of the screen: translucent yellow, a red frame
// and the seconds it has left. It never takes the keyboard focus but does take clicks
// where it lies, closes itself when the time is up or on Escape, and deletes itself.
class CScreenOverlay : public QWidget {
public:
    // `rect` in physical screen pixels; `seconds` at least 1.
    CScreenOverlay(const platform::ScreenRect& rect, int seconds, MarkerKind kind = MarkerKind::kMatch);

    // The number on show.
    int64_t SecondsLeft() const { return m_nSecondsLeft; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int64_t m_nSecondsLeft;
    const MarkerKind kind_;
    QBasicTimer m_tickTimer;
};

// Shows a marker over `rect` for `seconds` and lets it go: markers are independent of
// each other and of the caller. An empty rectangle or no time shows nothing.
void StartScreenOverlay(const platform::ScreenRect& rect, int seconds,
                        MarkerKind kind = MarkerKind::kMatch);

}  // namespace glimtap
