#include "ui/search_area.h"

namespace glimtap {

QString SearchAreaText(const SearchSettings& settings) {
    return QString("Left : %1, Top : %2\n\nWidth : %3, Height : %4")
        .arg(settings.areaLeft.load())
        .arg(settings.areaTop.load())
        .arg(settings.areaWidth.load())
        .arg(settings.areaHeight.load());
}

bool ApplySelectedArea(const std::optional<platform::ScreenRect>& selection,
                       SearchSettings& settings) {
    if (!selection) return false;
    settings.areaLeft = selection->left;
    settings.areaTop = selection->top;
    settings.areaWidth = selection->width;
    settings.areaHeight = selection->height;
    return true;
}

}  // namespace glimtap
