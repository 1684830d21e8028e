// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/helper/hardening.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <linux/audit.h>
#include <linux/capability.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
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

// What the request loop, libpci's configuration file accesses (opened at the first access of
// each function), the allocator, the system log's non-blocking send and the signals held around
// each write call.
const std::vector<long>& AllowedCalls() {
  static const std::vector<long> calls = {
      SYS_read,         SYS_write,        SYS_pread64,        SYS_pwrite64,   SYS_openat,
      SYS_close,        SYS_lseek,        SYS_fstat,          SYS_newfstatat, SYS_brk,
      SYS_mmap,         SYS_munmap,       SYS_mremap,         SYS_madvise,    SYS_futex,
      SYS_socket,       SYS_connect,      SYS_sendto,         SYS_getpid,     SYS_clock_gettime,
      SYS_gettimeofday, SYS_rt_sigreturn, SYS_rt_sigprocmask, SYS_exit,       SYS_exit_group,
  };
  return calls;
}

bool InstallFilter(std::string* why) {
  if (kArchitecture == 0) {
    errno = ENOSYS;
    return Fail(why, "system-call filter for this architecture");
  }
  const std::vector<long>& allowed = AllowedCalls();
  std::vector<sock_filter> program = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      // x32 calls share the architecture but carry this bit.
      BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000u, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
  };
  for (size_t i = 0; i < allowed.size(); ++i) {
    const auto to_allow = static_cast<uint8_t>(allowed.size() - i);
    program.push_back(
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(allowed[i]), to_allow, 0));
  }
  program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM));
  program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  const sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
  if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter, 0, 0) != 0) {
    return Fail(why, "system-call filter");
  }
  return true;
}

bool KeepOnlySysAdmin(std::string* why) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct sets[2] = {};
  if (syscall(SYS_capget, &header, sets) != 0) return Fail(why, "capget");
  // Without CAP_SETPCAP (not root) the bounding set cannot change, and no_new_privs keeps it
  // from mattering.
  if (sets[0].effective & (1u << CAP_SETPCAP)) {
    for (int capability = 0; prctl(PR_CAPBSET_READ, capability, 0, 0, 0) >= 0; ++capability) {
      if (capability != CAP_SYS_ADMIN && prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) {
        return Fail(why, "bounding set");
      }
    }
  }
  if (prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0) {
    return Fail(why, "ambient capabilities");
  }
  const uint32_t keep = sets[0].permitted & (1u << CAP_SYS_ADMIN);
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
  if (chdir("/") != 0) return Fail(why, "current directory");
  if (std::signal(SIGPIPE, SIG_IGN) == SIG_ERR) return Fail(why, "SIGPIPE");
  return true;
}

bool KeepLeastPrivilege(std::string* why) {
  if (!KeepOnlySysAdmin(why)) return false;
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return Fail(why, "no_new_privs");
  return InstallFilter(why);
}

}  // namespace qbus::access::helper
