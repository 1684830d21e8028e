// SPDX-License-Identifier: GPL-3.0-or-later
// Times how long a window takes to appear after an input, as the user waits for it: runs the
// command (an xdotool key press) and waits, blocked on the X server rather than polling it, for
// the next top-level window to be mapped.
//   quoril-bus-map-timer COMMAND [ARGUMENT...]     prints "MILLISECONDS"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) return 2;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
  std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));  // the mask is set

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
    const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
    std::free(event);
    if (!mapped) continue;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%lld\n", static_cast<long long>(
                              std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
    waitpid(child, nullptr, 0);
    xcb_disconnect(x);
    return 0;
  }
  return 1;
}
