// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The root helper's defences. Each returns false, with the step that failed and why in `why`,
// when any part of it could not be done: a helper that could not harden itself must not serve.
namespace qbus::access::helper {

// Sheds what the helper inherits before anything else runs: the window's session and process
// group (a session of its own, so that no signal from the window's terminal reaches it), core
// dumps and ptrace (not dumpable, no core size), the environment, every descriptor above the
// standard three, the current directory; a reader that is gone ends the session through a
// failed write, not SIGPIPE.
bool DropInheritance(std::string* why);

// After libpci is set up: keeps only CAP_SYS_ADMIN (which reading past the first 64 bytes of a
// function needs) in the effective and permitted sets and in the bounding set (where the
// helper may change it), clears the inheritable and ambient ones, sets no_new_privs, and
// installs a system-call filter that allows only what the request loop and the system log
// need. Any other call fails with EPERM; a call of another architecture ends the process.
bool KeepLeastPrivilege(std::string* why);

}  // namespace qbus::access::helper
