#pragma once

#include <QDialog>

#include <optional>

#include "platform/desktop.h"
#include "platform/geometry.h"
#include "ui/area_selection.h"
#include "ui/profile.h"

namespace glimtap {

// A translucent veil over the whole virtual screen on which the user drags out a
// rectangle with the left button; the rectangle is cut out of the veil. Button-up
// accepts, Escape cancels, Enter does nothing. At every close the corners go to the
// profile (section "Settings", "m_oStartingPoint.x/y" and "m_oClosingPoint.x/y").
class CDlgScreenAreaSelector : public QDialog {
    Q_OBJECT

public:
    // `virtualScreen` in physical pixels.
    CDlgScreenAreaSelector(QWidget* owner, const platform::ScreenRect& virtualScreen,
                           Profile& profile);

    void done(int result) override;
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    platform::Point ClientPoint(const QMouseEvent& event) const;
    // The hole and the band around it, in logical pixels.
    QRect BandBounds() const;
    void FollowDrag();

    AreaSelection m_selection;
    Profile& m_profile;
};

// Runs the selector modally over `owner` and returns the selected rectangle in screen
// coordinates; nullopt when it was cancelled or the rectangle is empty. Returns once
// the veil is off the screen, so the caller may capture what lies under it.
std::optional<platform::ScreenRect> SelectScreenArea(QWidget* owner, Profile& profile,
                                                     const platform::Desktop& desktop);

}  // namespace glimtap
