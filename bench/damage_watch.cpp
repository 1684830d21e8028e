// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/damage_watch.h"

#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <xcb/damage.h>

namespace qbus::bench {

DamageWatch::DamageWatch() {
  x_ = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x_)) return;
  const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x_, &xcb_damage_id);
  if (damage == nullptr || !damage->present) return;
  std::free(xcb_damage_query_version_reply(x_, xcb_damage_query_version(x_, 1, 1), nullptr));
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x_, root, XCB_CW_EVENT_MASK, &mask);
  // A round trip: the mask is in force before anything that follows can create a window.
  std::free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));
  damage_event_ = damage->first_event + XCB_DAMAGE_NOTIFY;
}

DamageWatch::~DamageWatch() { xcb_disconnect(x_); }

void DamageWatch::WatchExisting() {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root;
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x_, xcb_query_tree(x_, root), nullptr);
  if (tree == nullptr) return;
  const xcb_window_t* windows = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
    xcb_damage_create(x_, xcb_generate_id(x_), windows[i], XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
  }
  std::free(tree);
  std::free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));
}

void DamageWatch::Take(xcb_generic_event_t* event, bool* mapped, bool* drawn) {
  const uint8_t type = event->response_type & 0x7F;
  if (type == XCB_CREATE_NOTIFY) {
    // Every rectangle drawn is reported, from the window's creation on.
    const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
    xcb_damage_create(x_, xcb_generate_id(x_), created->window,
                      XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(x_);
  } else if (type == XCB_MAP_NOTIFY) {
    *mapped = true;
  } else if (type == damage_event_) {
    *drawn = true;
  }
}

std::optional<Clock::time_point> DamageWatch::WaitSettled(const Settle& settle) {
  bool mapped = false;
  std::optional<Clock::time_point> last;  // the last drawing that counts
  Clock::time_point quiet_from;           // when the current quiet stretch began
  long cpu_from = -1;                     // the process's CPU then
  for (;;) {
    const Clock::time_point now = Clock::now();
    const Clock::time_point until = last ? quiet_from + settle.quiet : settle.deadline;
    if (last && now >= until) {
      const long cpu = ProcessCpuTicks(settle.pid);
      const long tenth = sysconf(_SC_CLK_TCK) * settle.quiet.count() / 10000;
      if (settle.pid < 0 || cpu < 0 || cpu - cpu_from <= tenth) return last;
      quiet_from = now;
      cpu_from = cpu;
      continue;
    }
    if (now >= settle.deadline || (settle.gone && settle.gone())) return std::nullopt;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::min(until, settle.deadline) - now);
    pollfd readable{xcb_get_file_descriptor(x_), POLLIN, 0};
    // Wakes at least every 100 ms to see whether the watched process has ended.
    poll(&readable, 1, static_cast<int>(std::min<long long>(wait.count() + 1, 100)));
    bool drawn = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
      bool drawn_now = false;
      Take(event, &mapped, &drawn_now);
      drawn = drawn || (drawn_now && (mapped || !settle.after_map));
      std::free(event);
    }
    if (xcb_connection_has_error(x_)) return std::nullopt;
    if (drawn) {
      last = quiet_from = Clock::now();
      cpu_from = ProcessCpuTicks(settle.pid);
    }
  }
}

long ProcessCpuTicks(pid_t pid) {
  if (pid < 0) return -1;
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The fields after the command name, which ends at the last ')': state is field 3, utime 14.
  const size_t name_end = stat.rfind(')');
  if (name_end == std::string::npos) return -1;
  std::istringstream fields(stat.substr(name_end + 2));
  std::string field;
  long utime = -1;
  long stime = -1;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number == 14) utime = std::strtol(field.c_str(), nullptr, 10);
    if (number == 15) stime = std::strtol(field.c_str(), nullptr, 10);
  }
  return utime < 0 || stime < 0 ? -1 : utime + stime;
}

}  // namespace qbus::bench
