// SPDX-License-Identifier: GPL-3.0-or-later
// The entry points of the elevated library (entry_exports.h), each a checked call into one Core
// whose configuration accesses the root helper carries out. InitializeOls starts the helper
// through polkit's pkexec (by its absolute path, so no search path of the caller's picks
// another), which asks for the administrator's password; a refusal is a failed InitializeOls.
// DeinitializeOls closes the helper's input, so the helper ends. While the helper's socket is
// open the window is not dumpable: no other process of the user may trace it or take the socket
// from it (pidfd_getfd) and have root's helper write for it.
#include <dlfcn.h>
#include <sys/prctl.h>

#include "access/common/entry_exports.h"
#include "access/elevated/core.h"

namespace {

namespace elevated = qbus::access::elevated;

constexpr char kPkexec[] = "/usr/bin/pkexec";

std::optional<elevated::HelperChannel> StartHelper() {
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&InitializeOls), &self) == 0 || self.dli_fname == nullptr) {
    return std::nullopt;
  }
  const std::string helper = elevated::HelperPathFor(self.dli_fname);
  if (helper.empty()) return std::nullopt;
  return elevated::SpawnHelper({kPkexec, helper});
}

// Makes the process not dumpable for its lifetime, and then dumpable again if it was before.
class NotDumpable {
 public:
  NotDumpable()
      : was_dumpable_(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 1),
        held_(prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0) {}
  ~NotDumpable() {
    if (was_dumpable_) prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
  }
  NotDumpable(const NotDumpable&) = delete;
  NotDumpable& operator=(const NotDumpable&) = delete;
  bool held() const { return held_; }

 private:
  bool was_dumpable_;
  bool held_;
};

// The core of a helper started for it. Bases are made in order and undone in reverse: the
// process is not dumpable before the helper's socket exists and until it has been closed.
class GuardedCore : NotDumpable, public elevated::Core {
 public:
  GuardedCore()
      : elevated::Core(held() ? StartHelper().value_or(elevated::HelperChannel{})
                              : elevated::HelperChannel{}) {}
};

struct ElevatedLibrary {
  using Core = GuardedCore;
  // Init fails at once where no helper could be started.
  static bool Start(std::unique_ptr<Core>& core) {
    core = std::make_unique<Core>();
    return core->Init();
  }
  static void Note(Core&, const char*, std::initializer_list<uint32_t>, std::optional<uint32_t>,
                   std::optional<uint32_t>) {}
};

using Entries = qbus::access::Entries<ElevatedLibrary>;

}  // namespace

QBUS_DEFINE_ENTRY_POINTS(ElevatedLibrary)

extern "C" {

// Before InitializeOls and after DeinitializeOls nothing has ended: the library is not set up.
uint32_t GetAccessStateEx(void) noexcept {
  if (!Entries::core) return qbus::access::kAccessWorking;
  if (Entries::core->state() != elevated::HelperState::kServing) {
    return static_cast<uint32_t>(Entries::core->state());
  }
  return Entries::core->write_unrecorded() ? qbus::access::kAccessWriteUnrecorded
                                           : qbus::access::kAccessWorking;
}

// The helper records every write it carries out, with the id of the user who asked.
uint32_t RecordsWritesEx(void) noexcept { return 1; }

}  // extern "C"
