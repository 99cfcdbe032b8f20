#include "support/x_drawing.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "platform/backends.h"

namespace glimtap::test {

ScreenShot CaptureWholeScreen() {
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    const platform::Size size = backends->Geometry().VirtualScreenSize();
    const std::unique_ptr<platform::ScreenCapture> capture = backends->OpenCapture();
    if (!capture) throw std::runtime_error("no screen: " + backends->Missing());
    const std::optional<platform::ScreenImage> image = capture->Capture({0, 0, size.width, size.height});
    if (!image) throw std::runtime_error("cannot capture the screen");
    ScreenShot shot{{image->pixels, image->pixels + static_cast<size_t>(size.width) * size.height}, size};
    for (uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;
    return shot;
}

ScreenShot PatternedScreen(platform::Size size) {
    ScreenShot picture{{}, size};
    for (int32_t i = 0; i < size.width * size.height; ++i) {
        const uint32_t x = uint32_t(i % size.width), y = uint32_t(i / size.width);
        picture.pixels.push_back(x % 256 << 16 | y % 256 << 8 | ((x / 256 * 16 + y / 256) & 0xFF));
    }
    return picture;
}

ScreenPainter::ScreenPainter()
    : size_(connection_.RootSize()),
      pixmap_(xcb_generate_id(connection_.Get())),
      gc_(xcb_generate_id(connection_.Get())) {
    xcb_create_pixmap(connection_.Get(), connection_.Screen().root_depth, pixmap_, connection_.Root(),
                      static_cast<uint16_t>(size_.width), static_cast<uint16_t>(size_.height));
    xcb_create_gc(connection_.Get(), gc_, pixmap_, 0, nullptr);
    FillRoot(0);
}

ScreenPainter::~ScreenPainter() {
    // The root keeps its own reference to the picture.
    xcb_free_gc(connection_.Get(), gc_);
    xcb_free_pixmap(connection_.Get(), pixmap_);
    xcb_flush(connection_.Get());
}

void ScreenPainter::DrawOnRoot(int32_t x, int32_t y, int32_t width, int32_t height,
                               const std::vector<uint32_t>& pixels) {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height)
        throw std::invalid_argument("DrawOnRoot: pixels do not match width and height");
    xcb_connection_t* connection = connection_.Get();
    // PutImage requests are bounded in size: tall pictures go in bands of rows.
    constexpr size_t kPutImageHeader = 24;
    const size_t maxBytes = size_t{xcb_get_maximum_request_length(connection)} * 4;
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(uint32_t);
    const auto bandRows = static_cast<int32_t>(std::max<size_t>(1, (maxBytes - kPutImageHeader) / rowBytes));
    for (int32_t row = 0; row < height; row += bandRows) {
        const int32_t rows = std::min(bandRows, height - row);
        xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap_, gc_, static_cast<uint16_t>(width),
                      static_cast<uint16_t>(rows), static_cast<int16_t>(x), static_cast<int16_t>(y + row),
                      0, connection_.Screen().root_depth, static_cast<uint32_t>(rows * rowBytes),
                      reinterpret_cast<const uint8_t*>(pixels.data() + static_cast<size_t>(row) * width));
    }
    Show();
}

void ScreenPainter::FillRoot(uint32_t colour) {
    xcb_change_gc(connection_.Get(), gc_, XCB_GC_FOREGROUND, &colour);
    const xcb_rectangle_t everything{0, 0, uint16_t(size_.width), uint16_t(size_.height)};
    xcb_poly_fill_rectangle(connection_.Get(), pixmap_, gc_, 1, &everything);
    Show();
}

void ScreenPainter::Show() {
    // Set again each time: the server may have copied the pixmap when it was set.
    xcb_change_window_attributes(connection_.Get(), connection_.Root(), XCB_CW_BACK_PIXMAP, &pixmap_);
    // A compositing manager paints the root from the pixmap this names, read afresh at each change.
    constexpr std::string_view kName = "_XROOTPMAP_ID";
    const platform::Reply<xcb_intern_atom_reply_t> atom{xcb_intern_atom_reply(
        connection_.Get(), xcb_intern_atom(connection_.Get(), 0, kName.size(), kName.data()), nullptr)};
    if (atom != nullptr)
        xcb_change_property(connection_.Get(), XCB_PROP_MODE_REPLACE, connection_.Root(), atom->atom,
                            XCB_ATOM_PIXMAP, 32, 1, &pixmap_);
    xcb_clear_area(connection_.Get(), 0, connection_.Root(), 0, 0, 0, 0);
    SyncWithServer(connection_.Get());
}

void SyncWithServer(xcb_connection_t* connection) {
    // Any reply comes after the server has carried out every earlier request.
    const platform::Reply<xcb_get_input_focus_reply_t> reply{
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)};
    if (reply == nullptr) throw std::runtime_error("lost the X display");
}

}  // namespace glimtap::test
