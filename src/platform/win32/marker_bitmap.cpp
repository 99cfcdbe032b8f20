#include "platform/win32/marker_bitmap.h"

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

namespace glimtap::platform {
namespace {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// `r` in the bitmap's pixels, whose top-left pixel is `origin` of the desktop.
RECT InBitmap(const ScreenRect& r, const ScreenRect& origin) {
    const LONG left = r.left - origin.left;
    const LONG top = r.top - origin.top;
    return {left, top, left + r.width, top + r.height};
}

void Fill(HDC dc, const RECT& r, MarkerColour colour) {
    SetDCBrushColor(dc, RGB(colour.red, colour.green, colour.blue));
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Fills what lies inside `outer` but outside `inner`.
void FillRing(HDC dc, const RECT& outer, const RECT& inner, MarkerColour colour) {
    Fill(dc, {outer.left, outer.top, outer.right, inner.top}, colour);
    Fill(dc, {outer.left, inner.bottom, outer.right, outer.bottom}, colour);
    Fill(dc, {outer.left, inner.top, inner.left, inner.bottom}, colour);
    Fill(dc, {inner.right, inner.top, outer.right, inner.bottom}, colour);
}

bool Holds(const RECT& r, LONG x, LONG y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The desktop's message font, extra bold, whose cell (ascent plus descent) is `cellHeight`
// pixels high: the number is sized by its cell, not its em.
UniqueFont CountdownFont(int32_t cellHeight) {
    NONCLIENTMETRICSW desktop{};
    desktop.cbSize = sizeof(desktop);
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(desktop), &desktop, 0)) {
        font = desktop.lfMessageFont;
    }
    font.lfHeight = cellHeight;  // a positive height is the cell's
    font.lfWidth = 0;
    font.lfWeight = FW_EXTRABOLD;
    font.lfQuality = ANTIALIASED_QUALITY;
    return UniqueFont(CreateFontIndirectW(&font));
}

void DrawCountdown(HDC dc, RECT box, const MarkerMetrics& metrics, int64_t seconds) {
    const std::wstring text = std::to_wstring(seconds);
    const int length = static_cast<int>(text.size());
    const int32_t cellHeight = FitCountdownFontHeight(
        {box.right - box.left, box.bottom - box.top}, metrics,
        [&](int32_t height) -> std::optional<Size> {
            const UniqueFont font = CountdownFont(height);
            if (!font) return std::nullopt;
            const HGDIOBJ before = SelectObject(dc, font.get());
            SIZE extent;
            TEXTMETRICW cell;
            const bool measured = GetTextExtentPoint32W(dc, text.c_str(), length, &extent) &&
                                  GetTextMetricsW(dc, &cell);
            SelectObject(dc, before);
            if (!measured) return std::nullopt;
            return Size{extent.cx, cell.tmHeight};
        });
    const UniqueFont font = CountdownFont(cellHeight);
    const HGDIOBJ before = SelectObject(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text.c_str(), length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, before);
}

}  // namespace

void PaintMarkerBitmap(HDC dc, uint32_t* pixels, const MarkerPlan& plan, int32_t dpi,
                       MarkerKind kind, int64_t seconds) {
    const MarkerMetrics metrics = MarkerMetricsForDpi(dpi);
    const MarkerColour outline = kind == MarkerKind::kClosestMiss ? kClosestMissOutline
                                                                  : kMarkerOutline;
    const RECT band = InBitmap(plan.band, plan.bounds);
    const RECT frame = InBitmap(plan.frame, plan.bounds);
    const RECT hole = InBitmap(plan.hole, plan.bounds);
    const RECT box = InBitmap(plan.countdown, plan.bounds);
    FillRing(dc, band, frame, kMarkerFill);
    FillRing(dc, frame, hole, outline);
    Fill(dc, box, kMarkerFill);
    // The box's frame as a pen centred on its edges draws it: only the inner half shows.
    const LONG inset = metrics.outline / 2;
    FillRing(dc, box, {box.left + inset, box.top + inset, box.right - inset, box.bottom - inset},
             outline);
    DrawCountdown(dc, box, metrics, seconds);

    GdiFlush();  // the section's memory is written directly
    // GDI leaves alpha alone: the marker's pixels become opaque, all others transparent.
    for (LONG y = 0; y < plan.bounds.height; ++y) {
        for (LONG x = 0; x < plan.bounds.width; ++x) {
            uint32_t& pixel = pixels[y * plan.bounds.width + x];
            const bool marker = Holds(box, x, y) || (Holds(band, x, y) && !Holds(hole, x, y));
            pixel = marker ? pixel | 0xff000000u : 0;
        }
    }
}

}  // namespace glimtap::platform
