// SPDX-License-Identifier: GPL-3.0-or-later
// The root helper's session and the elevated library's core, joined by a socket pair, over a
// fake sysfs tree: every write lands in a temporary file, never in hardware.
#include <cctype>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "access/common/frame_io.h"
#include "access/common/helper_server.h"
#include "access/elevated/core.h"
#include "access/linux/core.h"
#include "tests/support/fake_sysfs.h"
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
      helper::Serve(fd, fd, true, backend_);
      close(fd);
    });
  }
  void TearDown() override {
    if (client_ >= 0) close(client_);
    server_.join();
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
  return {helper::kMagic, op, location, offset, width, value};
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<uint8_t> WrongMagic(Request request) {
  request.magic = ~helper::kMagic;
  return Bytes(request);
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

const std::vector<HostileRow>& HostileRows() {
  static const std::vector<HostileRow> rows = {
      {"unknown operation", Bytes(Frame(3, kHost, 0, 4, 0)), {0}, false},
      {"width 3", Bytes(Frame(1, kHost, 0, 3, 0)), {0}, false},
      {"unaligned word", Bytes(Frame(1, kHost, 1, 2, 0)), {0}, false},
      {"beyond a 256-byte space", Bytes(Frame(1, kHost, 0x100, 4, 0)), {0}, false},
      {"dword over the end of 4 KiB", Bytes(Frame(2, kFar, 0xFFE, 4, 0)), {0}, false},
      {"location above 0xFFFF", Bytes(Frame(1, 0x10000 | kHost, 0, 4, 0)), {0}, false},
      {"unlisted function", Bytes(Frame(2, 0x0008, 0x40, 4, 0)), {0}, false},
      {"byte write wider than a byte", Bytes(Frame(2, kHost, 0x40, 1, 0x1FF)), {0}, false},
      {"read carrying a value", Bytes(Frame(1, kHost, 0x40, 1, 1)), {0}, false},
      {"wrong magic", WrongMagic(Frame(2, kHost, 0x40, 4, 0)), {0}, true},
      {"truncated", Cut(Bytes(Frame(2, kHost, 0x40, 4, 0)), 10), {0}, true},
      {"long: a frame and a stray tail",
       Join(Bytes(Frame(1, kHost, 0, 2, 0)), std::vector<uint8_t>(24, 0xAB)),
       {1, 0},
       true},
  };
  return rows;
}

class HostileFrames : public HelperSession, public ::testing::WithParamInterface<size_t> {};

TEST_P(HostileFrames, GetAnErrorReplyAndTouchNothing) {
  const HostileRow& row = HostileRows()[GetParam()];
  Announced();
  const auto before = ConfigFile("0000:00:00.0");
  ASSERT_TRUE(WriteFrame(client_, row.bytes.data(), row.bytes.size()));
  if (row.name == std::string("truncated")) shutdown(client_, SHUT_WR);
  for (uint32_t ok : row.replies_ok) {
    Reply reply{};
    ASSERT_EQ(ReadFrame(client_, &reply, sizeof reply), FrameRead::kComplete);
    EXPECT_EQ(reply.ok, ok);
    if (ok == 0) {
      EXPECT_EQ(reply.value, 0xFFFFFFFFu);
    }
  }
  if (row.session_ends) {
    Reply reply;
    EXPECT_EQ(ReadFrame(client_, &reply, sizeof reply), FrameRead::kEnd) << "the session goes on";
  } else {
    const Request good = Frame(1, kHost, 0, 4, 0);
    Reply reply{};
    ASSERT_TRUE(WriteFrame(client_, &good, sizeof good));
    ASSERT_EQ(ReadFrame(client_, &reply, sizeof reply), FrameRead::kComplete);
    EXPECT_EQ(reply.value, 0x12378086u) << "the session did not go on";
  }
  EXPECT_EQ(ConfigFile("0000:00:00.0"), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileFrames, ::testing::Range<size_t>(0, HostileRows().size()),
                         [](const auto& info) {
                           std::string name = HostileRows()[info.param].name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

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
