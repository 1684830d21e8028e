// SPDX-License-Identifier: GPL-3.0-or-later
// No write without its record: the helper records a write's intent in the system log before it
// makes it and its outcome after, refuses it when the intent is not taken, and no signal comes
// between the two. The helper serves only the window's socket, in a session of its own, and the
// elevated library keeps the window undumpable while its helper serves it.
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "access/common/entry_points.h"
#include "access/common/frame_io.h"
#include "access/common/helper_server.h"
#include "access/common/system_log.h"
#include "access/elevated/core.h"
#include "access/helper/write_record.h"
#include "access/linux/core.h"
#include "hw/library_binding.h"
#include "tests/support/fake_sysfs.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace qbus::access {
namespace {

constexpr uint32_t kFar = 0x02FF;  // 02:1f.7, 4096 bytes

// Binds a datagram socket at `path`, as the system log listens; -1 when that fails.
int ListenAt(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// The lines of the records waiting at `listener`, each checked for the helper's syslog(3) prefix
// "<13>Mmm dd hh:mm:ss quoril-bus-helper[PID]: ".
std::vector<std::string> LoggedLines(int listener) {
  const std::string tag = " quoril-bus-helper[" + std::to_string(getpid()) + "]: ";
  std::vector<std::string> lines;
  char datagram[1024];
  for (ssize_t got; (got = recv(listener, datagram, sizeof datagram, MSG_DONTWAIT)) > 0;) {
    const std::string message(datagram, static_cast<size_t>(got));
    EXPECT_EQ(message.substr(0, 4), "<13>");
    EXPECT_EQ(message.substr(19, tag.size()), tag);
    lines.push_back(message.substr(19 + tag.size()));
  }
  return lines;
}

// One write of 0xBEEF to the word at 0x44 of 02:1f.7 (it holds 0x4544), from the elevated core
// through a helper session that records for uid 1000 in a system log that listens or not.
TEST(HelperRecords, TheIntentBeforeTheWriteAndTheOutcomeAfterOrNoWrite) {
  const struct {
    const char* name;
    bool log_listens;
    bool written;
    std::vector<std::string> lines;
    std::vector<uint8_t> bytes_at_0x44;
    bool unrecorded;
  } kRows[] = {
      {"the system log takes both records",
       true,
       true,
       {"write 02:1f.7 offset=0x0044 width=Word before=0x4544 value=0xBEEF uid=1000",
        "write 02:1f.7 offset=0x0044 width=Word before=0x4544 value=0xBEEF after=0xBEEF "
        "result=ok uid=1000"},
       {0xEF, 0xBE},
       false},
      {"no system log takes the intent", false, false, {}, {0x44, 0x45}, true},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    test::TempDir dir;
    test::AddFakeFunction(dir.path(), "0000:02:1f.7", test::CountingConfig(4096, 0x10EC, 0x8168));
    const std::string log_path = (dir.path() / "log").string();
    const int listener = row.log_listens ? ListenAt(log_path) : -1;
    ASSERT_EQ(listener >= 0, row.log_listens);
    linux_pci::Core backend(dir.path().string());
    ASSERT_TRUE(backend.Init()) << backend.error();
    SystemLog log("quoril-bus-helper", log_path, nullptr);
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    std::thread session([&, fd = ends[1]] {
      helper::Serve(fd, fd, true, backend, helper::WriteLog(log, 1000));
      close(fd);
    });
    {
      elevated::Core core({ends[0], -1});
      ASSERT_TRUE(core.Init());
      EXPECT_EQ(core.WriteConfig(kFar, 0x44, 2, 0xBEEF), row.written);
      EXPECT_EQ(core.write_unrecorded(), row.unrecorded);
    }
    session.join();
    if (listener >= 0) {
      EXPECT_EQ(LoggedLines(listener), row.lines);
      close(listener);
    }
    std::ifstream file(dir.path() / "devices" / "0000:02:1f.7" / "config", std::ios::binary);
    const std::vector<uint8_t> config{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(config.size(), 4096u);
    EXPECT_EQ(std::vector<uint8_t>(config.begin() + 0x44, config.begin() + 0x46),
              row.bytes_at_0x44);
  }
}

// The elevated core tells a write refused for want of its record from one that failed or was
// refused otherwise, until its next write.
TEST(HelperRecords, TheCoreKnowsAWriteRefusedForWantOfItsRecord) {
  struct Answer {
    uint32_t ok;
    uint32_t value;
  };
  const struct {
    const char* name;
    std::vector<Answer> answers;  // one per write, in order
    std::vector<bool> unrecorded;
  } kRows[] = {
      {"refused: no record", {{0, 1}}, {true}},
      {"the hardware did not take it", {{0, 0}}, {false}},
      {"refused as invalid", {{0, 0xFFFFFFFF}}, {false}},
      {"a write made after a refusal", {{0, 1}, {1, 0}}, {true, false}},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    std::thread fake([&, fd = ends[1]] {
      const helper::Announcement announcement{helper::kMagic, 1, 1};
      const helper::FunctionEntry entry{kFar, 4096};
      WriteFrame(fd, &announcement, sizeof announcement);
      WriteFrame(fd, &entry, sizeof entry);
      helper::Request request{};
      for (const Answer& answer : row.answers) {
        if (ReadFrame(fd, &request, sizeof request) != FrameRead::kComplete) break;
        const helper::Reply reply{helper::kMagic, request.sequence, answer.ok, answer.value};
        WriteFrame(fd, &reply, sizeof reply);
      }
      ReadFrame(fd, &request, sizeof request);  // until the core closes its end
      close(fd);
    });
    {
      elevated::Core core({ends[0], -1}, 1000);
      ASSERT_TRUE(core.Init());
      std::vector<bool> unrecorded;
      for (const Answer& answer : row.answers) {
        EXPECT_EQ(core.WriteConfig(kFar, 0x40, 4, 0), answer.ok == 1);
        unrecorded.push_back(core.write_unrecorded());
      }
      EXPECT_EQ(unrecorded, row.unrecorded);
      EXPECT_EQ(core.state(), elevated::HelperState::kServing);
    }
    fake.join();
  }
}

// Each step of a write, counted; a step may raise SIGINT, as ^C at the window's terminal would.
int steps = 0;
int raise_at = 0;
volatile sig_atomic_t delivered_after = -1;

void Step() {
  if (++steps == raise_at) raise(SIGINT);
}

struct SteppingBackend {
  uint32_t SpaceSize(uint32_t location) const { return location == kFar ? 4096 : 0; }
  std::optional<uint32_t> ReadConfig(uint32_t, uint32_t, uint32_t) {
    Step();
    return 0;
  }
  bool WriteConfig(uint32_t, uint32_t, uint32_t, uint32_t) {
    Step();
    return true;
  }
  uint32_t ReadSpace(uint32_t, uint8_t*, uint32_t) { return 0; }
};

struct SteppingRecord {
  bool operator()(const helper::WriteIntent&) {
    Step();
    return true;
  }
  void operator()(const helper::WriteRecord&) { Step(); }
};

// The steps: 1 the read before, 2 the intent record, 3 the write, 4 the read-back, 5 the outcome
// record. A signal raised from the intent on waits until the outcome is recorded.
TEST(HelperRecords, NoSignalComesBetweenTheIntentAndTheOutcome) {
  const struct {
    const char* name;
    int raise_at;
    int delivered_after;
  } kRows[] = {
      {"raised while the intent is recorded", 2, 5},
      {"raised while the outcome is recorded", 5, 5},
  };
  struct sigaction counting {
  }, before{};
  counting.sa_handler = [](int) { delivered_after = steps; };
  ASSERT_EQ(sigaction(SIGINT, &counting, &before), 0);
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    steps = 0;
    raise_at = row.raise_at;
    delivered_after = -1;
    SteppingBackend backend;
    uint8_t space[helper::kMaxSpaceSize];
    const helper::Request request{helper::kMagic, 7, 2, kFar, 0x40, 4, 1, 0, 0};
    EXPECT_EQ(helper::HandleRequest(request, backend, space, SteppingRecord{}).ok, 1u);
    EXPECT_EQ(delivered_after, row.delivered_after);
  }
  sigaction(SIGINT, &before, nullptr);
}

// What arrives on `fd` within `timeout_ms` milliseconds, and whether its end came.
std::pair<std::string, bool> ReadWithin(int fd, int timeout_ms) {
  std::string got;
  char buffer[256];
  for (;;) {
    pollfd readable{fd, POLLIN, 0};
    if (poll(&readable, 1, timeout_ms) <= 0) return {got, false};
    const ssize_t size = read(fd, buffer, sizeof buffer);
    if (size <= 0) return {got, true};
    got.append(buffer, static_cast<size_t>(size));
  }
}

// The helper program itself, on the standard input and output a row gives it. It serves (and
// announces) only on one connected Unix stream socket; on anything else it says so on standard
// error and ends before serving. Either way it has left the session of the process that started
// it, as it leaves the window's. On this machine's functions: it is sent no request.
TEST(HelperProcess, ServesOnlyTheWindowsSocketInASessionOfItsOwn) {
  enum class Given { kPipes, kSocketInPipeOut, kDatagramPair, kUnconnected, kStreamPair };
  const struct {
    const char* name;
    Given given;
    bool announces;
  } kRows[] = {
      {"a pipe in, a pipe out", Given::kPipes, false},
      {"the socket in, a pipe out", Given::kSocketInPipeOut, false},
      {"a datagram socket pair", Given::kDatagramPair, false},
      {"an unconnected stream socket", Given::kUnconnected, false},
      {"one connected stream socket", Given::kStreamPair, true},
  };
  const std::string helper_path = elevated::HelperPathFor(QBUS_ELEVATED_LIBRARY);
  ASSERT_FALSE(helper_path.empty());
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    int a[2] = {-1, -1}, b[2] = {-1, -1}, err[2];
    int helper_in = -1, helper_out = -1, reader = -1;  // reader: what the helper writes
    switch (row.given) {
      case Given::kPipes:
      case Given::kSocketInPipeOut:
        ASSERT_EQ(row.given == Given::kPipes
                      ? pipe2(a, O_CLOEXEC)
                      : socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, a),
                  0);
        ASSERT_EQ(pipe2(b, O_CLOEXEC), 0);
        helper_in = row.given == Given::kPipes ? a[0] : a[1];
        helper_out = b[1];
        reader = b[0];
        break;
      case Given::kDatagramPair:
      case Given::kStreamPair: {
        const int type = row.given == Given::kStreamPair ? SOCK_STREAM : SOCK_DGRAM;
        ASSERT_EQ(socketpair(AF_UNIX, type | SOCK_CLOEXEC, 0, a), 0);
        helper_in = helper_out = a[1];
        reader = a[0];
        break;
      }
      case Given::kUnconnected:
        helper_in = helper_out = a[1] = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(helper_in, 0);
        break;
    }
    ASSERT_EQ(pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, helper_in, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, helper_out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    char* argv[] = {const_cast<char*>(helper_path.c_str()), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Only the reader stays open here (and a stream's other end): a pipe's input ends at once.
    for (int fd : {a[0], a[1], b[0], b[1], err[1]}) {
      if (fd >= 0 && fd != reader && !(row.given == Given::kSocketInPipeOut && fd == a[0])) {
        close(fd);
      }
    }
    helper::Announcement announcement{};
    std::pair<std::string, bool> said;
    // One that refuses ends by itself; one that serves, once its input ends.
    if (!row.announces) said = ReadWithin(err[0], 5000);
    const bool announced = reader >= 0 &&
                           ReadFrame(reader, &announcement, sizeof announcement,
                                     row.announces ? 5000 : 0) == FrameRead::kComplete &&
                           announcement.magic == helper::kMagic;
    // Read while the helper serves, or has ended and waits to be reaped.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    for (int i = 0; i < 5; ++i) stat >> field;
    pid_t session = -1;
    stat >> session;
    EXPECT_EQ(session, pid) << "the helper does not lead a session of its own";
    EXPECT_NE(session, getsid(0));
    if (reader >= 0) close(reader);
    if (row.given == Given::kSocketInPipeOut) close(a[0]);
    if (row.announces) said = ReadWithin(err[0], 5000);
    close(err[0]);
    if (!said.second) kill(pid, SIGKILL);  // it went on serving what it must not serve
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(announced, row.announces);
    EXPECT_EQ(said.first, row.announces ? ""
                                        : "quoril-bus-helper: standard input and output are not "
                                          "the window's socket; serves nothing\n");
    if (!row.announces) {
      EXPECT_EQ(status, 1 << 8) << "it did not end, at once, with status 1";
    }
  }
}

// The elevated library with its helper started through a stand-in for pkexec over a fake sysfs
// tree, where no system log listens (helper_faults_test.sh sets that up): a write is refused,
// not made, and the window learns why; and while the library is loaded no process of the
// window's user may trace the window or take its socket.
TEST(ElevatedLibrary, RefusesAnUnrecordedWriteAndKeepsTheWindowUndumpable) {
  if (std::getenv("QBUS_HELPER_UNLOGGED") == nullptr) GTEST_SKIP() << "run by its script";
  ASSERT_EQ(prctl(PR_GET_DUMPABLE), 1);
  hw::LoadedLibrary library;
  ASSERT_TRUE(hw::BindFile(
      QBUS_ELEVATED_LIBRARY,
      [](const std::string& title, const std::string& text) {
        ADD_FAILURE() << title << " " << text;
      },
      &library));
  EXPECT_EQ(prctl(PR_GET_DUMPABLE), 0);
  EXPECT_EQ(library.access.WritePciConfigDwordEx(0x0000, 0x48, 0x12345678), 0u);
  ASSERT_NE(library.access.GetAccessStateEx, nullptr);
  EXPECT_EQ(library.access.GetAccessStateEx(), 3u) << "the state the window reads as unrecorded";
  uint32_t value = 0;
  EXPECT_EQ(library.access.ReadPciConfigDwordEx(0x0000, 0x48, &value), 1u);
  EXPECT_EQ(value, 0x4B4A4948u) << "the write was made";
  hw::Unbind(&library);
  EXPECT_EQ(prctl(PR_GET_DUMPABLE), 1);
}

}  // namespace
}  // namespace qbus::access
