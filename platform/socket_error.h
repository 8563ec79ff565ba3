// Socket error numbers as the system reports them: the Windows Sockets
// numbering, onto which the platform's errno and resolver codes are mapped,
// and the fixed English text for each number.
#pragma once

#include <string>

namespace platform {

constexpr int kWsaAddrNotAvail = 10049;
constexpr int kWsaConnAborted = 10053;
constexpr int kWsaConnRefused = 10061;
constexpr int kWsaConnReset = 10054;
constexpr int kWsaNotConnected = 10057;
constexpr int kWsaShutdown = 10058;
constexpr int kWsaTimedOut = 10060;
constexpr int kWsaNetUnreach = 10051;
constexpr int kWsaHostUnreach = 10065;
constexpr int kWsaHostNotFound = 11001;

// Maps an errno value of a socket call onto its Windows Sockets number; an
// errno without counterpart maps to 10000 + errno.
int WsaFromErrno(int err);

// Maps a getaddrinfo() result code onto its Windows Sockets number
// (a name that does not exist gives 11001).
int WsaFromGai(int gai_error, int err);

// The text of the socket error table for a number, or "" when it has none.
std::string WsaErrorText(int wsa);

}  // namespace platform
