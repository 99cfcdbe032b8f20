#include "support/x_drawing.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace glimtap::test {

using platform::Reply;

ScreenPainter::ScreenPainter() : gc_(xcb_generate_id(connection_.Get())) {
    xcb_create_gc(connection_.Get(), gc_, connection_.Root(), 0, nullptr);
}

ScreenPainter::~ScreenPainter() {
    xcb_free_gc(connection_.Get(), gc_);
    xcb_flush(connection_.Get());
}

void ScreenPainter::DrawOnRoot(int32_t x, int32_t y, int32_t width, int32_t height,
                               const std::vector<uint32_t>& pixels) {
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
        throw std::invalid_argument("DrawOnRoot: pixels do not match width and height");
    }
    xcb_connection_t* connection = connection_.Get();
    // One PutImage may not exceed the server's request size (counted in 4-byte units),
    // so tall pictures go in bands of rows.
    constexpr size_t kPutImageHeader = 24;
    const size_t max_bytes = size_t{xcb_get_maximum_request_length(connection)} * 4;
    const size_t row_bytes = static_cast<size_t>(width) * sizeof(uint32_t);
    const auto band_rows =
        static_cast<int32_t>(std::max<size_t>(1, (max_bytes - kPutImageHeader) / row_bytes));
    for (int32_t row = 0; row < height; row += band_rows) {
        const int32_t rows = std::min(band_rows, height - row);
        const size_t first_pixel = static_cast<size_t>(row) * static_cast<size_t>(width);
        xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, connection_.Root(), gc_,
                      static_cast<uint16_t>(width), static_cast<uint16_t>(rows),
                      static_cast<int16_t>(x), static_cast<int16_t>(y + row), 0,
                      connection_.Screen().root_depth,
                      static_cast<uint32_t>(rows) * static_cast<uint32_t>(row_bytes),
                      reinterpret_cast<const uint8_t*>(pixels.data() + first_pixel));
    }
    Sync();
}

void ScreenPainter::FillRoot(uint32_t colour) {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_geometry_reply_t> geometry{xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, connection_.Root()), nullptr)};
    if (geometry == nullptr) throw std::runtime_error("FillRoot: lost the X display");
    xcb_change_gc(connection, gc_, XCB_GC_FOREGROUND, &colour);
    const xcb_rectangle_t everything{0, 0, geometry->width, geometry->height};
    xcb_poly_fill_rectangle(connection, connection_.Root(), gc_, 1, &everything);
    Sync();
}

void ScreenPainter::Sync() {
    xcb_connection_t* connection = connection_.Get();
    // Any reply comes after the server has carried out every earlier request.
    const Reply<xcb_get_input_focus_reply_t> reply{
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)};
    if (reply == nullptr) throw std::runtime_error("lost the X display while drawing");
}

}  // namespace glimtap::test
