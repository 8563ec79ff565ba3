// TExportResponder: the benchmark's platform, as quick as a socket allows.
#include "bench/export_responder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "tests/support/loopback.h"

namespace {

// The number after "key": in `body` (0 when there is none).
long NumberAfter(const std::string& body, const char* key) {
  size_t at = body.find(key);
  if (at == std::string::npos) return 0;
  at += std::strlen(key);
  while (at < body.size() && (body[at] == ' ' || body[at] == ':')) ++at;
  return std::strtol(body.c_str() + at, nullptr, 10);
}

void SendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace

TExportResponder::TExportResponder() {
  FListenFd = testsupport::BindLoopback(FPort, 512);
  FThread = std::thread([this] { Serve(); });
}

TExportResponder::~TExportResponder() {
  FStop = true;
  ::shutdown(FListenFd, SHUT_RDWR);
  ::close(FListenFd);
  FThread.join();
}

void TExportResponder::Serve() {
  while (!FStop) {
    int fd = ::accept(FListenFd, nullptr, nullptr);
    if (fd < 0) {
      if (FStop) return;
      continue;
    }
    Answer(fd);
    ::close(fd);
  }
}

void TExportResponder::Answer(int fd) {
  std::string request;
  char buffer[65536];
  size_t head_end = std::string::npos;
  size_t wanted = 0;
  while (true) {
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    request.append(buffer, static_cast<size_t>(n));
    if (head_end == std::string::npos) {
      head_end = request.find("\r\n\r\n");
      if (head_end == std::string::npos) continue;
      head_end += 4;
      wanted = head_end + static_cast<size_t>(NumberAfter(request, "Content-Length"));
    }
    if (request.size() >= wanted) break;
  }
  const std::string line = request.substr(0, request.find("\r\n"));
  const std::string body = request.substr(head_end);
  std::string json;
  if (line.find("objs-groups/search/") != std::string::npos) {
    json = R"({"success": true, "total": 0, "data": []})";
  } else if (line.find("objs-groups/create/") != std::string::npos) {
    json = R"({"id": 100, "name": "Стационарные объекты", "groupType": 1, "parentId": null})";
  } else if (line.find("create-standalone/") != std::string::npos) {
    json = R"({"id": )" + std::to_string(++FNextId) + R"(, "extId": )" +
           std::to_string(NumberAfter(body, "\"extId\"")) + "}";
  } else if (line.find("guards/create-guard") != std::string::npos) {
    json = R"({"id": )" + std::to_string(++FNextId) + "}";
  } else {
    json = R"({"success": true})";
  }
  SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                  std::to_string(json.size()) + "\r\nConnection: close\r\n\r\n" + json);
  ++FRequests;
}
