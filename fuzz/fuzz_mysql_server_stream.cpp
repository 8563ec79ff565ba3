// Fuzzes what a MySQL server can send: the input is played as the server's
// whole byte stream (greeting, login reply, the answer to the character-set
// statement, then the answer to one query) on a loopback connection, and
// the client connects, runs the query and reads every field of every row.
// Any failure must arrive as an exception; nothing may crash or overrun.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "mysql/my_connection.h"
#include "mysql/my_query.h"

namespace {

// A loopback listener that answers each connection with the current input.
class TStreamServer {
 public:
  TStreamServer() {
    FListen = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(FListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(FListen, 4);
    socklen_t len = sizeof addr;
    ::getsockname(FListen, reinterpret_cast<sockaddr*>(&addr), &len);
    FPort = ntohs(addr.sin_port);
    std::thread([this] { Serve(); }).detach();
  }
  int Port() const { return FPort; }
  void SetInput(std::string input) {
    std::lock_guard<std::mutex> lock(FMutex);
    FInput = std::move(input);
  }

 private:
  void Serve() {
    while (true) {
      int fd = ::accept(FListen, nullptr, nullptr);
      if (fd < 0) continue;
      std::string input;
      {
        std::lock_guard<std::mutex> lock(FMutex);
        input = FInput;
      }
      size_t sent = 0;
      while (sent < input.size()) {
        ssize_t n = ::send(fd, input.data() + sent, input.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      ::shutdown(fd, SHUT_WR);
      char sink[4096];
      timeval tv{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
      while (::recv(fd, sink, sizeof sink, 0) > 0) {
      }
      ::close(fd);
    }
  }
  int FListen = -1;
  int FPort = 0;
  std::mutex FMutex;
  std::string FInput;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TStreamServer* server = new TStreamServer();
  server->SetInput(std::string(reinterpret_cast<const char*>(data), size));
  TMyConnection connection;
  connection.SetServer("127.0.0.1");
  connection.SetPort(server->Port());
  connection.SetUsername("u");
  connection.SetPassword("p");
  connection.SetConnectionTimeout(2);
  connection.Options().SetCharset("cp1251");
  TMyQuery query;
  query.SetConnection(&connection);
  query.SetCommandTimeout(2);
  query.SQL.SetText("SELECT 1");
  try {
    query.Execute();
    for (; query.Active() && !query.AtEnd(); query.NextRow()) {
      for (int i = 0; i < query.Fields.Count(); ++i) {
        TField& field = query.Fields[i];
        try {
          field.AsString();
          field.AsInteger();
          field.AsDateTime();
        } catch (const std::exception&) {
        }
      }
    }
  } catch (const std::exception&) {
  }
  return 0;
}
