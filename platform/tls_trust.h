// TTlsTrust: the certificates a run trusts for TLS: the system's store
// (SSL_CERT_FILE and SSL_CERT_DIR are honoured) plus, when given, a PEM
// bundle of further certificates. It is loaded once, on first use or by
// Load(), and shared by every connection of the run; there is no way to
// turn the check off. Any thread may use it once loaded; Load is locked.
#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace platform {

// A trust store that cannot be loaded; the message names the file.
class ETlsTrustError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TTlsTrust {
 public:
  // `ca_file` empty: the system's store only.
  explicit TTlsTrust(std::string ca_file = std::string());
  ~TTlsTrust();
  TTlsTrust(const TTlsTrust&) = delete;
  TTlsTrust& operator=(const TTlsTrust&) = delete;

  // Loads the store unless loaded. Raises ETlsTrustError for a CA file that
  // cannot be read or holds no certificate, every time it is called.
  void Load();
  // The client context (TLS 1.2 or newer, peer verified); loads first.
  SSL_CTX* Context();

 private:
  std::string FCaFile;
  std::mutex FMutex;
  SSL_CTX* FContext = nullptr;
};

}  // namespace platform
