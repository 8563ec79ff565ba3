// The polling receive keeps recv()'s results: data, the peer's close, the
// socket's time limit, and stops polling on a connection that answers late.
#include "platform/socket_receive.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using namespace std::chrono_literals;
using platform::TReceiveSpin;

class SocketReceiveTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, FEnds), 0); }
  void TearDown() override {
    for (int fd : FEnds) {
      if (fd >= 0) ::close(fd);
    }
  }
  void SendLater(std::chrono::milliseconds delay, const char* text) {
    FSender = std::thread([this, delay, text] {
      std::this_thread::sleep_for(delay);
      ASSERT_GT(::send(FEnds[1], text, std::strlen(text), 0), 0);
    });
  }
  std::string ReceiveText(TReceiveSpin& spin) {
    char buffer[64];
    ssize_t got = spin.Receive(FEnds[0], buffer, sizeof buffer);
    if (FSender.joinable()) FSender.join();
    return got < 0 ? "error" : std::string(buffer, static_cast<size_t>(got));
  }
  int FEnds[2] = {-1, -1};
  std::thread FSender;
};

TEST_F(SocketReceiveTest, DataSoonOrLateArrivesWhole) {
  TReceiveSpin spin;
  ASSERT_EQ(::send(FEnds[1], "ready", 5, 0), 5);
  EXPECT_EQ(ReceiveText(spin), "ready");
  SendLater(0ms, "soon");
  EXPECT_EQ(ReceiveText(spin), "soon");
  SendLater(30ms, "late");  // well past the polling budget: the blocking wait
  EXPECT_EQ(ReceiveText(spin), "late");
}

TEST_F(SocketReceiveTest, PeerCloseGivesZero) {
  TReceiveSpin spin;
  ::close(FEnds[1]);
  FEnds[1] = -1;
  char buffer[8];
  EXPECT_EQ(spin.Receive(FEnds[0], buffer, sizeof buffer), 0);
}

TEST_F(SocketReceiveTest, TimeLimitStillEndsTheWait) {
  timeval limit{0, 50000};
  ASSERT_EQ(::setsockopt(FEnds[0], SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit), 0);
  TReceiveSpin spin;
  char buffer[8];
  const auto start = std::chrono::steady_clock::now();
  errno = 0;
  EXPECT_EQ(spin.Receive(FEnds[0], buffer, sizeof buffer), -1);
  EXPECT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << errno;
  EXPECT_GE(std::chrono::steady_clock::now() - start, 45ms);
}

TEST_F(SocketReceiveTest, LateAnswersStopThePollingAndAQuickOneResumesIt) {
  // "Late" must stay late on a loaded machine: an answer sent before the
  // receive began would count as a quick one.
  constexpr auto kLate = 30ms;
  TReceiveSpin spin;
  for (int i = 0; i < TReceiveSpin::kMaxLate; ++i) {
    EXPECT_TRUE(spin.Polling()) << i;
    SendLater(kLate, "late");
    EXPECT_EQ(ReceiveText(spin), "late");
  }
  EXPECT_FALSE(spin.Polling());
  SendLater(kLate, "late");
  EXPECT_EQ(ReceiveText(spin), "late");
  EXPECT_FALSE(spin.Polling());
  ASSERT_EQ(::send(FEnds[1], "quick", 5, 0), 5);
  EXPECT_EQ(ReceiveText(spin), "quick");
  EXPECT_TRUE(spin.Polling());
}

}  // namespace
