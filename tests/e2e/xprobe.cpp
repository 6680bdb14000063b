// A probe for end-to-end tests under X11: asks a window to close as a window manager would, reads its
// pixels, or saves it as PNG.
//
//   xprobe close <window>             send WM_DELETE_WINDOW through WM_PROTOCOLS
//   xprobe pixel <window> <x> <y>     print the pixel's color as RRGGBB
//   xprobe shot <window> <file.png>   save the window's contents
#include <QImage>
#include <QString>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

int closeWindow(xcb_connection_t* connection, xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    // Checked, so that the request has reached the server before the probe disconnects.
    const auto cookie = xcb_send_event_checked(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                               reinterpret_cast<const char*>(&message));
    const Reply<xcb_generic_error_t> error(xcb_request_check(connection, cookie), &std::free);
    if (error) {
        std::fprintf(stderr, "xprobe: close request failed with X error %d\n", error->error_code);
        return 1;
    }
    return 0;
}

// The window's contents in a 24- or 32-bit TrueColor visual (what Xvfb offers at depth 24).
QImage grab(xcb_connection_t* connection, xcb_window_t window) {
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr), &std::free);
    if (!geometry) {
        return {};
    }
    const Reply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                          geometry->width, geometry->height, ~0U),
                            nullptr),
        &std::free);
    if (!image || image->depth < 24) {
        return {};
    }
    const QImage view(xcb_get_image_data(image.get()), geometry->width, geometry->height,
                      QImage::Format_RGB32);
    return view.copy();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: xprobe close|pixel|shot <window> [...]\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "xprobe: cannot open the display\n");
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
    const QString command = QString::fromLatin1(argv[1]);
    int status = 2;
    if (command == QLatin1String("close")) {
        status = closeWindow(connection, window);
    } else if (command == QLatin1String("pixel") && argc == 5) {
        const QImage image = grab(connection, window);
        const QPoint at(std::atoi(argv[3]), std::atoi(argv[4]));
        if (image.valid(at)) {
            std::printf("%06X\n", image.pixel(at) & 0xFFFFFFU);
            status = 0;
        }
    } else if (command == QLatin1String("shot") && argc == 4) {
        status = grab(connection, window).save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
    }
    xcb_disconnect(connection);
    return status;
}
