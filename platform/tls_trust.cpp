// The client TLS context and the certificates it trusts.
#include "platform/tls_trust.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// Adds every certificate of a PEM file to `store`; raises when the file
// cannot be read or holds none.
void AddCaFile(X509_STORE* store, const std::string& path) {
  BIO* file = BIO_new_file(path.c_str(), "r");
  if (!file) {
    const int err = errno;
    ERR_clear_error();
    throw ETlsTrustError(path + ": cannot be read (" + std::strerror(err) + ")");
  }
  int added = 0;
  while (X509* cert = PEM_read_bio_X509(file, nullptr, nullptr, nullptr)) {
    if (X509_STORE_add_cert(store, cert) == 1) ++added;
    X509_free(cert);
  }
  ERR_clear_error();  // the end of the file reads as an error
  BIO_free(file);
  if (added == 0) throw ETlsTrustError(path + ": holds no PEM certificate");
}

}  // namespace

TTlsTrust::TTlsTrust(std::string ca_file) : FCaFile(std::move(ca_file)) {}

TTlsTrust::~TTlsTrust() {
  if (FContext) SSL_CTX_free(FContext);
}

void TTlsTrust::Load() {
  std::lock_guard<std::mutex> lock(FMutex);
  if (FContext) return;
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  if (!context) throw ETlsTrustError("TLS cannot be started");
  try {
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    // A server that closes without a TLS close alert ends the data like a
    // plain close would; the HTTP framing says whether anything is missing.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_default_verify_paths(context);
    ERR_clear_error();  // a missing system folder is not an error here
    if (!FCaFile.empty()) AddCaFile(SSL_CTX_get_cert_store(context), FCaFile);
  } catch (...) {
    SSL_CTX_free(context);
    throw;
  }
  FContext = context;
}

SSL_CTX* TTlsTrust::Context() {
  Load();
  return FContext;
}

}  // namespace platform
