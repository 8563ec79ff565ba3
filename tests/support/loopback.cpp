// Loopback sockets at ports the system picks.
#include "tests/support/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace testsupport {

int BindLoopback(int& port, int backlog) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("loopback: no socket");
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      (backlog > 0 && ::listen(fd, backlog) != 0) ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(fd);
    throw std::runtime_error("loopback: cannot bind or listen");
  }
  port = ntohs(addr.sin_port);
  return fd;
}

int ClosedLoopbackPort() {
  int port = 0;
  ::close(BindLoopback(port));
  return port;
}

}  // namespace testsupport
