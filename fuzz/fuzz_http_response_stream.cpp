// Fuzzes the session's reading of a response: every input is played as the
// whole answer of a loopback server (then the server closes its sending
// side), and one POST reads it. Any outcome but a crash, a leak or a hang is
// fine; a body handed back must come from the bytes that were sent.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "http/session.h"
#include "tests/support/loopback.h"

namespace {

// A loopback listener that answers each connection with the current input.
class TAnswerServer {
 public:
  TAnswerServer() {
    FListen = testsupport::BindLoopback(FPort, 4);
    std::thread([this] { Serve(); }).detach();
  }
  int Port() const { return FPort; }
  void SetAnswer(std::string answer) {
    std::lock_guard<std::mutex> lock(FMutex);
    FAnswer = std::move(answer);
  }

 private:
  void Serve() {
    for (;;) {
      int fd = ::accept(FListen, nullptr, nullptr);
      if (fd < 0) continue;
      std::string answer;
      {
        std::lock_guard<std::mutex> lock(FMutex);
        answer = FAnswer;
      }
      for (size_t sent = 0; sent < answer.size();) {
        ssize_t n = ::send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      ::shutdown(fd, SHUT_WR);
      char sink[4096];
      timeval limit{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      while (::recv(fd, sink, sizeof sink, 0) > 0) {
      }
      ::close(fd);
    }
  }
  int FListen = -1;
  int FPort = 0;
  std::mutex FMutex;
  std::string FAnswer;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TAnswerServer* server = new TAnswerServer();
  static const std::string url = "http://127.0.0.1:" + std::to_string(server->Port()) + "/p/";
  std::string answer(reinterpret_cast<const char*>(data), size);
  server->SetAnswer(answer);
  TIdHTTP http;
  http.ReadTimeout = 1000;
  http.Request.BasicAuthentication = true;
  http.Request.Username = "u";
  try {
    std::string body = http.HttpPost(url, {"{\"a\":1}"});
    if (body.size() > answer.size()) std::abort();
    http.HttpPost(url, {"x=y z"});  // a second post on the same session
  } catch (const std::exception&) {
  }
  http.Disconnect();
  return 0;
}
