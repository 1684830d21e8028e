// SPDX-License-Identifier: GPL-3.0-or-later
// Times a program as its user waits for it: from exec to the first time it draws into a window
// of its own on the X server (the DAMAGE extension reports the drawing), then reads its resident
// memory at that moment and ends it.
//   quoril-bus-paint-timer COMMAND [ARGUMENT...]     prints "MILLISECONDS RESIDENT_KIB"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

namespace {

long PeakResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
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
  xcb_flush(x);

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  for (;;) {
    pollfd wait{xcb_get_file_descriptor(x), POLLIN, 0};
    poll(&wait, 1, 100);
    if (waitpid(pid, &status, WNOHANG) == pid) {
      std::fprintf(stderr, "paint-timer: %s ended before it drew\n", argv[1]);
      return 1;
    }
    while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
      const uint8_t type = event->response_type & 0x7F;
      if (type == XCB_CREATE_NOTIFY) {
        // Watch every new top-level window from its creation, before it can draw.
        const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
        xcb_damage_create(x, xcb_generate_id(x), created->window,
                          XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        xcb_flush(x);
      } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const long resident = PeakResidentKib(pid);
        kill(pid, SIGTERM);
        waitpid(pid, &status, 0);
        std::printf("%.1f %ld\n", ms, resident);
        std::free(event);
        xcb_disconnect(x);
        return 0;
      }
      std::free(event);
    }
  }
}
