#pragma once

#include <optional>

#include "platform/geometry.h"

namespace glimtap {

// The corners the selector stores when it closes, in screen coordinates: `starting` is
// the top-left corner and `closing` the bottom-right one (exclusive).
struct SelectedCorners {
    platform::Point starting;
    platform::Point closing;
    friend bool operator==(const SelectedCorners&, const SelectedCorners&) = default;
};

// The rubber-band drag of the area selector, without a window. Points are client
// coordinates of a window that covers the virtual screen exactly.
class AreaSelection {
public:
    enum class State { Idle, Dragging, Done, Cancelled };

    explicit AreaSelection(const platform::ScreenRect& virtualScreen);

    State state() const { return state_; }

    // The left button went down / the pointer moved / the left button came up.
    void Press(platform::Point at);
    void Move(platform::Point to);
    void Release(platform::Point at);
    // Cancels, during a drag and before one.
    void Escape();

    // The rectangle dragged so far, normalised, client coordinates; empty before a drag.
    // The veil has a hole there.
    platform::ScreenRect Hole() const;

    // What the selector stores at every close, cancelled or not: the corners sorted
    // into top-left and bottom-right and moved into screen coordinates.
    SelectedCorners Corners() const;

private:
    platform::ScreenRect virtualScreen_;
    State state_ = State::Idle;
    platform::Point startingPoint_;
    platform::Point closingPoint_;
    platform::Point dragEnd_;
};

// The selection the corners describe; nullopt when it is empty (a click or a purely
// horizontal or vertical drag).
std::optional<platform::ScreenRect> SelectionFromCorners(const SelectedCorners& corners);

}  // namespace glimtap
