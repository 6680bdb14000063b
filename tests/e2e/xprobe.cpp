// A probe for end-to-end tests under X11: asks a window to close as a window manager would, reads its
// pixels, or saves it as PNG.
//
//   xprobe close <window>                      send WM_DELETE_WINDOW through WM_PROTOCOLS
//   xprobe pixel <source> <x> <y> [<x> <y>...] print each pixel's color as RRGGBB, one a line
//   xprobe pixels <source> <x> <y> <w> <h>     print a rectangle's colors, one RRGGBB a line, row by row
//   xprobe count <source> <RRGGBB>             print how many pixels have that color
//   xprobe shot <window> <file.png>            save the window's contents
//
// A <window> is an X11 window id (decimal or 0x...) or "root"; a <source> is a window or a PNG file that
// "shot" saved, so that the pixels of a screenshot can be checked after the fact.
#include <QImage>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

#include <cctype>
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

// "root" or a window id (decimal or 0x...); anything else names a PNG file.
bool namesWindow(const char* text) {
    if (std::strcmp(text, "root") == 0) {
        return true;
    }
    char* end = nullptr;
    std::strtoul(text, &end, 0);
    return std::isdigit(static_cast<unsigned char>(*text)) && *end == '\0';
}

xcb_window_t windowOf(xcb_connection_t* connection, const char* text) {
    if (std::strcmp(text, "root") == 0) {
        return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    }
    return static_cast<xcb_window_t>(std::strtoul(text, nullptr, 0));
}

// The pixels of a window, or of a PNG file, which needs no display.
QImage source(xcb_connection_t* connection, const char* text) {
    if (connection != nullptr) {
        return grab(connection, windowOf(connection, text));
    }
    return QImage(QString::fromLocal8Bit(text), "PNG").convertToFormat(QImage::Format_RGB32);
}

int printPixels(const QImage& image, const QRect& rectangle) {
    if (image.isNull() || rectangle.isEmpty() || !image.rect().contains(rectangle)) {
        std::fprintf(stderr, "xprobe: the rectangle is not inside the picture\n");
        return 1;
    }
    for (int y = rectangle.top(); y <= rectangle.bottom(); ++y) {
        for (int x = rectangle.left(); x <= rectangle.right(); ++x) {
            std::printf("%06X\n", image.pixel(x, y) & 0xFFFFFFU);
        }
    }
    return 0;
}

int countPixels(const QImage& image, const char* text) {
    char* end = nullptr;
    const unsigned long wanted = std::strtoul(text, &end, 16);
    if (image.isNull() || std::strlen(text) != 6 || *end != '\0') {
        std::fprintf(stderr, "xprobe: no picture, or '%s' is not RRGGBB\n", text);
        return 1;
    }
    long count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            count += (line[x] & 0xFFFFFFU) == wanted ? 1 : 0;
        }
    }
    std::printf("%ld\n", count);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: xprobe close|pixel|pixels|count|shot <window>|<file.png> [...]\n");
        return 2;
    }
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    if (namesWindow(argv[2])) {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection)) {
            std::fprintf(stderr, "xprobe: cannot open the display\n");
            xcb_disconnect(connection);
            return 2;
        }
        window = windowOf(connection, argv[2]);
    }
    const QString command = QString::fromLatin1(argv[1]);
    int status = 2;
    if (command == QLatin1String("close") && window != 0) {
        status = closeWindow(connection, window);
    } else if (command == QLatin1String("pixel") && argc >= 5 && argc % 2 == 1) {
        const QImage image = source(connection, argv[2]);
        status = 0;
        for (int k = 3; k + 1 < argc && status == 0; k += 2) {
            const QPoint at(std::atoi(argv[k]), std::atoi(argv[k + 1]));
            if (image.valid(at)) {
                std::printf("%06X\n", image.pixel(at) & 0xFFFFFFU);
            } else {
                std::fprintf(stderr, "xprobe: no pixel at %d, %d\n", at.x(), at.y());
                status = 1;
            }
        }
    } else if (command == QLatin1String("pixels") && argc == 7) {
        status = printPixels(source(connection, argv[2]), QRect(std::atoi(argv[3]), std::atoi(argv[4]),
                                                                std::atoi(argv[5]), std::atoi(argv[6])));
    } else if (command == QLatin1String("count") && argc == 4) {
        status = countPixels(source(connection, argv[2]), argv[3]);
    } else if (command == QLatin1String("shot") && argc == 4 && window != 0) {
        status = grab(connection, window).save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
    }
    if (connection != nullptr) {
        xcb_disconnect(connection);
    }
    return status;
}
