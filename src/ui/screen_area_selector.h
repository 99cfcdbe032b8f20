#pragma once

#include <QDialog>

#include <optional>

#include "platform/backend_set.h"
#include "platform/desktop.h"
#include "platform/geometry.h"
#include "ui/area_selection.h"
#include "ui/profile.h"
#include "ui/screen_still.h"
#include "ui/screen_veil.h"

namespace glimtap {

// A veil over the whole virtual screen on which the user drags out a rectangle with the
// left button. The veil is a still picture of the screen, dimmed, and undimmed inside the
// rectangle. Button-up accepts, Escape cancels, Enter does nothing. At every close the
// corners go to the profile (section "Settings", "m_oStartingPoint.x/y" and
// "m_oClosingPoint.x/y").
class CDlgScreenAreaSelector : public QDialog {
    Q_OBJECT

public:
    // `still` must outlive the selector.
    CDlgScreenAreaSelector(QWidget* owner, const ScreenStill& still, Profile& profile);

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

    ScreenVeil veil_;
    AreaSelection selection_;
    Profile& profile_;
};

// Runs the selector modally over `owner`, showing `still`, and returns the selected
// rectangle in screen coordinates; nullopt when it was cancelled or the rectangle is
// empty. Returns once the veil is off the screen. On a Wayland desktop the veil is a
// layer-shell surface per output, elsewhere CDlgScreenAreaSelector.
std::optional<platform::ScreenRect> SelectScreenArea(QWidget* owner, Profile& profile,
                                                     const ScreenStill& still,
                                                     const platform::BackendSet& backends);

}  // namespace glimtap
