// Waits for the first top-level window that is mapped on the display (no window manager: a
// program's own window, not an override-redirect popup) and prints the wall-clock time of that
// moment in microseconds. Started before the program measured; "ready" on stdout says it listens.
//   brellix_map_probe [timeout-ms]
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <poll.h>

namespace {

long long NowMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

struct ConnectionClose {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

}  // namespace

int main(int argc, char* argv[]) {
    const int timeoutMs = argc > 1 ? std::atoi(argv[1]) : 20000;
    std::unique_ptr<xcb_connection_t, ConnectionClose> connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get())) return 2;
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes_checked(connection.get(), root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(connection.get(), xcb_get_input_focus(connection.get()), nullptr));  // a round trip
    std::printf("ready\n");
    std::fflush(stdout);

    const long long deadline = NowMicroseconds() + timeoutMs * 1000LL;
    pollfd fd{xcb_get_file_descriptor(connection.get()), POLLIN, 0};
    while (NowMicroseconds() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection.get())) {
            std::unique_ptr<xcb_generic_event_t, decltype(&free)> owned(event, &free);
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) continue;
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (map->override_redirect) continue;
            std::printf("%lld 0x%x\n", NowMicroseconds(), map->window);
            return 0;
        }
        if (xcb_connection_has_error(connection.get())) return 2;
        poll(&fd, 1, 5);
    }
    return 1;
}
