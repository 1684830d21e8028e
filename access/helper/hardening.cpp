// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/helper/hardening.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/audit.h>
#include <linux/capability.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace qbus::access::helper {
namespace {

bool Fail(std::string* why, const char* step) {
  *why = std::string(step) + ": " + std::strerror(errno);
  return false;
}

#if defined(__x86_64__)
constexpr uint32_t kArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t kArchitecture = AUDIT_ARCH_AARCH64;
#else
constexpr uint32_t kArchitecture = 0;  // no filter known: the helper refuses to serve
#endif

constexpr uid_t kNobody = 65534;

struct Range {
  uint32_t low;
  uint32_t high;
};

// A call the filter lets through: always, only on a descriptor (its first argument) in one of
// `descriptors`, or only when its argument `argument` has none of `forbidden_bits`.
struct Rule {
  long call;
  std::vector<Range> descriptors = {};
  int argument = -1;
  uint32_t forbidden_bits = 0;
};

// Where the low 32 bits of a call's argument lie. Descriptors are 32 bits wide to the kernel,
// which ignores the high half, and so does the filter.
constexpr uint32_t ArgumentLow(int argument) {
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the filter reads little-endian words");
  return static_cast<uint32_t>(offsetof(seccomp_data, args) + argument * sizeof(uint64_t));
}

Range One(int fd) { return {static_cast<uint32_t>(fd), static_cast<uint32_t>(fd)}; }

// The calls of the request loop (frames on the window's socket, positioned accesses of the
// configuration files), the system log's send, the allocator, the clock and the signal mask
// held around each write; the exit.
std::vector<Rule> Rules(const Sandbox& sandbox) {
  std::vector<Rule> rules = {
      {SYS_read, {One(sandbox.requests)}},
      {SYS_write, {One(sandbox.replies)}},
      {SYS_mmap, {}, 2, PROT_EXEC},
      {SYS_mprotect, {}, 2, PROT_EXEC},
  };
  std::vector<Range> sends = {One(sandbox.replies)};
  if (sandbox.log >= 0) sends.push_back(One(sandbox.log));
  rules.push_back({SYS_sendto, sends});
  if (sandbox.config_count > 0) {
    const Range files{static_cast<uint32_t>(sandbox.first_config),
                      static_cast<uint32_t>(sandbox.last_config)};
    rules.push_back({SYS_pread64, {files}});
    rules.push_back({SYS_pwrite64, {files}});
  }
  for (long call : {SYS_close, SYS_brk, SYS_munmap, SYS_mremap, SYS_madvise, SYS_futex, SYS_getpid,
                    SYS_clock_gettime, SYS_gettimeofday, SYS_rt_sigprocmask, SYS_rt_sigreturn,
                    SYS_restart_syscall, SYS_exit, SYS_exit_group}) {
    rules.push_back({call});
  }
  return rules;
}

// Each rule is a block that loads the call number and skips itself when the call is another.
// An argument check that fails falls through to the blocks after it, which name other calls,
// and so to the end, which ends the process, as a call no rule names does.
std::vector<sock_filter> FilterProgram(const std::vector<Rule>& rules) {
  std::vector<sock_filter> program = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      // x32 calls share the architecture but carry this bit.
      BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000u, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
  };
  for (const Rule& rule : rules) {
    std::vector<sock_filter> body;
    if (!rule.descriptors.empty()) {
      body.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, ArgumentLow(0)));
      for (const Range& range : rule.descriptors) {
        body.push_back(BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, range.low, 0, 2));
        body.push_back(BPF_JUMP(BPF_JMP | BPF_JGT | BPF_K, range.high, 1, 0));
        body.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
      }
    } else if (rule.argument >= 0) {
      body.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, ArgumentLow(rule.argument)));
      body.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, rule.forbidden_bits, 1, 0));
      body.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    } else {
      body.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    }
    program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(rule.call), 0,
                               static_cast<uint8_t>(body.size())));
    program.insert(program.end(), body.begin(), body.end());
  }
  program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
  return program;
}

bool InstallFilter(const Sandbox& sandbox, std::string* why) {
  if (kArchitecture == 0) {
    errno = ENOSYS;
    return Fail(why, "system-call filter for this architecture");
  }
  std::vector<sock_filter> program = FilterProgram(Rules(sandbox));
  const sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
  if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter, 0, 0) != 0) {
    return Fail(why, "system-call filter");
  }
  return true;
}

// Without CAP_SETPCAP (not root) the bounding set cannot change, and no_new_privs keeps it from
// mattering.
bool LimitBoundingAndAmbient(bool keep_sys_admin, std::string* why) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct sets[2] = {};
  if (syscall(SYS_capget, &header, sets) != 0) return Fail(why, "capget");
  if (sets[0].effective & (1u << CAP_SETPCAP)) {
    for (int capability = 0; prctl(PR_CAPBSET_READ, capability, 0, 0, 0) >= 0; ++capability) {
      if ((capability != CAP_SYS_ADMIN || !keep_sys_admin) &&
          prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) {
        return Fail(why, "bounding set");
      }
    }
  }
  if (prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0) {
    return Fail(why, "ambient capabilities");
  }
  return true;
}

// Leaving uid 0 for nobody takes every capability with it. A user namespace that gives nobody
// no id (a test's, which maps root alone) leaves uid 0, and the capabilities go below.
bool BecomeNobody(std::string* why) {
  if (setresgid(kNobody, kNobody, kNobody) != 0) {
    return errno == EINVAL || Fail(why, "group nobody");
  }
  if (setgroups(0, nullptr) != 0) return Fail(why, "supplementary groups");
  if (setresuid(kNobody, kNobody, kNobody) != 0) return Fail(why, "user nobody");
  return true;
}

bool KeepCapabilities(bool keep_sys_admin, std::string* why) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct sets[2] = {};
  if (syscall(SYS_capget, &header, sets) != 0) return Fail(why, "capget");
  const uint32_t keep = keep_sys_admin ? sets[0].permitted & (1u << CAP_SYS_ADMIN) : 0;
  sets[0] = {keep, keep, 0};  // effective, permitted, inheritable
  sets[1] = {0, 0, 0};
  if (syscall(SYS_capset, &header, sets) != 0) return Fail(why, "capset");
  return true;
}

}  // namespace

bool DropInheritance(std::string* why) {
  if (setsid() < 0) return Fail(why, "own session");
  if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) return Fail(why, "not dumpable");
  const rlimit no_core{0, 0};
  if (setrlimit(RLIMIT_CORE, &no_core) != 0) return Fail(why, "core size");
  if (clearenv() != 0) return Fail(why, "environment");
  if (close_range(3, ~0u, 0) != 0) return Fail(why, "inherited descriptors");
  // A closed standard descriptor would give its number to the next file opened, and a message
  // meant for the user's standard error could land in a function's configuration space.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", O_RDWR | O_NOCTTY) != fd) {
      return Fail(why, "standard descriptors");
    }
  }
  if (chdir("/") != 0) return Fail(why, "current directory");
  if (std::signal(SIGPIPE, SIG_IGN) == SIG_ERR) return Fail(why, "SIGPIPE");
  return true;
}

bool KeepLeastPrivilege(const Sandbox& sandbox, std::string* why) {
  if (sandbox.config_count > 0 &&
      sandbox.last_config - sandbox.first_config + 1 != sandbox.config_count) {
    errno = EBADF;
    return Fail(why, "configuration files outside one range of descriptors");
  }
  const bool keep_sys_admin = sandbox.reads_need_sys_admin;
  if (!LimitBoundingAndAmbient(keep_sys_admin, why)) return false;
  if (!keep_sys_admin && geteuid() == 0 && !BecomeNobody(why)) return false;
  if (!KeepCapabilities(keep_sys_admin, why)) return false;
  // A change of user makes the process dumpable again where fs.suid_dumpable allows it.
  if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) return Fail(why, "not dumpable");
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return Fail(why, "no_new_privs");
  return InstallFilter(sandbox, why);
}

}  // namespace qbus::access::helper
