// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// What a window that runs as root keeps of the world it was started in. The window is meant to
// run as the user, with the root helper behind its access library; a root login or sudo still
// starts it as root, and then nothing of the caller's may steer the toolkit, the fonts, D-Bus or
// files opened as root.
namespace qbus::app {

// The environment of a root window, from the caller's `inherited` ("NAME=value" entries): DISPLAY,
// XAUTHORITY, LANG and LC_* as they are; TZ unless it names a file; HOME set to `home` (root's
// home from the password database); a fixed PATH; the xcb platform (no other of the toolkit's
// platforms, such as a network one); and the D-Bus session disabled, so no bus is launched or
// taken over through the X display and no accessibility bridge is opened. Everything else goes.
// (HardenRootProcess adds root's own runtime folder, /run/user/0, where it exists.)
std::vector<std::string> RootEnvironment(const std::vector<std::string>& inherited,
                                         const std::string& home);

// When the process runs as root: replaces its environment by RootEnvironment and closes every
// inherited descriptor above standard error. Call first in main, before the toolkit starts.
// Does nothing for any other user.
void HardenRootProcess();

// For a window of any user: where the session names no D-Bus bus, D-Bus is switched off
// (DBUS_SESSION_BUS_ADDRESS=disabled:), so that no bus is launched through the X display, where
// any other client of the display could take it over. A desktop session names its bus, and a
// screen reader works through that one. Call in main, before the toolkit starts.
void KeepDbusFromAutolaunching();

}  // namespace qbus::app
