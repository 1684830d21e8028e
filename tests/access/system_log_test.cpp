// SPDX-License-Identifier: GPL-3.0-or-later
// The write records reach a listening system log as syslog(3) would send them, and standard
// error (with one notice) where nothing listens.
#include "access/common/system_log.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace qbus::access {
namespace {

std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, file) != nullptr) text += buffer;
  return text;
}

TEST(SystemLog, SendsEachRecordAsADatagramToTheListeningLog) {
  test::TempDir dir;
  const std::string path = (dir.path() / "log").string();
  const int listener = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::FILE* fallback = std::tmpfile();
  SystemLog log("quoril-bus", path, fallback);
  log.Record("write 00:03.1 offset=0x0004 width=Word before=0x0007 value=0x0006");
  char datagram[512] = {};
  ASSERT_GT(recv(listener, datagram, sizeof datagram - 1, MSG_DONTWAIT), 0);
  // "<13>Mmm dd hh:mm:ss quoril-bus[PID]: LINE", as syslog(3) sends it.
  const std::string message = datagram;
  ASSERT_GT(message.size(), 19u);
  EXPECT_EQ(message.substr(0, 4), "<13>");
  const std::string stamp = message.substr(4, 15);
  EXPECT_TRUE(stamp[3] == ' ' && stamp[6] == ' ' && stamp[9] == ':' && stamp[12] == ':') << stamp;
  EXPECT_EQ(message.substr(19), " quoril-bus[" + std::to_string(getpid()) +
                                    "]: write 00:03.1 offset=0x0004 width=Word before=0x0007 "
                                    "value=0x0006");
  EXPECT_EQ(Contents(fallback), "");
  close(listener);
  std::fclose(fallback);
}

TEST(SystemLog, FallsBackToStandardErrorAndSaysSoOnce) {
  test::TempDir dir;
  const std::string path = (dir.path() / "absent").string();
  std::FILE* fallback = std::tmpfile();
  SystemLog log("quoril-bus", path, fallback);
  log.Record("first");
  log.Record("second");
  EXPECT_EQ(Contents(fallback), "quoril-bus: no system log listens at " + path +
                                    "; write records go to standard error\n"
                                    "quoril-bus: first\nquoril-bus: second\n");
  std::fclose(fallback);
}

// A socket of `type` listening at `path`, that never waits.
int Listen(int type, const std::string& path) {
  const int fd = socket(AF_UNIX, type | SOCK_NONBLOCK, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (type == SOCK_STREAM && listen(fd, 1) != 0)) {
    close(fd);
    return -1;
  }
  return fd;
}

// After Connect every record goes through that one connection: a stream log gets each record
// ended by a NUL, and a log that begins to listen only later gets nothing.
TEST(SystemLog, AfterConnectRecordsGoOnlyThroughThatConnection) {
  test::TempDir dir;
  const std::string path = (dir.path() / "log").string();
  const int stream = Listen(SOCK_STREAM, path);
  ASSERT_GE(stream, 0);
  SystemLog log("quoril-bus-helper", path, nullptr);
  ASSERT_GE(log.Connect(), 0);
  const int taken = accept(stream, nullptr, nullptr);
  ASSERT_GE(taken, 0);
  EXPECT_TRUE(log.Record("intent"));
  char record[256] = {};
  const ssize_t got = recv(taken, record, sizeof record, 0);
  ASSERT_GT(got, 0);
  const std::string sent(record, static_cast<size_t>(got));
  EXPECT_EQ(sent.substr(19),
            " quoril-bus-helper[" + std::to_string(getpid()) + "]: intent" + std::string(1, '\0'));
  close(taken);
  close(stream);

  const std::string later = (dir.path() / "later").string();
  SystemLog unconnected("quoril-bus-helper", later, nullptr);
  EXPECT_EQ(unconnected.Connect(), -1);
  const int listener = Listen(SOCK_DGRAM, later);
  ASSERT_GE(listener, 0);
  EXPECT_FALSE(unconnected.Record("outcome"));
  EXPECT_LT(recv(listener, record, sizeof record, MSG_DONTWAIT), 0);
  // The connection ends with the log.
  const int before = dup(listener);
  close(before);
  {
    SystemLog connected("quoril-bus-helper", later, nullptr);
    EXPECT_GE(connected.Connect(), 0);
  }
  const int after = dup(listener);
  EXPECT_EQ(after, before);
  close(after);
  close(listener);
}

}  // namespace
}  // namespace qbus::access
