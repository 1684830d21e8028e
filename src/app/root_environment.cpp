// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/root_environment.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace qbus::app {
namespace {

bool Kept(const std::string& name, const std::string& value) {
  if (name == "DISPLAY" || name == "XAUTHORITY" || name == "LANG") return true;
  if (name.rfind("LC_", 0) == 0) return true;
  // "TZ=:/path" or "TZ=/path" would have the C library parse a file of the caller's as root.
  return name == "TZ" && !value.empty() && value[0] != ':' && value[0] != '/' &&
         value.find("..") == std::string::npos;
}

}  // namespace

std::vector<std::string> RootEnvironment(const std::vector<std::string>& inherited,
                                         const std::string& home) {
  std::vector<std::string> kept;
  for (const std::string& entry : inherited) {
    const size_t equals = entry.find('=');
    if (equals == std::string::npos || equals == 0) continue;
    if (Kept(entry.substr(0, equals), entry.substr(equals + 1))) kept.push_back(entry);
  }
  kept.push_back("HOME=" + home);
  kept.push_back("PATH=/usr/sbin:/usr/bin:/sbin:/bin");
  kept.push_back("QT_QPA_PLATFORM=xcb");
  kept.push_back("DBUS_SESSION_BUS_ADDRESS=disabled:");
  return kept;
}

void HardenRootProcess() {
  if (geteuid() != 0) return;
  close_range(3, ~0u, 0);
  std::vector<std::string> inherited;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    inherited.emplace_back(*entry);
  }
  const passwd* account = getpwuid(geteuid());
  const std::string home = account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "/";
  const std::vector<std::string> entries = RootEnvironment(inherited, home);
  clearenv();
  for (const std::string& entry : entries) {
    const size_t equals = entry.find('=');
    setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
  }
  // The toolkit's runtime folder: root's own from the login manager where there is one (never
  // the caller's); without it the toolkit makes a private one itself.
  const std::string runtime = "/run/user/" + std::to_string(geteuid());
  struct stat folder;
  if (lstat(runtime.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode) &&
      folder.st_uid == geteuid() && (folder.st_mode & 0777) == 0700) {
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  }
  if (chdir(home.c_str()) != 0 && chdir("/") != 0) std::_Exit(1);
}

void KeepDbusFromAutolaunching() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address == nullptr || *address == '\0') setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

}  // namespace qbus::app
