#pragma once

#include <QBasicTimer>
#include <QWidget>

#include <cstdint>

#include "platform/geometry.h"

namespace glimtap {

// What a marker shows: a match (red frame) or the closest miss (blue frame).
enum class MarkerKind { kMatch, kClosestMiss };

// A marker laid exactly over a rectangle of the screen: a red frame and the seconds it has
// left, on a translucent yellow fill where a compositor can show one; without one, only the
// frame and the number are shaped into the window, so the match stays visible. It never
// takes the keyboard focus but does take clicks where it lies, closes itself when the time
// is up or on Escape, and deletes itself.
class CScreenOverlay : public QWidget {
public:
    // `rect` in physical screen pixels; `seconds` at least 1.
    CScreenOverlay(const platform::ScreenRect& rect, int seconds, bool translucent,
                   MarkerKind kind = MarkerKind::kMatch);

    // The number on show.
    int64_t SecondsLeft() const { return secondsLeft_; }
    // Counts down from `seconds` afresh.
    void Restart(int seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // The client area and the number's box in it, in physical pixels, and the frame's width.
    struct Layout {
        QRect client;
        QRect number;
        QFont font;
        int32_t outline = 0;
    };
    Layout Measure() const;
    // Without translucency: the window keeps only the inner half of the frame and the number.
    void Reshape();

    const bool translucent_;
    const MarkerKind kind_;
    int64_t secondsLeft_;
    QBasicTimer tickTimer_;
};

}  // namespace glimtap
