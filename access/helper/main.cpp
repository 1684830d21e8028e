// SPDX-License-Identifier: GPL-3.0-or-later
// quoril-bus-helper: the only part of Quoril Bus that runs as root. It does PCI configuration
// reads and writes for the elevated access library and nothing else, over the frames of
// helper_protocol.h on its standard input and output, and ends when its input closes (the
// window quit or crashed). It takes no arguments and trusts nothing it inherits: environment,
// descriptors, current directory and core dumps are all put right before libpci starts. It opens
// every function's configuration file and its system log connection during set-up; then it
// leaves uid 0 where the files keep their opener's rights (else keeps only CAP_SYS_ADMIN),
// gains nothing more, and a filter ends it at any system call but those of its loop: it can
// open, create or execute nothing and make no socket. It records every write in the system log
// itself, with the id of the user who asked, so no request can bypass the record: its intent before
// the write, which is not made when the system log does not take it, and its outcome after. It
// serves only the window's socket, and records nowhere else: its standard error is the user's.
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "access/common/helper_server.h"
#include "access/common/system_log.h"
#include "access/helper/hardening.h"
#include "access/helper/write_record.h"
#include "access/linux/core.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// In a sanitizer build the leak check runs before the system-call filter, over everything set
// up so far: at exit it would stop the world with calls the filter refuses.
void CheckLeaksBeforeTheFilter() {
#if defined(__SANITIZE_ADDRESS__)
  __lsan_do_leak_check();
#endif
}

// The user on the other end of the window's socket, as the kernel recorded it when the window
// made the socket: not something a request can claim. Nothing unless standard input and output
// are one connected Unix stream socket with a peer the kernel knows: a pipe, a file or a
// terminal has no such peer, and whoever holds its other end need not be the window.
std::optional<uid_t> WindowUser() {
  struct stat in = {};
  struct stat out = {};
  if (fstat(STDIN_FILENO, &in) != 0 || fstat(STDOUT_FILENO, &out) != 0 || !S_ISSOCK(in.st_mode) ||
      in.st_dev != out.st_dev || in.st_ino != out.st_ino) {
    return std::nullopt;
  }
  int type = 0;
  socklen_t type_size = sizeof type;
  ucred peer{};
  socklen_t size = sizeof peer;
  // An unconnected socket answers with no process (pid 0) for its peer.
  if (getsockopt(STDIN_FILENO, SOL_SOCKET, SO_TYPE, &type, &type_size) != 0 ||
      type != SOCK_STREAM || getsockopt(STDIN_FILENO, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
      peer.pid <= 0) {
    return std::nullopt;
  }
  return peer.uid;
}

void Refuse(const std::string& why) {
  std::fprintf(stderr, "quoril-bus-helper: cannot harden itself (%s); serves nothing\n",
               why.c_str());
}

}  // namespace

int main(int argc, char**) {
  std::string why;
  const bool inherited_dropped = qbus::access::helper::DropInheritance(&why);
  if (argc > 1) {
    std::fputs("quoril-bus-helper: takes no arguments\n", stderr);
    return 2;
  }
  const std::optional<uid_t> user = WindowUser();
  if (!user) {
    std::fputs(
        "quoril-bus-helper: standard input and output are not the window's socket; "
        "serves nothing\n",
        stderr);
    return 1;
  }
  if (!inherited_dropped) Refuse(why);
  // The configuration files first, so that they take one range of descriptors from 3 up.
  qbus::access::linux_pci::Core core;
  bool ready = inherited_dropped && core.Init();
  qbus::access::SystemLog log("quoril-bus-helper", "/dev/log", nullptr);
  const qbus::access::linux_pci::Core::ConfigFiles& files_open = core.config_files();
  const qbus::access::helper::Sandbox sandbox{STDIN_FILENO,
                                              STDOUT_FILENO,
                                              log.Connect(),
                                              files_open.first,
                                              files_open.last,
                                              files_open.count,
                                              !core.FilesKeepTheOpenersRights()};
  // The zone file is read now: the filter below would end the helper at the first record.
  tzset();
  CheckLeaksBeforeTheFilter();
  if (ready && !qbus::access::helper::KeepLeastPrivilege(sandbox, &why)) {
    Refuse(why);
    ready = false;
  }
  qbus::access::helper::Serve(STDIN_FILENO, STDOUT_FILENO, ready, core,
                              qbus::access::helper::WriteLog(log, *user));
  return ready ? 0 : 1;
}
