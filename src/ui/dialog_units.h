#pragma once

#include <QFont>
#include <QSize>

namespace glimtap {

// Dialog units of a font: a quarter of its average character width across, an eighth of
// its height down. The form's measures are given in them, so it scales with the font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const;
    int Y(int units) const;
    QSize Size(int width, int height) const { return {X(width), Y(height)}; }

private:
    int baseX_;
    int baseY_;
};

}  // namespace glimtap
