// SPDX-License-Identifier: GPL-3.0-or-later
// Asks an X client whether it still answers: sends its window the _NET_WM_PING message that
// window managers use and waits for the echo on the root window, which the client sends only
// from its event loop.
//   x_ping WINDOW_ID TIMEOUT_MS    exit 0: answered; 1: no answer in time; 2: usage or X error
#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xcb_atom_t Atom(xcb_connection_t* x, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t atom = reply == nullptr ? XCB_ATOM_NONE : reply->atom;
  std::free(reply);
  return atom;
}

int Ping(xcb_connection_t* x, xcb_window_t window, std::chrono::milliseconds timeout) {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const xcb_atom_t protocols = Atom(x, "WM_PROTOCOLS");
  const xcb_atom_t ping = Atom(x, "_NET_WM_PING");
  // Clients echo the ping to the root window, for the structure or substructure listeners there.
  const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);

  const auto stamp = static_cast<uint32_t>(
      std::chrono::steady_clock::now().time_since_epoch().count() & 0x7FFFFFFF);
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = protocols;
  message.data.data32[0] = ping;
  message.data.data32[1] = stamp;
  message.data.data32[2] = window;
  xcb_send_event(x, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
  xcb_flush(x);

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd wait{xcb_get_file_descriptor(x), POLLIN, 0};
    poll(&wait, 1, 50);
    while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
      const auto* reply = reinterpret_cast<xcb_client_message_event_t*>(event);
      const bool pong = (event->response_type & 0x7F) == XCB_CLIENT_MESSAGE &&
                        reply->data.data32[0] == ping && reply->data.data32[1] == stamp;
      std::free(event);
      if (pong) return 0;
    }
    if (xcb_connection_has_error(x)) return 2;
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const auto window = static_cast<xcb_window_t>(std::stoul(argv[1], nullptr, 0));
  const auto timeout = std::chrono::milliseconds(std::stoi(argv[2]));
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  const int answer = xcb_connection_has_error(x) ? 2 : Ping(x, window, timeout);
  xcb_disconnect(x);
  return answer;
}
