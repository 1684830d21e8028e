// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <xcb/xcb.h>

namespace qbus::bench {

using Clock = std::chrono::steady_clock;

// Watches the X server of $DISPLAY for what changes on its screen: every top-level window
// created after the watch began has each drawing into it reported (the DAMAGE extension), and
// each mapping of one is noted. The watcher blocks on the server between reports, so watching
// takes no processor from what is watched.
class DamageWatch {
 public:
  DamageWatch();
  ~DamageWatch();
  DamageWatch(const DamageWatch&) = delete;
  DamageWatch& operator=(const DamageWatch&) = delete;

  // False when there is no server, or it lacks DAMAGE.
  bool ok() const { return damage_event_ != 0; }

  // Reports the drawings into the top-level windows that exist already, as into new ones: for
  // what an input changes in a window on the screen.
  void WatchExisting();

  // How long to wait and what for. The screen has settled when something was drawn (after a
  // window was mapped, with `after_map`) and then nothing for `quiet`, during which the process
  // `pid` (when not -1) also used the processor for less than a tenth of that time: one still
  // computing has not finished its form.
  struct Settle {
    bool after_map = false;
    pid_t pid = -1;
    std::chrono::milliseconds quiet{200};
    Clock::time_point deadline;
    std::function<bool()> gone;  // true when what is watched has ended: stop waiting
  };
  // The time of the last drawing before the screen settled; nothing when the deadline passed
  // or `gone` said so first.
  std::optional<Clock::time_point> WaitSettled(const Settle& settle);

 private:
  void Take(xcb_generic_event_t* event, bool* mapped, bool* drawn);

  xcb_connection_t* x_ = nullptr;
  uint8_t damage_event_ = 0;
};

// User and system CPU of process `pid` (all its threads) in clock ticks, -1 when unreadable.
long ProcessCpuTicks(pid_t pid);

}  // namespace qbus::bench
