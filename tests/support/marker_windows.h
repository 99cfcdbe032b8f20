#pragma once

#include <QApplication>
#include <QPointer>

#include <vector>

#include "response/screen_overlay.h"

namespace glimtap::test {

// The markers of this process that are on show.
inline std::vector<QPointer<CScreenOverlay>> MarkerWindows() {
    std::vector<QPointer<CScreenOverlay>> markers;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* marker = dynamic_cast<CScreenOverlay*>(widget);
        if (marker && marker->isVisible()) markers.emplace_back(marker);
    }
    return markers;
}

}  // namespace glimtap::test
