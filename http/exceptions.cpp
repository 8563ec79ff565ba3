// The fixed messages of the HTTP client's errors.
#include "http/exceptions.h"

#include "platform/numbers.h"
#include "platform/socket_error.h"

EIdConnClosedGracefully::EIdConnClosedGracefully()
    : EIdException("Connection Closed Gracefully.") {}

EIdReadTimeout::EIdReadTimeout() : EIdException("Read Timeout") {}

EIdReadLnMaxLineLengthExceeded::EIdReadLnMaxLineLengthExceeded()
    : EIdException("Max line length exceeded.") {}

EIdSocketError::EIdSocketError(int wsa_error)
    : EIdException("Socket Error # " + platform::IntToStr(wsa_error) + "\r\n" +
                   platform::WsaErrorText(wsa_error)),
      FLastError(wsa_error) {}

EIdInvalidSocket::EIdInvalidSocket() : EIdException("Cannot allocate socket.") {}

EIdCouldNotBindSocket::EIdCouldNotBindSocket()
    : EIdException("Could not bind socket. Address and port are already in use.") {}

EIdConnectTimeout::EIdConnectTimeout() : EIdException("Connect timed out.") {}

EIdNotConnected::EIdNotConnected() : EIdException("Not Connected") {}

EIdUnknownProtocol::EIdUnknownProtocol() : EIdException("") {}

EIdIOHandlerPropInvalid::EIdIOHandlerPropInvalid() : EIdException("IOHandler value is not valid") {}

EIdTLSNegotiationFailed::EIdTLSNegotiationFailed(const std::string& cause)
    : EIdException("SSL negotiation failed: " + cause) {}
