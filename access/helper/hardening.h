// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The root helper's defences. Each returns false, with the step that failed and why in `why`,
// when any part of it could not be done: a helper that could not harden itself must not serve.
namespace qbus::access::helper {

// Sheds what the helper inherits before anything else runs: the window's session and process
// group (a session of its own, so that no signal from the window's terminal reaches it), core
// dumps and ptrace (not dumpable, no core size), the environment, every descriptor above the
// standard three (a closed one of those is opened onto /dev/null), the current directory; a
// reader that is gone ends the session through a failed write, not SIGPIPE.
bool DropInheritance(std::string* why);

// What the helper may still touch once it serves: the window's socket (requests read from
// `requests`, replies written to `replies`), the system log's connection (`log`, -1 for none),
// the configuration files (`config_count` descriptors from `first_config` to `last_config`, all
// of them in that range), and whether reading them needs CAP_SYS_ADMIN at each read (/proc's)
// or kept the rights of the process that opened them (sysfs').
struct Sandbox {
  int requests = 0;
  int replies = 1;
  int log = -1;
  int first_config = -1;
  int last_config = -1;
  int config_count = 0;
  bool reads_need_sys_admin = true;
};

// After set-up, with every file and socket it needs open. Where the files keep their opener's
// rights, a helper that is root becomes nobody (uid and gid 65534, no groups, no capabilities);
// where nobody has no id in its user namespace it stays uid 0 with no capabilities. Where reads
// need CAP_SYS_ADMIN it stays uid 0 with that capability alone. Either way the inheritable and
// ambient sets are cleared, the bounding set keeps at most CAP_SYS_ADMIN (where the helper may
// change it), the process stays undumpable, no_new_privs is set, and a system-call filter ends
// the process at any call but those of the request loop: reads of `requests`, writes of
// `replies`, sends to `log`, positioned reads and writes of the configuration files, memory
// that is never executable, the clock and its signal mask. Nothing can be opened, created or
// executed any more, and no socket made.
bool KeepLeastPrivilege(const Sandbox& sandbox, std::string* why);

}  // namespace qbus::access::helper
