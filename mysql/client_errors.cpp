// The client message table and the engine's failure messages.
#include "mysql/client_errors.h"

#include <cstdio>

namespace mysql_client {

namespace {

const char* const kClientMessages[] = {
    "Unknown MySQL error",
    "Can't create UNIX socket (%d)",
    "Can't connect to local MySQL server through socket '%-.64s' (%d)",
    "Can't connect to MySQL server on '%s' (%d)",
    "Can't create TCP/IP socket (%d)",
    "Unknown MySQL Server Host '%-.64s' (%d)",
    "MySQL server has gone away",
    "Protocol mismatch. Server Version = %d Client Version = %d",
    "MySQL client run out of memory",
    "Wrong host info",
    "Localhost via UNIX socket",
    "%-.64s via TCP/IP",
    "Error in server handshake",
    "Lost connection to MySQL server during query",
    "Commands out of sync;  You can't run this command now",
    "%-.64s via named pipe",
    "Can't wait for named pipe to host: %s  pipe: %s (%s)",
    "Can't open named pipe to host: %s  pipe: %s (%s)",
    "Can't set state of named pipe to host: %s  pipe: %s (%s)",
    "Can't initialize character set %s (path: %s)",
    "Got packet bigger than 'max_allowed_packet'",
    "Embedded server",
    "Error on SHOW SLAVE STATUS:",
    "Error on SHOW SLAVE HOSTS:",
    "Error connecting to slave:",
    "Error connecting to master:",
    "SSL connection error",
    "Malformed packet",
    "Invalid use of null pointer",
    "Statement not prepared",
    "Not all parameters data supplied",
    "Data truncated",
    "No parameters exists in the statement",
    "Invalid parameter number",
    "Can't send long data for non string or binary data types (parameter: %s)",
    "Using unsupported buffer type: %s  (parameter: %s)",
    "Shared memory (%s)",
    "Can't open shared memory. Request event don't create  (%s)",
    "Can't open shared memory. Answer event don't create  (%s)",
    "Can't open shared memory. File mapping don't create  (%s)",
    "Can't open shared memory. Map of memory don't create  (%s)",
    "Can't open shared memory. File mapping don't create for client (%s)",
    "Can't open shared memory. Map of memory don't create for client (%s)",
    "Can't open shared memory. %s event don't create for client (%s)",
    "Can't open shared memory. Server abandoded and don't sent the answer event (%s)",
    "Can't open shared memory. Can't send the request event to server (%s)",
    "Wrong or unknown protocol",
    "Invalid connection handle",
};

constexpr int kMessageCount = sizeof kClientMessages / sizeof kClientMessages[0];
static_assert(kMessageCount == 48, "codes 2000 to 2047");

std::string WithDetail(std::string text, const std::string& detail) {
  if (!detail.empty()) text += "\r\n" + detail;
  return text;
}

}  // namespace

std::string ClientErrorText(int code) {
  int index = code - CR_UNKNOWN_ERROR;
  return index >= 0 && index < kMessageCount ? kClientMessages[index] : "";
}

std::string FormatMessageText(const std::string& pattern, const std::vector<TMessageArg>& args) {
  std::string out;
  size_t next_arg = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      out += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t end = pattern.find_first_of("sdXxu", i + 1);
    if (end == std::string::npos || next_arg >= args.size()) {
      out += pattern.substr(i, end == std::string::npos ? std::string::npos : end - i + 1);
      if (end == std::string::npos) break;
      i = end;
      continue;
    }
    std::string spec = pattern.substr(i, end - i);  // "%-.64" and the like
    const TMessageArg& arg = args[next_arg++];
    char kind = pattern[end];
    char buf[64];
    if (kind == 's') {
      std::string text = std::holds_alternative<std::string>(arg)
                             ? std::get<std::string>(arg)
                             : std::to_string(std::get<int64_t>(arg));
      bool left = spec.find('-') != std::string::npos;
      size_t dot = spec.find('.');
      size_t digits = spec.find_first_of("0123456789");
      size_t width = digits != std::string::npos && (dot == std::string::npos || digits < dot)
                         ? std::stoul(spec.substr(digits))
                         : 0;
      if (dot != std::string::npos && dot + 1 < spec.size()) {
        text = text.substr(0, std::stoul(spec.substr(dot + 1)));
      }
      std::string pad(width > text.size() ? width - text.size() : 0, ' ');
      out += left ? text + pad : pad + text;
      i = end;
      continue;
    } else {
      long long value = std::holds_alternative<int64_t>(arg) ? std::get<int64_t>(arg) : 0;
      std::snprintf(buf, sizeof buf, (spec + "ll" + kind).c_str(), value);
    }
    out += buf;
    i = end;
  }
  return out;
}

EMySqlException::EMySqlException(int code)
    : std::runtime_error(ClientErrorText(code)), FCode(code) {}

EMySqlException::EMySqlException(int code, const std::string& detail)
    : std::runtime_error(WithDetail(ClientErrorText(code), detail)), FCode(code) {}

EMySqlException::EMySqlException(int code, const std::string& detail,
                                 const std::vector<TMessageArg>& values)
    : std::runtime_error(WithDetail(FormatMessageText(ClientErrorText(code), values), detail)),
      FCode(code) {}

}  // namespace mysql_client
