#include "platform/x11/xtest_support.h"

#include <xcb/xtest.h>

#include <algorithm>
#include <limits>

#include "platform/unavailable.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

void RequireXTest(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_test_id);
    if (extension == nullptr || extension->present == 0) {
        throw Unavailable("the X server lacks the XTest extension");
    }
}

int16_t ToXCoordinate(int32_t value) {
    return static_cast<int16_t>(std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

}  // namespace glimtap::platform
