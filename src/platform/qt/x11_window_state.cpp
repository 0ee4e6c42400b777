#include "platform/qt/x11_window_state.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>
#include <xcb/xcb.h>

namespace brellix::platform::qt {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class Reply>
using XcbReply = std::unique_ptr<Reply, FreeReply>;

constexpr std::uint32_t kNetWmStateAdd = 1;
constexpr std::uint32_t kSourceApplication = 1;

xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::vector<xcb_atom_t> NetWmState(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 64), nullptr));
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM) return {};
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    return {atoms, atoms + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t)};
}

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window) {
    const XcbReply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    return reply ? reply->root : xcb_window_t{XCB_WINDOW_NONE};
}

}  // namespace

void PrepareWindowStateForMap(const QWidget& window, bool onTop) {
    xcb_connection_t* connection = X11Connection();
    if (!connection) return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t property = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t hidden = Atom(connection, "_NET_WM_STATE_HIDDEN");
    const xcb_atom_t above = Atom(connection, "_NET_WM_STATE_ABOVE");
    std::vector<xcb_atom_t> state = NetWmState(connection, id, property);
    state.erase(std::remove(state.begin(), state.end(), hidden), state.end());
    if (onTop && std::find(state.begin(), state.end(), above) == state.end()) state.push_back(above);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(state.size()), state.data());
    xcb_flush(connection);
}

void AskToStayOnTop(const QWidget& window) {
    xcb_connection_t* connection = X11Connection();
    if (!connection) return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = Atom(connection, "_NET_WM_STATE");
    message.data.data32[0] = kNetWmStateAdd;
    message.data.data32[1] = Atom(connection, "_NET_WM_STATE_ABOVE");
    message.data.data32[3] = kSourceApplication;
    xcb_send_event(connection, 0, RootOf(connection, id),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

}  // namespace brellix::platform::qt
