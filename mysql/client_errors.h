// EMySqlException, the protocol engine's internal failure (a code and a
// message), and the client message table for codes 2000 to 2047. The engine
// catches these and stores them as a session's last error; they never reach
// the users of TMyConnection and TMyQuery as such.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace mysql_client {

constexpr int CR_UNKNOWN_ERROR = 2000;
constexpr int CR_CONN_HOST_ERROR = 2003;
constexpr int CR_SERVER_GONE_ERROR = 2006;
constexpr int CR_VERSION_ERROR = 2007;
constexpr int CR_SERVER_HANDSHAKE_ERR = 2012;
constexpr int CR_SERVER_LOST = 2013;
constexpr int CR_COMMANDS_OUT_OF_SYNC = 2014;
constexpr int CR_NET_PACKET_TOO_LARGE = 2020;
constexpr int CR_MALFORMED_PACKET = 2027;
constexpr int ER_NET_PACKETS_OUT_OF_ORDER = 1156;

// The table text for a code, or "" for a code outside 2000..2047.
std::string ClientErrorText(int code);

using TMessageArg = std::variant<int64_t, std::string>;

// Fills printf-style placeholders (%s, %d, %X, with flags, width and
// precision such as "%-.64s") from `args` in order; a placeholder without a
// value is left as it is.
std::string FormatMessageText(const std::string& pattern, const std::vector<TMessageArg>& args);

class EMySqlException : public std::runtime_error {
 public:
  // The table text, placeholders left unfilled.
  explicit EMySqlException(int code);
  // The table text, then CR LF and the detail when the detail is not empty.
  EMySqlException(int code, const std::string& detail);
  // The table text filled from `values`, then the detail as above.
  EMySqlException(int code, const std::string& detail, const std::vector<TMessageArg>& values);
  int Code() const { return FCode; }

 private:
  int FCode;
};

}  // namespace mysql_client
