// Times a program from exec to its first window being mapped on the X display and to that window's first
// frame, and reads its peak resident memory once the window has been shown for a moment. Alternates the
// programs given, so that both see the same machine load.
//
//   startupTimer <runs> <settle ms> <program> [<program> ...]
// prints one line per program: median and minimum start-up (mapped, first frame) in ms, median peak RSS
// and anonymous (private) resident memory in KiB.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double startupMs;
    double frameMs;
    long peakKiB;
    long privateKiB;
};

// One "Name:   1234 kB" field of /proc/<pid>/status, in KiB; -1 where it is missing.
long statusKiB(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ':', 0) == 0) {
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
        }
    }
    return -1;
}

// The first window mapped, or none when the deadline passes.
xcb_window_t waitForMap(xcb_connection_t* connection, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            std::free(event);
            if (mapped) {
                return window;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return XCB_NONE;
}

// Qt flushes a window's first frame at once. Both programs show a colored box in the middle of the
// window, where an unpainted window shows the X server's black or white: a color there is the frame.
bool waitForFirstFrame(xcb_connection_t* connection, xcb_window_t window, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        xcb_get_image_reply_t* image = xcb_get_image_reply(
            connection, xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 119, 119, 1, 1, ~0U),
            nullptr);
        std::uint32_t pixel = 0;
        if (image != nullptr && xcb_get_image_data_length(image) >= 4) {
            std::memcpy(&pixel, xcb_get_image_data(image), sizeof pixel);
        }
        std::free(image);
        const std::uint32_t red = pixel >> 16 & 0xFF, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
        if (red != green || green != blue) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

Sample runOnce(xcb_connection_t* connection, xcb_window_t root, const char* program, int settleMs) {
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)); // round trip

    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = start + std::chrono::seconds(20);
    const xcb_window_t window = waitForMap(connection, deadline);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const bool framed = window != XCB_NONE && waitForFirstFrame(connection, window, deadline);
    const double frameMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    // The rest of the resident set is pages of shared libraries and mapped files, which other
    // programs on a desktop share.
    const long peak = statusKiB(pid, "VmHWM");
    const long anonymous = statusKiB(pid, "RssAnon");
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &none);
    xcb_flush(connection);
    return {window != XCB_NONE ? ms : -1, framed ? frameMs : -1, peak, anonymous};
}

template <typename T> T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startupTimer <runs> <settle ms> <program> [<program> ...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const int settleMs = std::atoi(argv[2]);
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "startupTimer: cannot open the display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    std::vector<std::vector<Sample>> samples(static_cast<std::size_t>(argc - 3));
    for (int run = 0; run < runs; ++run) {
        for (int p = 3; p < argc; ++p) {
            samples[static_cast<std::size_t>(p - 3)].push_back(runOnce(connection, root, argv[p], settleMs));
        }
    }
    for (int p = 3; p < argc; ++p) {
        std::vector<double> times;
        std::vector<double> frames;
        std::vector<long> peaks;
        std::vector<long> anonymous;
        for (const Sample& sample : samples[static_cast<std::size_t>(p - 3)]) {
            times.push_back(sample.startupMs);
            frames.push_back(sample.frameMs);
            peaks.push_back(sample.peakKiB);
            anonymous.push_back(sample.privateKiB);
        }
        std::printf(
            "%-40s mapped median %6.1f ms (min %6.1f), first frame median %6.1f ms (min %6.1f), peak RSS "
            "median %6ld KiB (anonymous %5ld KiB)\n",
            argv[p], median(times), *std::min_element(times.begin(), times.end()), median(frames),
            *std::min_element(frames.begin(), frames.end()), median(peaks), median(anonymous));
    }
    xcb_disconnect(connection);
    return 0;
}
