// SPDX-License-Identifier: GPL-3.0-or-later
// The root helper's session and the elevated library's core, joined by a socket pair, over a
// fake sysfs tree: every write lands in a temporary file, never in hardware.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "access/common/frame_io.h"
#include "access/common/helper_server.h"
#include "access/elevated/core.h"
#include "access/helper/hardening.h"
#include "access/helper/write_record.h"
#include "access/linux/core.h"
#include "hw/library_binding.h"
#include "tests/support/fake_sysfs.h"
#include "tests/support/taking_every_intent.h"
#include "tests/support/temp_dir.h"

namespace qbus::access {
namespace {

using helper::Reply;
using helper::Request;

constexpr uint32_t kHost = 0x0000;  // 00:00.0, 256 bytes
constexpr uint32_t kFar = 0x02FF;   // 02:1f.7, 4096 bytes

// A helper session served on a thread, as the helper program serves it on its standard input
// and output.
class HelperSession : public ::testing::Test {
 protected:
  void SetUp() override {
    test::AddFakeFunction(dir_.path(), "0000:00:00.0", test::CountingConfig(256, 0x8086, 0x1237));
    test::AddFakeFunction(dir_.path(), "0000:02:1f.7", test::CountingConfig(4096, 0x10EC, 0x8168));
    ASSERT_TRUE(backend_.Init()) << backend_.error();
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    client_ = ends[0];
    server_ = std::thread([this, fd = ends[1]] {
      helper::Serve(fd, fd, true, backend_,
                    test::TakingEveryIntent{
                        [this](const helper::WriteRecord& record) { records_.push_back(record); }});
      close(fd);
    });
  }
  void TearDown() override {
    if (client_ >= 0) close(client_);
    if (server_.joinable()) server_.join();
  }

  // Reads the announcement as the library would, leaving the stream at the first reply.
  std::vector<helper::FunctionEntry> Announced() {
    helper::Announcement announcement{};
    EXPECT_EQ(ReadFrame(client_, &announcement, sizeof announcement), FrameRead::kComplete);
    std::vector<helper::FunctionEntry> entries(announcement.count);
    EXPECT_EQ(ReadFrame(client_, entries.data(), entries.size() * sizeof entries[0]),
              FrameRead::kComplete);
    return entries;
  }

  std::vector<uint8_t> ConfigFile(const char* name) {
    std::ifstream file(dir_.path() / "devices" / name / "config", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }

  test::TempDir dir_;
  linux_pci::Core backend_{dir_.path().string()};
  std::vector<helper::WriteRecord> records_;
  int client_ = -1;
  std::thread server_;
};

TEST_F(HelperSession, AnnouncesEachFunctionWithItsSpaceSize) {
  const auto entries = Announced();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].location, kHost);
  EXPECT_EQ(entries[0].space_size, 256u);
  EXPECT_EQ(entries[1].location, kFar);
  EXPECT_EQ(entries[1].space_size, 4096u);
}

TEST_F(HelperSession, TheElevatedCoreReadsScansAndWritesThroughIt) {
  elevated::Core core({client_, -1});
  client_ = -1;  // the core owns it now
  ASSERT_TRUE(core.Init());
  EXPECT_EQ(core.ReadConfig(kHost, 0, 4), 0x12378086u);
  EXPECT_EQ(core.ReadConfig(kFar, 0xFFE, 2), 0xFFFEu);
  EXPECT_EQ(core.ReadConfig(kFar, 0x41, 1), 0x41u);
  EXPECT_FALSE(core.ReadConfig(kHost, 0x100, 4)) << "beyond a 256-byte space";
  EXPECT_FALSE(core.ReadConfig(0x0008, 0, 4)) << "no such function";

  std::vector<uint32_t> answering;
  for (uint32_t location = 0; location < kLocationCount; ++location) {
    uint32_t value = 0;
    ASSERT_TRUE(core.WritePort(kAddressPort, 0x80000000u | location << 8));
    value = *core.ReadPort(kDataPort);
    if (value != 0xFFFFFFFFu) answering.push_back(location);
  }
  EXPECT_EQ(answering, (std::vector<uint32_t>{kHost, kFar}));

  EXPECT_TRUE(core.WriteConfig(kFar, 0x44, 2, 0xBEEF));
  EXPECT_EQ(core.ReadConfig(kFar, 0x44, 2), 0xBEEFu);
  EXPECT_EQ(ConfigFile("0000:02:1f.7")[0x45], 0xBE);
}

// A read of part of a space brings no byte more than asked, rounded down to dwords and capped
// at the space: a helper that sent more would put the stream out of step for the next read.
TEST_F(HelperSession, ReadsOnlyTheBytesAsked) {
  elevated::Core core({client_, -1});
  client_ = -1;
  ASSERT_TRUE(core.Init());
  const std::vector<uint8_t> far = ConfigFile("0000:02:1f.7");
  const struct {
    const char* name;
    uint32_t location, capacity, got;
  } kRows[] = {
      {"256 bytes of 4 KiB", kFar, 256, 256},
      {"an unaligned capacity", kFar, 70, 68},
      {"more than a 256-byte space", kHost, 4096, 256},
      {"less than a dword", kFar, 3, 0},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    std::vector<uint8_t> bytes(4096, 0xEE);
    EXPECT_EQ(core.ReadSpace(row.location, bytes.data(), row.capacity), row.got);
    EXPECT_EQ(bytes[row.got], 0xEE) << "a byte past those asked was stored";
    if (row.location == kFar) {
      EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + row.got, far.begin()));
    }
    EXPECT_EQ(core.ReadConfig(kFar, 0x40, 4), 0x43424140u) << "the stream is out of step";
  }
}

// Functions read many to a call, in runs of requests sent together: each slot holds its own
// function, an unlisted one asks nothing and stores 0, and the stream stays in step.
TEST_F(HelperSession, ReadsRunsOfFunctionsInOneCall) {
  elevated::Core core({client_, -1});
  client_ = -1;
  ASSERT_TRUE(core.Init());
  const std::vector<uint8_t> far = ConfigFile("0000:02:1f.7");
  const std::vector<uint8_t> host = ConfigFile("0000:00:00.0");
  std::vector<uint32_t> locations;
  for (int i = 0; i < 300; ++i) locations.insert(locations.end(), {kFar, 0x0008, kHost});
  std::vector<uint8_t> bytes(locations.size() * 256, 0xEE);
  std::vector<uint32_t> stored(locations.size(), 7);
  EXPECT_EQ(core.ReadSpaces(locations.data(), static_cast<uint32_t>(locations.size()), 256,
                            bytes.data(), stored.data()),
            600u);
  for (size_t i = 0; i < locations.size(); ++i) {
    SCOPED_TRACE(i);
    const auto slot = bytes.begin() + static_cast<std::ptrdiff_t>(i * 256);
    ASSERT_EQ(stored[i], i % 3 == 1 ? 0u : 256u);
    const std::vector<uint8_t> untouched(256, 0xEE);
    const std::vector<uint8_t>& wanted = i % 3 == 0 ? far : i % 3 == 1 ? untouched : host;
    ASSERT_TRUE(std::equal(slot, slot + 256, wanted.begin()));
  }
  EXPECT_EQ(core.ReadConfig(kFar, 0x40, 4), 0x43424140u) << "the stream is out of step";
}

// Requests sent in one write are answered one by one, in order, each with its own sequence.
TEST_F(HelperSession, AnswersRequestsSentTogetherInOrder) {
  Announced();
  std::vector<uint8_t> bytes;
  for (const uint32_t offset : {0x40u, 0x44u, 0x100u, 0x48u}) {
    const Request request{helper::kMagic, offset, 1, kHost, offset, 4, 0, 0, 0};
    const auto* frame = reinterpret_cast<const uint8_t*>(&request);
    bytes.insert(bytes.end(), frame, frame + sizeof request);
  }
  ASSERT_TRUE(WriteFrame(client_, bytes.data(), bytes.size()));
  std::vector<std::vector<uint32_t>> replies;
  Reply reply{};
  for (int i = 0; i < 4 && ReadFrame(client_, &reply, sizeof reply, 1000) == FrameRead::kComplete;
       ++i) {
    replies.push_back({reply.sequence, reply.ok, reply.value});
  }
  EXPECT_EQ(replies, (std::vector<std::vector<uint32_t>>{{0x40, 1, 0x43424140},
                                                         {0x44, 1, 0x47464544},
                                                         {0x100, 0, 0xFFFFFFFF},
                                                         {0x48, 1, 0x4B4A4948}}));
}

// A back end that would carry out anything and counts what reached it, so that only the
// helper's own checks stand between a hostile frame and the hardware. Three functions: 00:00.0
// with 256 bytes, 02:1f.7 with 4096 and 03:00.0 with a space larger than any real one.
constexpr uint32_t kHuge = 0x0300;
struct PermissiveBackend {
  uint32_t SpaceSize(uint32_t location) const {
    return location == kHost ? 256 : location == kFar ? 4096 : location == kHuge ? 8192 : 0;
  }
  std::optional<uint32_t> ReadConfig(uint32_t, uint32_t offset, uint32_t) {
    ++accesses;
    return offset;
  }
  bool WriteConfig(uint32_t, uint32_t, uint32_t, uint32_t) {
    ++accesses;
    return true;
  }
  uint32_t ReadSpace(uint32_t location, uint8_t* bytes, uint32_t capacity) {
    ++accesses;
    const uint32_t size = std::min(SpaceSize(location), capacity);
    std::fill_n(bytes, size, 0x5A);
    return size;
  }
  int accesses = 0;
};

class HostileSession : public ::testing::Test {
 protected:
  void SetUp() override {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    client_ = ends[0];
    server_ = std::thread([this, fd = ends[1]] {
      helper::Serve(fd, fd, true, backend_,
                    test::TakingEveryIntent{[this](const helper::WriteRecord&) { ++records_; }});
      close(fd);
    });
    helper::Announcement announcement{};
    ASSERT_EQ(ReadFrame(client_, &announcement, sizeof announcement), FrameRead::kComplete);
    std::vector<helper::FunctionEntry> entries(announcement.count);
    ASSERT_EQ(ReadFrame(client_, entries.data(), entries.size() * sizeof entries[0]),
              FrameRead::kComplete);
  }
  void TearDown() override {
    if (client_ >= 0) close(client_);
    server_.join();
  }

  // Sends `bytes` (then, with `end`, ends the stream) and takes the replies; the number of
  // replies taken before the stream ended, their `ok` fields in order.
  std::vector<uint32_t> Send(const std::vector<uint8_t>& bytes, bool end) {
    EXPECT_TRUE(WriteFrame(client_, bytes.data(), bytes.size()));
    if (end) shutdown(client_, SHUT_WR);
    std::vector<uint32_t> oks;
    Reply reply{};
    while (ReadFrame(client_, &reply, sizeof reply, 1000) == FrameRead::kComplete) {
      if (oks.empty()) {
        EXPECT_EQ(reply.sequence, 7u) << "a reply must carry its request's sequence";
      }
      oks.push_back(reply.ok);
      if (reply.ok == 0) {
        EXPECT_EQ(reply.value, 0xFFFFFFFFu);
      }
      if (!end) break;
    }
    return oks;
  }

  PermissiveBackend backend_;
  int records_ = 0;
  int client_ = -1;
  std::thread server_;
};

// A frame as a hostile or broken client might send it, and what must come back.
struct HostileRow {
  const char* name;
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> replies_ok;  // one entry per reply expected, in order
  bool session_ends;
};

std::vector<uint8_t> Bytes(const Request& request) {
  std::vector<uint8_t> bytes(sizeof request);
  std::memcpy(bytes.data(), &request, sizeof request);
  return bytes;
}

Request Frame(uint32_t op, uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
  return {helper::kMagic, 7, op, location, offset, width, value, 0, 0};
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<uint8_t> WrongMagic(Request request) {
  request.magic = ~helper::kMagic;
  return Bytes(request);
}

const std::vector<HostileRow>& HostileRows() {
  static const std::vector<HostileRow> rows = {
      {"unknown operation", Bytes(Frame(4, kHost, 0, 4, 0)), {0}, false},
      {"operation 0", Bytes(Frame(0, kHost, 0, 4, 0)), {0}, false},
      {"width 3", Bytes(Frame(1, kHost, 0, 3, 0)), {0}, false},
      {"width 0 for a read", Bytes(Frame(1, kHost, 0, 0, 0)), {0}, false},
      {"unaligned word", Bytes(Frame(1, kHost, 1, 2, 0)), {0}, false},
      {"unaligned dword", Bytes(Frame(2, kFar, 0x42, 4, 0)), {0}, false},
      {"beyond a 256-byte space", Bytes(Frame(1, kHost, 0x100, 4, 0)), {0}, false},
      {"dword over the end of 4 KiB", Bytes(Frame(2, kFar, 0xFFE, 4, 0)), {0}, false},
      {"location above 0xFFFF", Bytes(Frame(1, 0x10000 | kHost, 0, 4, 0)), {0}, false},
      {"unlisted function", Bytes(Frame(2, 0x0008, 0x40, 4, 0)), {0}, false},
      {"byte write wider than a byte", Bytes(Frame(2, kHost, 0x40, 1, 0x1FF)), {0}, false},
      {"word write wider than a word", Bytes(Frame(2, kFar, 0x40, 2, 0x10000)), {0}, false},
      {"read carrying a value", Bytes(Frame(1, kHost, 0x40, 1, 1)), {0}, false},
      {"whole read at an offset", Bytes(Frame(3, kFar, 4, 0, 0)), {0}, false},
      {"whole read with a width", Bytes(Frame(3, kFar, 0, 4, 0)), {0}, false},
      {"whole read of an unlisted function", Bytes(Frame(3, 0x0008, 0, 0, 0)), {0}, false},
      {"space read past a 256-byte space", Bytes(Frame(3, kHost, 0, 0, 260)), {0}, false},
      {"space read of an unaligned length", Bytes(Frame(3, kFar, 0, 0, 254)), {0}, false},
      {"space read larger than 4 KiB", Bytes(Frame(3, kHuge, 0, 0, 4100)), {0}, false},
      {"wrong magic", WrongMagic(Frame(2, kHost, 0x40, 4, 0)), {0}, true},
      {"long: a frame and a stray tail",
       Join(Bytes(Frame(1, kHost, 0, 2, 0)), std::vector<uint8_t>(28, 0xAB)),
       {1, 0},
       true},
  };
  return rows;
}

class HostileFrames : public HostileSession, public ::testing::WithParamInterface<size_t> {};

TEST_P(HostileFrames, GetAnErrorReplyAndReachNothing) {
  const HostileRow& row = HostileRows()[GetParam()];
  EXPECT_EQ(Send(row.bytes, row.session_ends), row.replies_ok);
  const int reached = row.replies_ok.front() == 1 ? 1 : 0;
  EXPECT_EQ(backend_.accesses, reached);
  EXPECT_EQ(records_, 0);
  if (!row.session_ends) {
    EXPECT_EQ(Send(Bytes(Frame(1, kHost, 0x3C, 4, 0)), false), std::vector<uint32_t>{1})
        << "the session did not go on";
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileFrames, ::testing::Range<size_t>(0, HostileRows().size()),
                         [](const auto& info) {
                           std::string name = HostileRows()[info.param].name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

// Requests that arrive together are answered in one write, and a lone one at once: replies on a
// packet socket, where each write is a packet of its own, show how they were sent.
TEST(HelperReplies, RequestsThatArriveTogetherAreAnsweredInOneWrite) {
  PermissiveBackend backend;
  int requests[2];
  int replies[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, requests), 0);
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, replies), 0);
  std::thread server([&] {
    helper::Serve(requests[1], replies[1], true, backend,
                  test::TakingEveryIntent{[](const helper::WriteRecord&) {}});
  });
  // The number of bytes in each packet that comes within `timeout_ms` of the one before.
  const auto packets = [&](int timeout_ms) {
    std::vector<size_t> sizes;
    std::vector<uint8_t> packet(64 * 1024);
    pollfd ready{replies[0], POLLIN, 0};
    while (poll(&ready, 1, timeout_ms) == 1) {
      const ssize_t got = recv(replies[0], packet.data(), packet.size(), 0);
      if (got <= 0) break;
      sizes.push_back(static_cast<size_t>(got));
    }
    return sizes;
  };
  EXPECT_EQ(packets(200), (std::vector<size_t>{sizeof(helper::Announcement), 3 * 8}));
  std::vector<uint8_t> four;
  for (const uint32_t location : {kHost, kFar, kHost, kFar}) {
    four = Join(four, Bytes(Frame(1, location, 0x40, 4, 0)));
  }
  ASSERT_TRUE(WriteFrame(requests[0], four.data(), four.size()));
  EXPECT_EQ(packets(200), std::vector<size_t>{4 * sizeof(Reply)});
  const std::vector<uint8_t> space = Bytes(Frame(3, kFar, 0, 0, 256));
  ASSERT_TRUE(WriteFrame(requests[0], space.data(), space.size()));
  EXPECT_EQ(packets(200), std::vector<size_t>{sizeof(Reply) + 256});
  close(requests[0]);
  server.join();
  for (const int fd : {requests[1], replies[0], replies[1]}) close(fd);
}

// A write frame cut at every byte: nothing of it is acted on, and the session ends.
TEST_F(HostileSession, AFrameCutAtAnyByteReachesNothing) {
  const std::vector<uint8_t> whole = Bytes(Frame(2, kHost, 0x40, 4, 0x12345678));
  for (size_t size = 1; size < whole.size(); ++size) {
    SCOPED_TRACE(size);
    PermissiveBackend backend;
    int records = 0;
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    ASSERT_TRUE(WriteFrame(ends[0], whole.data(), size));
    shutdown(ends[0], SHUT_WR);
    helper::Serve(ends[1], ends[1], true, backend,
                  test::TakingEveryIntent{[&](const helper::WriteRecord&) { ++records; }});
    EXPECT_EQ(backend.accesses, 0);
    EXPECT_EQ(records, 0);
    close(ends[0]);
    close(ends[1]);
  }
}

// Every write the helper carries out is recorded with what the register held before and after;
// a whole function comes in one request.
TEST_F(HelperSession, RecordsEachWriteAndReadsWholeFunctions) {
  {
    elevated::Core core({client_, -1});
    client_ = -1;
    ASSERT_TRUE(core.Init());
    std::vector<uint8_t> bytes(4096);
    EXPECT_EQ(core.ReadSpace(kFar, bytes.data(), 4096), 4096u);
    EXPECT_EQ(bytes, ConfigFile("0000:02:1f.7"));
    EXPECT_EQ(core.ReadSpace(kHost, bytes.data(), 4096), 256u);
    EXPECT_EQ(core.ReadSpace(0x0008, bytes.data(), 4096), 0u) << "no such function";
    EXPECT_TRUE(core.WriteConfig(kFar, 0x44, 2, 0xBEEF));
    EXPECT_FALSE(core.WriteConfig(kFar, 0x45, 2, 0xBEEF)) << "refused: recorded nowhere";
  }
  server_.join();
  ASSERT_EQ(records_.size(), 1u);
  const helper::WriteRecord& record = records_[0];
  EXPECT_EQ(record.location, kFar);
  EXPECT_EQ(record.offset, 0x44u);
  EXPECT_EQ(record.width, 2u);
  EXPECT_EQ(record.before, 0x4544u) << "the counting bytes at 0x44";
  EXPECT_EQ(record.value, 0xBEEFu);
  EXPECT_TRUE(record.written);
  EXPECT_EQ(record.after, 0xBEEFu);
}

TEST(HelperWriteRecord, NamesTheRegisterTheValuesAndTheUser) {
  EXPECT_EQ(helper::FormatWriteRecord({0x02FF, 0x44, 2, 0x4544, 0xBEEF, true, 0xBEEF}, 1000),
            "write 02:1f.7 offset=0x0044 width=Word before=0x4544 value=0xBEEF after=0xBEEF "
            "result=ok uid=1000");
  EXPECT_EQ(helper::FormatWriteRecord({0x0008, 0xFFC, 4, std::nullopt, 1, false, std::nullopt},
                                      std::nullopt),
            "write 00:01.0 offset=0x0FFC width=DWord before=none value=0x00000001 after=none "
            "result=write-failed uid=unknown");
  EXPECT_EQ(helper::FormatWriteRecord({0xFF00, 0x3, 1, 0x80, 0x7F, true, 0x7F}, 0),
            "write ff:00.0 offset=0x0003 width=Byte before=0x80 value=0x7F after=0x7F "
            "result=ok uid=0");
}

// One write through the elevated library, as the window makes it. helper_faults_test.sh runs it
// as an ordinary user, with a setuid stand-in for pkexec that starts the helper as root over a
// fake sysfs tree, and reads the helper's record of it: the user it names is the window's.
TEST(HelperWriteRecord, AWriteOfAnOrdinaryUsersWindow) {
  if (std::getenv("QBUS_HELPER_WRITE") == nullptr) GTEST_SKIP() << "run by its script";
  hw::LoadedLibrary library;
  ASSERT_TRUE(hw::BindFile(
      QBUS_ELEVATED_LIBRARY,
      [](const std::string& title, const std::string& text) {
        ADD_FAILURE() << title << " " << text;
      },
      &library));
  EXPECT_EQ(library.access.WritePciConfigDwordEx(0x0000, 0x44, 0x12345678), 1u);
}

// A stand-in for the helper on the other end of the elevated core's stream: it announces
// `entries` (ready or not), then answers each request with what `answer` writes.
class FakeHelper {
 public:
  FakeHelper(uint32_t ready, std::vector<helper::FunctionEntry> entries,
             std::function<void(int fd, const Request&)> answer) {
    int ends[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    library_end_ = ends[0];
    thread_ = std::thread([=, fd = ends[1]] {
      const helper::Announcement announcement{helper::kMagic, ready,
                                              static_cast<uint32_t>(entries.size())};
      WriteFrame(fd, &announcement, sizeof announcement);
      WriteFrame(fd, entries.data(), entries.size() * sizeof entries[0]);
      Request request{};
      while (ReadFrame(fd, &request, sizeof request) == FrameRead::kComplete) answer(fd, request);
      close(fd);
    });
  }
  ~FakeHelper() { thread_.join(); }
  elevated::HelperChannel channel() const { return {library_end_, -1}; }

 private:
  int library_end_ = -1;
  std::thread thread_;
};

void Answer(int fd, const Request& request, uint32_t ok, uint32_t value, int sequence_shift = 0) {
  const Reply reply{helper::kMagic, request.sequence + sequence_shift, ok, value};
  WriteFrame(fd, &reply, sizeof reply);
}

TEST(ElevatedCore, RefusesAnAnnouncementItCannotTrust) {
  struct Row {
    const char* name;
    uint32_t ready;
    std::vector<helper::FunctionEntry> entries;
  };
  const Row rows[] = {
      {"not ready", 0, {{kHost, 256}}},
      {"a space of 512 bytes", 1, {{kHost, 512}}},
      {"a space of 0 bytes", 1, {{kHost, 0}}},
      {"a location above 0xFFFF", 1, {{0x10000, 256}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHelper fake(row.ready, row.entries, [](int, const Request&) {});
    elevated::Core core(fake.channel());
    EXPECT_FALSE(core.Init());
    EXPECT_FALSE(core.ReadConfig(kHost, 0, 4));
  }
}

// How the core takes a helper that ends, stops answering or answers out of step: the access
// fails, the state says which, and no request is sent after it.
TEST(ElevatedCore, TellsAnEndedASilentAndAnOutOfStepHelperApart) {
  struct Row {
    const char* name;
    std::function<void(int fd, const Request&)> answer;
    elevated::HelperState state;
  };
  const Row rows[] = {
      {"ends", [](int fd, const Request&) { shutdown(fd, SHUT_RDWR); },
       elevated::HelperState::kEnded},
      {"does not answer", [](int, const Request&) {}, elevated::HelperState::kSilent},
      {"answers an earlier request", [](int fd, const Request& r) { Answer(fd, r, 1, 5, -1); },
       elevated::HelperState::kEnded},
      {"answers with ok 2", [](int fd, const Request& r) { Answer(fd, r, 2, 5); },
       elevated::HelperState::kEnded},
      {"cuts its reply short",
       [](int fd, const Request&) {
         WriteFrame(fd, "QBus", 4);
         shutdown(fd, SHUT_RDWR);
       },
       elevated::HelperState::kEnded},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    int requests = 0;
    FakeHelper fake(1, {{kHost, 256}}, [&](int fd, const Request& request) {
      ++requests;
      row.answer(fd, request);
    });
    elevated::Core core(fake.channel(), 200);
    ASSERT_TRUE(core.Init());
    EXPECT_EQ(core.state(), elevated::HelperState::kServing);
    EXPECT_FALSE(core.ReadConfig(kHost, 0, 4));
    EXPECT_EQ(core.state(), row.state);
    EXPECT_FALSE(core.WriteConfig(kHost, 0x40, 4, 0));
    uint8_t bytes[256];
    EXPECT_EQ(core.ReadSpace(kHost, bytes, sizeof bytes), 0u);
    EXPECT_EQ(requests, 1) << "a request was sent after the helper failed";
  }
}

// A function's space comes in one round trip, asked for by its size in whole dwords, and only in
// a size the helper can honestly read: all that was asked, or 64 bytes of more.
TEST(ElevatedCore, TakesAWholeFunctionOnlyInAnHonestSize) {
  struct Row {
    const char* name;
    uint32_t capacity;
    uint32_t asked;  // the request's value
    uint32_t sent;
    uint32_t kept;
  };
  const Row rows[] = {
      {"the whole 4 KiB", 4096, 4096, 4096, 4096},
      {"a user's 64 bytes", 4096, 4096, 64, 64},
      {"256 bytes of a 4 KiB function", 4096, 4096, 256, 0},
      {"100 bytes", 4096, 4096, 100, 0},
      {"256 bytes asked of a capacity of 258", 258, 256, 256, 256},
      {"a user's 64 bytes of 256 asked", 256, 256, 64, 64},
      {"64 bytes when 16 were asked", 16, 16, 64, 0},
      {"4 KiB when 256 were asked", 256, 256, 4096, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    int requests = 0;
    uint32_t asked = 0;
    FakeHelper fake(1, {{kFar, 4096}}, [&](int fd, const Request& request) {
      ++requests;
      asked = request.value;
      Answer(fd, request, 1, row.sent);
      const std::vector<uint8_t> space(row.sent, 0xA5);
      WriteFrame(fd, space.data(), space.size());
    });
    elevated::Core core(fake.channel(), 1000);
    ASSERT_TRUE(core.Init());
    std::vector<uint8_t> bytes(4096, 0);
    EXPECT_EQ(core.ReadSpace(kFar, bytes.data(), row.capacity), row.kept);
    EXPECT_EQ(bytes[0], row.kept ? 0xA5 : 0);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(asked, row.asked);
    EXPECT_EQ(core.state(),
              row.kept ? elevated::HelperState::kServing : elevated::HelperState::kEnded);
  }
}

// A run of function reads where the helper fails part of the way: what came before stays stored,
// the rest stores 0, and a helper that ended or lied is not asked again.
TEST(ElevatedCore, KeepsWhatARunReadBeforeTheHelperFailed) {
  struct Row {
    const char* name;
    std::function<void(int fd, const Request&)> second;  // how the second request is answered
    std::vector<uint32_t> stored;
    elevated::HelperState state;
  };
  const auto space = [](int fd, const Request& request, uint32_t size) {
    Answer(fd, request, 1, size);
    const std::vector<uint8_t> bytes(size, static_cast<uint8_t>(request.location));
    WriteFrame(fd, bytes.data(), bytes.size());
  };
  const Row rows[] = {
      {"refuses it",
       [](int fd, const Request& r) { Answer(fd, r, 0, 0); },
       {256, 0, 256},
       elevated::HelperState::kServing},
      {"ends",
       [](int fd, const Request&) { shutdown(fd, SHUT_RDWR); },
       {256, 0, 0},
       elevated::HelperState::kEnded},
      {"sends 4 KiB for 256 bytes",
       [&](int fd, const Request& r) { space(fd, r, 4096); },
       {256, 0, 0},
       elevated::HelperState::kEnded},
      {"answers the third first",
       [](int fd, const Request& r) { Answer(fd, r, 1, 256, 1); },
       {256, 0, 0},
       elevated::HelperState::kEnded},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    int requests = 0;
    FakeHelper fake(1, {{0x10, 256}, {0x20, 256}, {0x30, 4096}}, [&](int fd, const Request& r) {
      if (++requests == 2) return row.second(fd, r);
      space(fd, r, 256);
    });
    elevated::Core core(fake.channel(), 1000);
    ASSERT_TRUE(core.Init());
    const uint32_t locations[] = {0x10, 0x20, 0x30};
    std::vector<uint8_t> bytes(3 * 256, 0);
    std::vector<uint32_t> stored(3, 7);
    const uint32_t read = core.ReadSpaces(locations, 3, 256, bytes.data(), stored.data());
    EXPECT_EQ(stored, row.stored);
    EXPECT_EQ(read, static_cast<uint32_t>(std::count(stored.begin(), stored.end(), 256u)));
    EXPECT_EQ(bytes[0], 0x10);
    EXPECT_EQ(bytes[2 * 256], row.stored[2] ? 0x30 : 0);
    EXPECT_EQ(core.state(), row.state);
    if (row.state != elevated::HelperState::kServing) {
      EXPECT_EQ(core.ReadSpace(0x10, bytes.data(), 256), 0u);
      EXPECT_LE(requests, 3) << "a request was sent after the helper failed";
    }
  }
}

// The helper sheds what it inherits before anything else runs: in a child process, with a
// variable set, a spare descriptor open and another working folder, each is gone after
// DropInheritance, core dumps are off and the process cannot be traced.
TEST(HelperHardening, DropInheritanceLeavesNothingOfTheCaller) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("QBUS_INHERITED", "1", 1);
    const int spare = dup(STDERR_FILENO);
    if (chdir("/tmp") != 0) _exit(100);
    std::string why;
    int failed = helper::DropInheritance(&why) ? 0 : 1;
    failed |= (std::getenv("QBUS_INHERITED") != nullptr) << 1;
    failed |= (fcntl(spare, F_GETFD) != -1) << 2;
    char folder[16] = "";
    failed |= (getcwd(folder, sizeof folder) == nullptr || std::string(folder) != "/") << 3;
    failed |= (prctl(PR_GET_DUMPABLE) != 0) << 4;
    rlimit core{};
    failed |= (getrlimit(RLIMIT_CORE, &core) != 0 || core.rlim_max != 0) << 5;
    _exit(failed);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "bits: 1 failed, 2 environment, 4 descriptor, 8 folder, "
                                       "16 dumpable, 32 core size";
}

TEST(ElevatedCore, FailsToInitializeWhenTheHelperEndsBeforeAnnouncing) {
  for (const char* fake : {"/bin/true", "/bin/false"}) {
    SCOPED_TRACE(fake);
    const auto channel = elevated::SpawnHelper({fake});
    ASSERT_TRUE(channel);
    elevated::Core core(*channel);
    EXPECT_FALSE(core.Init());
    EXPECT_FALSE(core.ReadConfig(0, 0, 4));
  }
  EXPECT_FALSE(elevated::SpawnHelper({"relative/path"})) << "only absolute paths are started";
}

}  // namespace
}  // namespace qbus::access
