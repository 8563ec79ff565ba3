// The shared TCP transport: resolve, connect, limits, polling receive,
// read-ahead buffer, and TLS over the same socket.
#include "platform/tcp_endpoint.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/socket_error.h"
#include "platform/text_case.h"
#include "platform/tls_trust.h"

namespace platform {

namespace {

bool WouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

// The outcome of one name look-up, shared with a look-up thread that may be
// abandoned when the caller stops waiting.
struct TLookup {
  std::mutex Mutex;
  std::condition_variable Done;
  bool Finished = false;
  int Wsa = 0;
  in_addr Address{};
};

void RunLookup(const std::string& host, TLookup& lookup) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  const int err = errno;
  std::lock_guard<std::mutex> lock(lookup.Mutex);
  if (rc == 0 && found) {
    lookup.Address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  } else {
    lookup.Wsa = WsaFromGai(rc == 0 ? EAI_NONAME : rc, err);
  }
  if (found) ::freeaddrinfo(found);
  lookup.Finished = true;
  lookup.Done.notify_all();
}

// Four dot-separated decimal numbers, each 0 to 255, as one address in host
// byte order; false for anything else.
bool ParseDottedQuad(const std::string& host, uint32_t& address) {
  int parts = 0;
  address = 0;
  size_t i = 0;
  while (i <= host.size()) {
    size_t end = host.find('.', i);
    if (end == std::string::npos) end = host.size();
    if (end == i || end - i > 3) return false;
    uint32_t value = 0;
    for (size_t k = i; k < end; ++k) {
      if (host[k] < '0' || host[k] > '9') return false;
      value = value * 10 + static_cast<uint32_t>(host[k] - '0');
    }
    if (value > 255) return false;
    address = address << 8 | value;
    ++parts;
    i = end + 1;
  }
  return parts == 4;
}

}  // namespace

bool IsDottedQuad(const std::string& host) {
  uint32_t address = 0;
  return ParseDottedQuad(host, address);
}

// The TLS state of a connection; its BIO reads and writes through the
// endpoint's own receive and send, so limits, polling and error numbers are
// the same as for plain bytes.
struct TTcpEndpoint::TTls {
  SSL* Ssl = nullptr;
  BIO_METHOD* Method = nullptr;
  ~TTls() {
    if (Ssl) SSL_free(Ssl);  // frees the BIO too
    if (Method) BIO_meth_free(Method);
  }

  static int BioWrite(BIO* bio, const char* data, int n) {
    auto* endpoint = static_cast<TTcpEndpoint*>(BIO_get_data(bio));
    return static_cast<int>(endpoint->RawSend(data, static_cast<size_t>(n)));
  }
  static int BioRead(BIO* bio, char* dest, int n) {
    auto* endpoint = static_cast<TTcpEndpoint*>(BIO_get_data(bio));
    return static_cast<int>(endpoint->RawReceive(dest, static_cast<size_t>(n)));
  }
};

namespace {

long BioControl(BIO*, int cmd, long, void*) { return cmd == BIO_CTRL_FLUSH ? 1 : 0; }

int BioCreate(BIO* bio) {
  BIO_set_init(bio, 1);
  return 1;
}

// The reason of the first queued OpenSSL error, lower case as OpenSSL
// writes it; "" when none is queued.
std::string QueuedReason() {
  const unsigned long code = ERR_peek_error();
  ERR_clear_error();
  if (code == 0) return std::string();
  const char* reason = ERR_reason_error_string(code);
  return reason ? reason : "error " + std::to_string(ERR_GET_REASON(code));
}

}  // namespace

TTcpEndpoint::TTcpEndpoint() : FBuffer(new char[kReadAhead]) {}

TTcpEndpoint::~TTcpEndpoint() { Close(); }

ssize_t TTcpEndpoint::Failed(int wsa, bool limit) {
  FWsa = wsa;
  FLimitExpired = limit;
  return -1;
}

void TTcpEndpoint::ApplyLimit(int option, int ms) {
  if (FSocket < 0) return;
  timeval limit{};
  if (ms > 0) {
    limit.tv_sec = ms / 1000;
    limit.tv_usec = (ms % 1000) * 1000;
  }
  ::setsockopt(FSocket, SOL_SOCKET, option, &limit, sizeof limit);
}

void TTcpEndpoint::SetReceiveLimit(int ms) {
  ms = std::max(ms, 0);
  if (ms != FReceiveLimit) {
    FReceiveLimit = ms;
    ApplyLimit(SO_RCVTIMEO, ms);
  }
}

void TTcpEndpoint::SetSendLimit(int ms) {
  ms = std::max(ms, 0);
  if (ms != FSendLimit) {
    FSendLimit = ms;
    ApplyLimit(SO_SNDTIMEO, ms);
  }
}

void TTcpEndpoint::SetNoDelayAndKeepAlive() {
  int one = 1;
  ::setsockopt(FSocket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  ::setsockopt(FSocket, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
}

TConnectFailure TTcpEndpoint::Connect(const std::string& host, int port, int lookup_ms,
                                      int connect_ms) {
  Close();
  ClearBuffer();
  FWsa = 0;
  FLimitExpired = false;
  // A port outside the 16-bit range would otherwise be cut down to another
  // port silently, and port 0 means no server at all.
  if (port < 1 || port > 65535) {
    Failed(kWsaAddrNotAvail);
    return TConnectFailure::BadPort;
  }
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(static_cast<uint16_t>(port));
  uint32_t quad = 0;
  if (SameText(host, "localhost")) {
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  } else if (ParseDottedQuad(host, quad)) {
    remote.sin_addr.s_addr = htonl(quad);
  } else {
    auto lookup = std::make_shared<TLookup>();
    if (lookup_ms > 0) {
      std::thread([host, lookup] { RunLookup(host, *lookup); }).detach();
      std::unique_lock<std::mutex> lock(lookup->Mutex);
      if (!lookup->Done.wait_for(lock, std::chrono::milliseconds(lookup_ms),
                                 [&] { return lookup->Finished; })) {
        Failed(kWsaTimedOut, true);
        return TConnectFailure::LookupTimedOut;
      }
    } else {
      RunLookup(host, *lookup);
    }
    if (lookup->Wsa != 0) {
      Failed(lookup->Wsa);
      return TConnectFailure::Lookup;
    }
    remote.sin_addr = lookup->Address;
  }

  FSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (FSocket < 0) {
    Failed(WsaFromErrno(errno));
    return TConnectFailure::Socket;
  }
  // The connect limit is the send limit of the socket until changed.
  FSendLimit = std::max(connect_ms, 0);
  ApplyLimit(SO_SNDTIMEO, FSendLimit);
  ApplyLimit(SO_RCVTIMEO, FReceiveLimit);
  if (::connect(FSocket, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
    const int err = errno;
    Close();
    if (connect_ms > 0 && (err == EINPROGRESS || WouldBlock(err))) {
      Failed(kWsaTimedOut, true);
      return TConnectFailure::ConnectTimedOut;
    }
    Failed(WsaFromErrno(err));
    return TConnectFailure::Connect;
  }
  return TConnectFailure::None;
}

ssize_t TTcpEndpoint::RawSend(const char* data, size_t n) {
  if (FSocket < 0) return Failed(kWsaNotConnected);
  for (;;) {
    const ssize_t sent = ::send(FSocket, data, n, MSG_NOSIGNAL);
    if (sent >= 0) return sent;
    if (errno == EINTR) continue;
    // A send that waited out the limit: the peer takes nothing.
    if (WouldBlock(errno)) return Failed(kWsaTimedOut, true);
    return Failed(WsaFromErrno(errno));
  }
}

ssize_t TTcpEndpoint::RawReceive(char* dest, size_t n) {
  if (FSocket < 0) return Failed(kWsaNotConnected);
  const ssize_t got = FSpin.Receive(FSocket, dest, n);
  if (got >= 0) return got;
  if (WouldBlock(errno)) return Failed(kWsaTimedOut, true);
  return Failed(WsaFromErrno(errno));
}

bool TTcpEndpoint::Secure() const { return FTls != nullptr; }

bool TTcpEndpoint::StartTls(TTlsTrust& trust, const std::string& host, std::string& cause) {
  SSL_CTX* context = nullptr;
  try {
    context = trust.Context();
  } catch (const std::exception& error) {
    cause = error.what();
    return false;
  }
  auto tls = std::make_unique<TTls>();
  tls->Method = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "tcp endpoint");
  tls->Ssl = tls->Method ? SSL_new(context) : nullptr;
  if (!tls->Ssl) {
    cause = "TLS cannot be started";
    ERR_clear_error();
    return false;
  }
  BIO_meth_set_write(tls->Method, TTls::BioWrite);
  BIO_meth_set_read(tls->Method, TTls::BioRead);
  BIO_meth_set_ctrl(tls->Method, BioControl);
  BIO_meth_set_create(tls->Method, BioCreate);
  BIO* bio = BIO_new(tls->Method);
  BIO_set_data(bio, this);
  SSL_set_bio(tls->Ssl, bio, bio);
  if (IsDottedQuad(host)) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(tls->Ssl), host.c_str());
  } else {
    SSL_set_tlsext_host_name(tls->Ssl, host.c_str());
    SSL_set1_host(tls->Ssl, host.c_str());
  }
  FWsa = 0;
  FLimitExpired = false;
  ERR_clear_error();
  if (SSL_connect(tls->Ssl) == 1) {
    FTls = std::move(tls);
    return true;
  }
  const long verified = SSL_get_verify_result(tls->Ssl);
  const std::string reason = QueuedReason();
  if (verified != X509_V_OK) {
    cause =
        std::string("certificate verify failed (") + X509_verify_cert_error_string(verified) + ")";
  } else if (FLimitExpired) {
    cause = "Read Timeout";
  } else if (FWsa != 0) {
    cause = WsaErrorText(FWsa);
    if (cause.empty()) cause = "socket error " + std::to_string(FWsa);
  } else if (!reason.empty()) {
    cause = reason;
  } else {
    cause = "the server closed the connection";
  }
  return false;
}

ssize_t TTcpEndpoint::Send(const char* data, size_t n) {
  if (!FTls) return RawSend(data, n);
  if (n == 0) return 0;
  FWsa = 0;
  const int sent = SSL_write(FTls->Ssl, data, static_cast<int>(std::min<size_t>(n, 1u << 30)));
  if (sent > 0) return sent;
  const int kind = SSL_get_error(FTls->Ssl, sent);
  ERR_clear_error();
  if (kind == SSL_ERROR_SYSCALL && FWsa != 0) return -1;
  return Failed(kWsaConnAborted);
}

ssize_t TTcpEndpoint::Receive(char* dest, size_t n) {
  if (!FTls) return RawReceive(dest, n);
  FWsa = 0;
  const int got = SSL_read(FTls->Ssl, dest, static_cast<int>(std::min<size_t>(n, 1u << 30)));
  if (got > 0) return got;
  const int kind = SSL_get_error(FTls->Ssl, got);
  ERR_clear_error();
  if (kind == SSL_ERROR_ZERO_RETURN) return 0;
  if (kind == SSL_ERROR_SYSCALL) return FWsa != 0 ? -1 : 0;
  return Failed(kWsaConnAborted);
}

bool TTcpEndpoint::WaitReadable(int ms) {
  if (FSocket < 0) return false;
  if (FTls && SSL_pending(FTls->Ssl) > 0) return true;
  pollfd pfd{FSocket, POLLIN, 0};
  return ::poll(&pfd, 1, ms) > 0;
}

ssize_t TTcpEndpoint::Fill() {
  if (FBufferPos > 0) {
    std::memmove(FBuffer.get(), FBuffer.get() + FBufferPos, FBufferLen - FBufferPos);
    FBufferLen -= FBufferPos;
    FBufferPos = 0;
  }
  const ssize_t got = Receive(FBuffer.get() + FBufferLen, kReadAhead - FBufferLen);
  if (got > 0) FBufferLen += static_cast<size_t>(got);
  return got;
}

void TTcpEndpoint::Close(bool both_ways) {
  FTls.reset();  // no close alert: the socket goes away at once
  if (FSocket < 0) return;
  ::shutdown(FSocket, both_ways ? SHUT_RDWR : SHUT_WR);
  ::close(FSocket);
  FSocket = -1;
}

}  // namespace platform
