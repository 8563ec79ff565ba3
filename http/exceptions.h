// The errors the HTTP client raises. Every message is a fixed English text;
// EIdHTTPProtocolException also carries the status code and the body text
// of the error response, EIdSocketError the Windows Sockets error number.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class EIdException : public std::runtime_error {
 public:
  explicit EIdException(const std::string& message) : std::runtime_error(message) {}
};

// A reply of the server that the client treats as a failure.
class EIdProtocolReplyError : public EIdException {
 public:
  EIdProtocolReplyError(int32_t code, const std::string& message)
      : EIdException(message), FErrorCode(code) {}
  int32_t ErrorCode() const { return FErrorCode; }

 private:
  int32_t FErrorCode;
};

// An error status, or a redirect, which is never followed. The message is
// the status line; ErrorMessage() is the body of the error response.
class EIdHTTPProtocolException : public EIdProtocolReplyError {
 public:
  EIdHTTPProtocolException(int32_t code, const std::string& status_line, std::string body)
      : EIdProtocolReplyError(code, status_line), FErrorMessage(std::move(body)) {}
  const std::string& ErrorMessage() const { return FErrorMessage; }

 private:
  std::string FErrorMessage;
};

// "Connection Closed Gracefully."
class EIdConnClosedGracefully : public EIdException {
 public:
  EIdConnClosedGracefully();
};

// "Read Timeout"
class EIdReadTimeout : public EIdException {
 public:
  EIdReadTimeout();
};

// "Max line length exceeded."
class EIdReadLnMaxLineLengthExceeded : public EIdException {
 public:
  EIdReadLnMaxLineLengthExceeded();
};

// "Socket Error # " + number, CR LF, the table text for the number.
class EIdSocketError : public EIdException {
 public:
  explicit EIdSocketError(int wsa_error);
  int LastError() const { return FLastError; }

 private:
  int FLastError;
};

// "Cannot allocate socket."
class EIdInvalidSocket : public EIdException {
 public:
  EIdInvalidSocket();
};

// "Could not bind socket. Address and port are already in use."
class EIdCouldNotBindSocket : public EIdException {
 public:
  EIdCouldNotBindSocket();
};

// "Connect timed out."
class EIdConnectTimeout : public EIdException {
 public:
  EIdConnectTimeout();
};

// "Not Connected"
class EIdNotConnected : public EIdException {
 public:
  EIdNotConnected();
};

// A URL scheme that is neither "http" nor "https" and names no port; empty message.
class EIdUnknownProtocol : public EIdException {
 public:
  EIdUnknownProtocol();
};

// "IOHandler value is not valid": an "https" URL on a session without a
// secure transport.
class EIdIOHandlerPropInvalid : public EIdException {
 public:
  EIdIOHandlerPropInvalid();
};

// "SSL negotiation failed: " + the cause: the TLS handshake or the check of
// the server's certificate failed; nothing of the request was sent.
class EIdTLSNegotiationFailed : public EIdException {
 public:
  explicit EIdTLSNegotiationFailed(const std::string& cause);
};
