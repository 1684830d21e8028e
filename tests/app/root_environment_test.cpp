// SPDX-License-Identifier: GPL-3.0-or-later
// What a root window keeps of its caller's environment.
#include "app/root_environment.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace qbus::app {
namespace {

struct Row {
  const char* inherited;
  const char* kept;  // the entry as kept, or nullptr when it must go
};

// Each row an entry a caller might pass on through sudo -E, su -m or a root shell.
constexpr Row kRows[] = {
    {"DISPLAY=:0", "DISPLAY=:0"},
    {"XAUTHORITY=/home/u/.Xauthority", "XAUTHORITY=/home/u/.Xauthority"},
    {"LANG=de_DE.UTF-8", "LANG=de_DE.UTF-8"},
    {"LC_NUMERIC=C", "LC_NUMERIC=C"},
    {"TZ=Europe/Berlin", "TZ=Europe/Berlin"},
    {"TZ=:/home/u/zone", nullptr},
    {"TZ=../../home/u/zone", nullptr},
    {"QT_QPA_PLATFORM=vnc", "QT_QPA_PLATFORM=xcb"},
    {"DBUS_SESSION_BUS_ADDRESS=unix:path=/tmp/u-bus", "DBUS_SESSION_BUS_ADDRESS=disabled:"},
    {"HOME=/home/u", "HOME=/root"},
    {"PATH=/home/u/bin:/usr/bin", "PATH=/usr/sbin:/usr/bin:/sbin:/bin"},
    {"XDG_CONFIG_HOME=/home/u/.config", nullptr},
    {"FONTCONFIG_FILE=/home/u/fonts.conf", nullptr},
    {"QT_PLUGIN_PATH=/home/u/plugins", nullptr},
    {"LD_PRELOAD=/home/u/evil.so", nullptr},
    {"AT_SPI_BUS_ADDRESS=unix:path=/tmp/u-a11y", nullptr},
    {"=odd", nullptr},
};

TEST(RootEnvironment, KeepsOnlyTheAllowedEntries) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.inherited);
    const auto kept = RootEnvironment({row.inherited}, "/root");
    const std::string name =
        std::string(row.inherited).substr(0, std::string(row.inherited).find('='));
    const auto found = std::find_if(kept.begin(), kept.end(), [&](const std::string& entry) {
      return !name.empty() && entry.rfind(name + "=", 0) == 0;
    });
    if (row.kept == nullptr) {
      EXPECT_EQ(found, kept.end());
    } else {
      ASSERT_NE(found, kept.end());
      EXPECT_EQ(*found, row.kept);
    }
  }
}

TEST(RootEnvironment, AlwaysSetsTheFixedEntriesOnce) {
  const auto kept = RootEnvironment({}, "/root");
  EXPECT_EQ(kept, (std::vector<std::string>{"HOME=/root", "PATH=/usr/sbin:/usr/bin:/sbin:/bin",
                                            "QT_QPA_PLATFORM=xcb",
                                            "DBUS_SESSION_BUS_ADDRESS=disabled:"}));
}

}  // namespace
}  // namespace qbus::app
