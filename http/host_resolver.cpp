// Host resolution for the session's connect.
#include "http/host_resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>

#include "http/exceptions.h"
#include "http/text_util.h"
#include "platform/socket_error.h"

bool IsDottedQuad(const std::string& host) {
  int parts = 0;
  size_t i = 0;
  while (i <= host.size()) {
    size_t end = host.find('.', i);
    if (end == std::string::npos) end = host.size();
    if (end == i || end - i > 3) return false;
    int value = 0;
    for (size_t k = i; k < end; ++k) {
      if (host[k] < '0' || host[k] > '9') return false;
      value = value * 10 + (host[k] - '0');
    }
    if (value > 255) return false;
    ++parts;
    i = end + 1;
  }
  return parts == 4;
}

in_addr ResolveHost(const std::string& host) {
  in_addr addr{};
  if (http_text::SameText(host, "localhost")) {
    addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
  }
  if (IsDottedQuad(host)) {
    unsigned parts[4] = {};
    size_t i = 0;
    for (unsigned& part : parts) {
      while (i < host.size() && host[i] != '.') part = part * 10 + (host[i++] - '0');
      ++i;
    }
    addr.s_addr = htonl(parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3]);
    return addr;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    int wsa = platform::WsaFromGai(rc == 0 ? EAI_NONAME : rc, errno);
    if (found) ::freeaddrinfo(found);
    throw EIdSocketError(wsa);
  }
  addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return addr;
}
