// SPDX-License-Identifier: GPL-3.0-or-later
// Times how long a window takes to appear after an input, as the user waits for it: runs the
// command (an xdotool key press) and waits, blocked on the X server rather than polling it, for
// the next top-level window to be mapped and then to be drawn into (the DAMAGE extension reports
// the drawing).
//   quoril-bus-map-timer COMMAND [ARGUMENT...]     prints "MAPPED_MS DRAWN_MS"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

namespace {

long long Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) return 2;
  const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x, &xcb_damage_id);
  if (damage == nullptr || !damage->present) return 2;
  std::free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
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
  long long mapped = -1;
  while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
    const uint8_t type = event->response_type & 0x7F;
    if (type == XCB_CREATE_NOTIFY) {
      // Watch every new top-level window from its creation, before it can draw.
      const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
      xcb_damage_create(x, xcb_generate_id(x), created->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
      xcb_flush(x);
    } else if (type == XCB_MAP_NOTIFY && mapped < 0) {
      mapped = Since(start);
    } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY && mapped >= 0) {
      std::printf("%lld %lld\n", mapped, Since(start));
      std::free(event);
      waitpid(child, nullptr, 0);
      xcb_disconnect(x);
      return 0;
    }
    std::free(event);
  }
  return 1;
}
