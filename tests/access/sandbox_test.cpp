// SPDX-License-Identifier: GPL-3.0-or-later
// The root helper's sandbox from outside: a child hardened as the helper hardens itself makes
// one call, and anything but the request loop's calls on their own descriptors ends it; the
// helper program, made to fail one step of its hardening, announces that it serves nothing.
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "access/common/frame_io.h"
#include "access/common/helper_protocol.h"
#include "access/helper/hardening.h"
#include "tests/support/temp_dir.h"

namespace qbus::access::helper {
namespace {

// The descriptors a hardened child may use, laid out as the helper's are.
struct Descriptors {
  int window = -1;  // requests and replies
  int log = -1;
  int config = -1;
  int other = -1;  // a file the sandbox does not name
};

// True when uid 65534 has an id in this process's user namespace.
bool NobodyIsMapped() {
  std::ifstream map("/proc/self/uid_map");
  for (uint64_t inside, outside, count; map >> inside >> outside >> count;) {
    if (inside <= 65534 && 65534 < inside + count) return true;
  }
  return false;
}

// Ends a hardened child at once. A sanitizer's _exit would first check for leaks, and its hook
// before a call that does not return asks for the signal stack: calls the filter does not allow.
void EndChild(int code) { syscall(SYS_exit_group, code); }

// What the child's call did: it returned (true or false), or the process was ended.
enum class Outcome { kDone, kRefused, kKilled, kNotHardened };

Outcome RunHardened(bool reads_need_sys_admin,
                    const std::function<bool(const Descriptors&)>& call) {
  test::TempDir dir;
  const pid_t child = fork();
  if (child == 0) {
    Descriptors fds;
    int window[2], log[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, window) != 0 ||
        socketpair(AF_UNIX, SOCK_DGRAM, 0, log) != 0) {
      _exit(3);
    }
    fds.window = window[0];
    if (send(window[1], "q", 1, 0) != 1) _exit(3);  // a request waits to be read
    fds.log = log[0];
    fds.config = open((dir.path() / "config").c_str(), O_RDWR | O_CREAT, 0600);
    fds.other = open((dir.path() / "other").c_str(), O_RDWR | O_CREAT, 0600);
    if (fds.config < 0 || fds.other < 0 || ftruncate(fds.config, 256) != 0) _exit(3);
    const Sandbox sandbox{fds.window, fds.window,          fds.log, fds.config, fds.config,
                          1,          reads_need_sys_admin};
    std::string why;
    if (!KeepLeastPrivilege(sandbox, &why)) _exit(2);
    EndChild(call(fds) ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return Outcome::kNotHardened;
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS) return Outcome::kKilled;
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return Outcome::kNotHardened;
  return WEXITSTATUS(status) == 0 ? Outcome::kDone : Outcome::kRefused;
}

struct CallRow {
  const char* name;
  std::function<bool(const Descriptors&)> call;
  Outcome expected;
};

char page_buffer[4] = {1, 2, 3, 4};

TEST(HelperSandbox, EndsTheProcessAtAnyCallOutsideTheRequestLoop) {
  const CallRow rows[] = {
    // What the loop does, on its own descriptors.
    {"pread64 of a configuration file",
     [](const Descriptors& fds) { return pread(fds.config, page_buffer, 4, 0x40) == 4; },
     Outcome::kDone},
    {"pwrite64 of a configuration file",
     [](const Descriptors& fds) { return pwrite(fds.config, page_buffer, 4, 0x40) == 4; },
     Outcome::kDone},
    {"a reply on the window's socket",
     [](const Descriptors& fds) { return send(fds.window, "r", 1, MSG_NOSIGNAL) == 1; },
     Outcome::kDone},
    {"a request read from it",
     [](const Descriptors& fds) { return read(fds.window, page_buffer, 1) == 1; }, Outcome::kDone},
    {"a record sent to the system log",
     [](const Descriptors& fds) { return send(fds.log, "<13>x", 5, MSG_DONTWAIT) == 5; },
     Outcome::kDone},
    {"memory to read and write",
     [](const Descriptors&) {
       void* memory =
           mmap(nullptr, 1 << 20, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
       return memory != MAP_FAILED && mprotect(memory, 4096, PROT_READ) == 0;
     },
     Outcome::kDone},
    {"the clock and the process id",
     [](const Descriptors&) {
       timespec now{};
       return syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &now) == 0 && syscall(SYS_getpid) > 0;
     },
     Outcome::kDone},
    // Files, sockets, programs, code.
    {"openat", [](const Descriptors&) { return syscall(SYS_openat, AT_FDCWD, "/", O_RDONLY) >= 0; },
     Outcome::kKilled},
    {"openat creating a file",
     [](const Descriptors&) {
       return syscall(SYS_openat, AT_FDCWD, "/tmp/qbus-sandbox", O_CREAT | O_WRONLY, 0600) >= 0;
     },
     Outcome::kKilled},
    {"socket", [](const Descriptors&) { return syscall(SYS_socket, AF_INET, SOCK_STREAM, 0) >= 0; },
     Outcome::kKilled},
    {"socket of the system log's kind",
     [](const Descriptors&) { return syscall(SYS_socket, AF_UNIX, SOCK_DGRAM, 0) >= 0; },
     Outcome::kKilled},
    {"connect",
     [](const Descriptors& fds) { return syscall(SYS_connect, fds.log, nullptr, 0) == 0; },
     Outcome::kKilled},
    {"execve",
     [](const Descriptors&) {
       char* const none[] = {nullptr};
       return syscall(SYS_execve, "/bin/true", none, none) == 0;
     },
     Outcome::kKilled},
    {"mmap of executable memory",
     [](const Descriptors&) {
       return mmap(nullptr, 4096, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) !=
              MAP_FAILED;
     },
     Outcome::kKilled},
    {"mprotect to executable",
     [](const Descriptors&) {
       void* memory = mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
       return mprotect(memory, 4096, PROT_READ | PROT_EXEC) == 0;
     },
     Outcome::kKilled},
    {"memfd_create", [](const Descriptors&) { return syscall(SYS_memfd_create, "x", 0) >= 0; },
     Outcome::kKilled},
    // The allowed calls on descriptors not opened for them.
    {"write to standard error",
     [](const Descriptors&) { return write(STDERR_FILENO, "x", 1) == 1; }, Outcome::kKilled},
    {"write to a configuration file",
     [](const Descriptors& fds) { return write(fds.config, "x", 1) == 1; }, Outcome::kKilled},
    {"pwrite64 to another file",
     [](const Descriptors& fds) { return pwrite(fds.other, "x", 1, 0) == 1; }, Outcome::kKilled},
    {"pwrite64 to the window's socket",
     [](const Descriptors& fds) { return pwrite(fds.window, "x", 1, 0) == 1; }, Outcome::kKilled},
    {"pread64 of another file",
     [](const Descriptors& fds) { return pread(fds.other, page_buffer, 1, 0) == 1; },
     Outcome::kKilled},
    {"read of a configuration file",
     [](const Descriptors& fds) { return read(fds.config, page_buffer, 1) == 1; },
     Outcome::kKilled},
    {"send on another descriptor",
     [](const Descriptors& fds) { return send(fds.other, "x", 1, MSG_NOSIGNAL) == 1; },
     Outcome::kKilled},
    // Identity, other processes, other call tables.
    {"setresuid", [](const Descriptors&) { return syscall(SYS_setresuid, 0, 0, 0) == 0; },
     Outcome::kKilled},
    {"kill", [](const Descriptors&) { return syscall(SYS_kill, 1, 0) == 0; }, Outcome::kKilled},
    {"ptrace", [](const Descriptors&) { return syscall(SYS_ptrace, 0, 0, 0, 0) == 0; },
     Outcome::kKilled},
    {"prctl", [](const Descriptors&) { return syscall(SYS_prctl, PR_GET_DUMPABLE) >= 0; },
     Outcome::kKilled},
#if defined(__x86_64__)
    {"an x32 call", [](const Descriptors&) { return syscall(0x40000000 | SYS_getpid) > 0; },
     Outcome::kKilled},
#endif
  };
  for (const CallRow& row : rows) {
    EXPECT_EQ(RunHardened(false, row.call), row.expected) << row.name;
  }
}

// The identity and capabilities of a hardened child, from its /proc status while it waits
// for a request.
std::string StatusOfHardened(bool reads_need_sys_admin) {
  int window[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, window) != 0) return "";
  const pid_t child = fork();
  if (child == 0) {
    close(window[1]);
    std::string why;
    if (!KeepLeastPrivilege({window[0], window[0], -1, -1, -1, 0, reads_need_sys_admin}, &why)) {
      _exit(2);
    }
    char request;
    send(window[0], "h", 1, MSG_NOSIGNAL);
    EndChild(read(window[0], &request, 1) == 0 ? 0 : 1);
  }
  close(window[0]);
  char hardened = 0;
  std::string status;
  if (read(window[1], &hardened, 1) == 1) {
    std::ifstream lines("/proc/" + std::to_string(child) + "/status");
    for (std::string line; std::getline(lines, line);) {
      for (const char* field : {"Uid:", "Gid:", "Groups:", "CapEff:", "CapPrm:", "CapBnd:"}) {
        // Some kernels end the groups with a space, some do not.
        if (line.rfind(field, 0) == 0)
          status += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
      }
    }
  }
  close(window[1]);
  waitpid(child, nullptr, 0);
  return status;
}

std::string OwnGroups() {
  std::ifstream lines("/proc/self/status");
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Groups:", 0) == 0) return line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
  }
  return "";
}

std::string Ids(uid_t id) {
  const std::string text = std::to_string(id);
  return text + "\t" + text + "\t" + text + "\t" + text + "\n";
}

// Where the files keep their opener's rights a root helper becomes nobody with no capability;
// where reads need CAP_SYS_ADMIN it keeps that alone, as uid 0.
TEST(HelperSandbox, KeepsOnlyTheRightsItsFilesNeed) {
  if (geteuid() != 0 || !NobodyIsMapped()) {
    // Nothing to drop but capabilities a user has none of.
    const std::string user = "Uid:\t" + Ids(getuid()) + "Gid:\t" + Ids(getgid());
    EXPECT_EQ(StatusOfHardened(false).substr(0, user.size()), user);
    EXPECT_NE(StatusOfHardened(false).find("CapEff:\t0000000000000000\n"), std::string::npos);
    EXPECT_NE(StatusOfHardened(true).find("CapEff:\t0000000000000000\n"), std::string::npos);
    return;
  }
  EXPECT_EQ(StatusOfHardened(false),
            "Uid:\t65534\t65534\t65534\t65534\n"
            "Gid:\t65534\t65534\t65534\t65534\n"
            "Groups:\t\n"
            "CapPrm:\t0000000000000000\n"
            "CapEff:\t0000000000000000\n"
            "CapBnd:\t0000000000000000\n");
  EXPECT_EQ(StatusOfHardened(true), std::string("Uid:\t0\t0\t0\t0\n"
                                                "Gid:\t0\t0\t0\t0\n") +
                                        OwnGroups() +
                                        "CapPrm:\t0000000000200000\n"
                                        "CapEff:\t0000000000200000\n"
                                        "CapBnd:\t0000000000200000\n");
}

TEST(HelperSandbox, RefusesConfigurationFilesOutsideOneRange) {
  const pid_t child = fork();
  if (child == 0) {
    std::string why;
    const Sandbox gapped{0, 1, -1, 3, 5, 2, true};
    _exit(!KeepLeastPrivilege(gapped, &why) &&
                  why == "configuration files outside one range of descriptors: Bad file descriptor"
              ? 0
              : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Starts the helper program on a socket pair, as the window does, with `call` made to fail with
// EPERM; what it announces, and what it says on its standard error.
struct Started {
  bool announced = false;
  uint32_t ready = 99;
  std::string said;
};

Started StartWithFailing(long call, bool only_with_third_argument = false) {
  int window[2], said[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, window) != 0 || pipe2(said, O_CLOEXEC)) {
    return {};
  }
  const pid_t child = fork();
  if (child == 0) {
    dup2(window[1], STDIN_FILENO);
    dup2(window[1], STDOUT_FILENO);
    dup2(said[1], STDERR_FILENO);
    // A sanitizer runtime would otherwise set the core size itself, before the helper does.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS",
           (std::string(sanitizer ? sanitizer : "") + ":disable_coredump=0").c_str(), 1);
    // With `only_with_third_argument`, only a call whose third argument is set fails (prlimit64
    // setting a limit, not the sanitizer runtime's reading one).
    const auto argument = static_cast<uint32_t>(offsetof(seccomp_data, args) +
                                                (only_with_third_argument ? 2 * 8 : 0));
    const auto skip_if_zero = static_cast<uint8_t>(only_with_third_argument ? 1 : 0);
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(call), 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, argument),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, skip_if_zero, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog filter{static_cast<unsigned short>(std::size(program)), program};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0) {
      _exit(127);
    }
    execl(QBUS_HELPER_FILE, QBUS_HELPER_FILE, nullptr);
    _exit(127);
  }
  close(window[1]);
  close(said[1]);
  Started started;
  Announcement announcement{};
  started.announced =
      ReadFrame(window[0], &announcement, sizeof announcement, 5000) == FrameRead::kComplete &&
      announcement.magic == kMagic;
  started.ready = announcement.ready;
  close(window[0]);
  char text[512];
  for (ssize_t got; (got = read(said[0], text, sizeof text)) > 0;) started.said.append(text, got);
  close(said[0]);
  waitpid(child, nullptr, 0);
  return started;
}

TEST(HelperStart, AFailedHardeningStepServesNothing) {
  struct Row {
    long call;
    const char* step;
    bool root_only;
    bool only_with_third_argument = false;
  };
  const Row rows[] = {
      {SYS_setsid, "own session", false},
      {SYS_close_range, "inherited descriptors", false},
      {SYS_chdir, "current directory", false},
      {SYS_prlimit64, "core size", false, true},
      {SYS_capget, "capget", false},
      {SYS_capset, "capset", false},
      {SYS_prctl, "not dumpable", false},
      {SYS_setresgid, "group nobody", true},
      {SYS_setgroups, "supplementary groups", true},
      {SYS_setresuid, "user nobody", true},
  };
  const bool nobody_reachable = geteuid() == 0 && NobodyIsMapped();
  for (const Row& row : rows) {
    if (row.root_only && !nobody_reachable) continue;
    const Started started = StartWithFailing(row.call, row.only_with_third_argument);
    EXPECT_TRUE(started.announced) << row.step;
    EXPECT_EQ(started.ready, 0u) << row.step;
    EXPECT_EQ(started.said, std::string("quoril-bus-helper: cannot harden itself (") + row.step +
                                ": Operation not permitted); serves nothing\n");
  }
  // The same start with nothing failing serves.
  const Started served = StartWithFailing(SYS_memfd_create);
  EXPECT_TRUE(served.announced);
  EXPECT_EQ(served.ready, 1u);
  EXPECT_EQ(served.said, "");
}

}  // namespace
}  // namespace qbus::access::helper
