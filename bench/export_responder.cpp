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

TExportResponder::TExportResponder(int delay_ms) : FDelay(delay_ms) {
  FListenFd = testsupport::BindLoopback(FPort, 512);
  FThread = std::thread([this] { Serve(); });
  if (FDelay.count() > 0) FSender = std::thread([this] { SendHeld(); });
}

TExportResponder::~TExportResponder() {
  FStop = true;
  ::shutdown(FListenFd, SHUT_RDWR);
  ::close(FListenFd);
  FThread.join();
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FHeldChanged.notify_all();
  }
  if (FSender.joinable()) FSender.join();
  for (const THeld& held : FHeld) ::close(held.Fd);
}

void TExportResponder::Serve() {
  while (!FStop) {
    int fd = ::accept(FListenFd, nullptr, nullptr);
    if (fd < 0) {
      if (FStop) return;
      continue;
    }
    std::string answer = AnswerFor(fd);
    if (answer.empty() || FDelay.count() == 0) {
      Finish(fd, answer);
      continue;
    }
    std::lock_guard<std::mutex> lock(FMutex);
    FHeld.push_back(THeld{fd, std::move(answer), Clock::now() + FDelay});
    FHeldChanged.notify_one();
  }
}

void TExportResponder::SendHeld() {
  std::unique_lock<std::mutex> lock(FMutex);
  while (!FStop) {
    if (FHeld.empty()) {
      FHeldChanged.wait(lock);
      continue;
    }
    if (Clock::now() < FHeld.front().Due) {
      FHeldChanged.wait_until(lock, FHeld.front().Due);
      continue;
    }
    THeld held = std::move(FHeld.front());
    FHeld.pop_front();
    lock.unlock();
    Finish(held.Fd, held.Answer);
    lock.lock();
  }
}

void TExportResponder::Finish(int fd, const std::string& answer) {
  if (!answer.empty()) {
    SendAll(fd, answer);
    ++FRequests;
  }
  ::close(fd);
}

std::string TExportResponder::AnswerFor(int fd) {
  std::string request;
  char buffer[65536];
  size_t head_end = std::string::npos;
  size_t wanted = 0;
  while (true) {
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return {};
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
  return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(json.size()) + "\r\nConnection: close\r\n\r\n" + json;
}
