// SPDX-License-Identifier: GPL-3.0-or-later
// What the helper does with a request, and how the window's end takes its answers: a register
// that takes only some bits is recorded as it is after the write; a refusal or a failed whole
// read leaves the helper serving; and a request the window has given up on is never carried
// out: a helper stopped while a WRITE waits, and resumed after the window reported the write
// failed, leaves the register as it was and records nothing.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "access/common/helper_server.h"
#include "access/elevated/core.h"
#include "access/linux/core.h"
#include "tests/support/fake_sysfs.h"
#include "tests/support/taking_every_intent.h"
#include "tests/support/temp_dir.h"

namespace qbus::access {
namespace {

// One function with one register: a write takes the bits of `writable`; `refuse_writes` of
// them fail; a whole read fails.
struct OneRegister {
  uint32_t SpaceSize(uint32_t location) const { return location == 0 ? 256 : 0; }
  std::optional<uint32_t> ReadConfig(uint32_t, uint32_t, uint32_t) { return value; }
  bool WriteConfig(uint32_t, uint32_t, uint32_t, uint32_t written) {
    if (refuse_writes > 0) return --refuse_writes, false;
    value = (value & ~writable) | (written & writable);
    return true;
  }
  uint32_t ReadSpace(uint32_t, uint8_t*, uint32_t) { return 0; }
  uint32_t value = 0x11111111;
  uint32_t writable = ~0u;
  int refuse_writes = 0;
};

// `backend` served on a thread, as the helper program serves it, over a socket pair whose other
// end the elevated core takes; the session ends when the core closes that end.
class ServedSession {
 public:
  template <typename Backend>
  explicit ServedSession(Backend& backend) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    client_ = ends[0];
    server_ = std::thread([&backend, fd = ends[1]] {
      helper::Serve(fd, fd, true, backend,
                    test::TakingEveryIntent{[](const helper::WriteRecord&) {}});
      close(fd);
    });
  }
  ~ServedSession() {
    if (server_.joinable()) server_.join();
  }
  ServedSession(const ServedSession&) = delete;
  ServedSession& operator=(const ServedSession&) = delete;
  elevated::HelperChannel channel() const { return {client_, -1}; }

 private:
  int client_ = -1;
  std::thread server_;
};

TEST(HelperRequests, TheRecordHoldsWhatTheRegisterTook) {
  OneRegister backend;
  backend.writable = 0x0000FF00;
  std::vector<helper::WriteRecord> records;
  uint8_t space[helper::kMaxSpaceSize];
  const helper::Request request{helper::kMagic, 1, 2, 0, 0x40, 4, 0x2222, 0, 0};
  helper::HandleRequest(request, backend, space,
                        test::TakingEveryIntent{
                            [&](const helper::WriteRecord& record) { records.push_back(record); }});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].before, 0x11111111u);
  EXPECT_EQ(records[0].value, 0x2222u);
  EXPECT_EQ(records[0].after, 0x11112211u);
  EXPECT_TRUE(records[0].written);
}

// A helper that refuses in step, or fails a whole read, is still a helper that serves: the
// window reports that access failed and goes on, and nothing takes it as ended.
// Whole reads that each take longer than half the wait for a reply: a run of them is read to the
// end, though the last starts long after the run was sent, since each reply comes in time.
TEST(HelperRequests, ARunOfSlowReadsIsReadToTheEnd) {
  struct SlowSpaces : OneRegister {
    uint32_t ReadSpace(uint32_t, uint8_t* bytes, uint32_t capacity) {
      std::this_thread::sleep_for(std::chrono::milliseconds(120));
      std::fill_n(bytes, capacity, 0x5A);
      return capacity;
    }
  } backend;
  {
    ServedSession session(backend);
    elevated::Core core(session.channel(), 200);
    ASSERT_TRUE(core.Init());
    const uint32_t locations[] = {0, 0, 0};
    uint8_t bytes[3 * 64];
    uint32_t stored[3] = {};
    EXPECT_EQ(core.ReadSpaces(locations, 3, 64, bytes, stored), 3u);
    EXPECT_EQ(std::vector<uint32_t>(stored, stored + 3), (std::vector<uint32_t>{64, 64, 64}));
  }
}

TEST(HelperRequests, ARefusalOrAFailedWholeReadLeavesTheHelperServing) {
  OneRegister backend;
  backend.refuse_writes = 1;
  {
    ServedSession session(backend);
    elevated::Core core(session.channel());
    ASSERT_TRUE(core.Init());
    uint8_t bytes[256];
    EXPECT_FALSE(core.WriteConfig(0, 0x40, 4, 0x33333333));
    EXPECT_EQ(core.ReadSpace(0, bytes, sizeof bytes), 0u);
    EXPECT_EQ(core.state(), elevated::HelperState::kServing);
    EXPECT_TRUE(core.WriteConfig(0, 0x40, 4, 0x44444444));
    EXPECT_EQ(core.ReadConfig(0, 0x40, 4), 0x44444444u);
  }
}

// The clock a row sets: each call answers the next reading.
std::vector<uint64_t> clock_readings;
uint64_t RowClock() {
  const uint64_t now = clock_readings.front();
  if (clock_readings.size() > 1) clock_readings.erase(clock_readings.begin());
  return now;
}

TEST(HelperRequests, TheHelperStartsNothingWhoseTimeIsUp) {
  const struct {
    const char* name;
    uint32_t op;
    uint64_t act_by;
    std::vector<uint64_t> clock;  // the first reading, then the one just before the write
    uint32_t ok;
    uint32_t value_after;
    int records;
  } kRows[] = {
      {"write in time", 2, 1000, {999}, 1, 0x2222, 1},
      {"write at its limit", 2, 1000, {1000}, 0, 0x11111111, 0},
      {"write whose time ran out after the read before it", 2, 1000, {999, 1000}, 0, 0x11111111, 0},
      {"no limit", 2, 0, {~0ull}, 1, 0x2222, 1},
      {"read in time", 1, 1000, {999}, 1, 0x11111111, 0},
      {"read too late", 1, 1000, {1001}, 0, 0x11111111, 0},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    OneRegister backend;
    clock_readings = row.clock;
    int records = 0;
    const helper::Request request{
        helper::kMagic, 7, row.op, 0, 0x40, 4, row.op == 2 ? 0x2222u : 0u, 0, row.act_by};
    uint8_t space[helper::kMaxSpaceSize];
    const helper::Reply reply = helper::HandleRequest(
        request, backend, space,
        test::TakingEveryIntent{[&](const helper::WriteRecord&) { ++records; }}, RowClock);
    EXPECT_EQ(reply.ok, row.ok);
    EXPECT_EQ(backend.value, row.value_after);
    EXPECT_EQ(records, row.records);
  }
}

// The real frames between the elevated core and a helper session in a child process, which the
// row stops with SIGSTOP while the window waits for the reply, and resumes once it gave up.
TEST(HelperRequests, AWriteReportedAsFailedStaysUndoneAfterTheHelperResumes) {
  for (const bool stopped : {false, true}) {
    SCOPED_TRACE(stopped ? "stopped during the write" : "answering");
    test::TempDir dir;
    test::AddFakeFunction(dir.path(), "0000:00:00.0", test::CountingConfig(256, 0x8086, 0x1237));
    const std::string records = (dir.path() / "records").string();
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(ends[0]);
      linux_pci::Core backend(dir.path().string());
      if (!backend.Init()) _exit(3);
      helper::Serve(ends[1], ends[1], true, backend,
                    test::TakingEveryIntent{[&](const helper::WriteRecord& record) {
                      std::ofstream(records, std::ios::app)
                          << (record.written ? "ok\n" : "failed\n");
                    }});
      _exit(0);
    }
    close(ends[1]);
    {
      elevated::Core core({ends[0], -1}, 300);
      ASSERT_TRUE(core.Init());
      if (stopped) kill(child, SIGSTOP);
      EXPECT_EQ(core.WriteConfig(0, 0x40, 4, 0xA5A5A5A5), !stopped);
      EXPECT_EQ(core.state(),
                stopped ? elevated::HelperState::kSilent : elevated::HelperState::kServing);
      kill(child, SIGCONT);
    }  // the window closes its end; the helper reads what was queued, then the end
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    std::ifstream config(dir.path() / "devices" / "0000:00:00.0" / "config", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(config), {}};
    ASSERT_EQ(bytes.size(), 256u);
    const std::vector<uint8_t> expected =
        stopped ? std::vector<uint8_t>{0x40, 0x41, 0x42, 0x43}   // as it was
                : std::vector<uint8_t>{0xA5, 0xA5, 0xA5, 0xA5};  // written
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 0x40, bytes.begin() + 0x44), expected);
    std::ifstream in(records);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), stopped ? "" : "ok\n");
  }
}

}  // namespace
}  // namespace qbus::access
