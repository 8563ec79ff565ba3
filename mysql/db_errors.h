// The exceptions the MySQL client raises to its users: the class library's
// database, conversion and list errors, and EMyError for every server-side or
// protocol failure. Messages are single-byte texts; a server's text is kept
// exactly as it arrived.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/convert_error.h"  // EConvertError, shared with the HTTP client

// Misuse of a component, an accessor used on a field of the wrong kind, a
// cursor that cannot open.
class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// An index outside a list: "List index out of bounds (%d)".
class EListError : public std::runtime_error {
 public:
  explicit EListError(int index);
  std::string Message() const { return what(); }
};

// The intermediate class between the class library's database error and the
// server errors: a failure that carries a numeric error code.
class ESqlError : public EDatabaseError {
 public:
  ESqlError(int32_t error_code, const std::string& message)
      : EDatabaseError(message), FErrorCode(error_code) {}
  int32_t ErrorCode() const { return FErrorCode; }

 private:
  int32_t FErrorCode;
};

// A server or protocol failure: the MySQL error code and the message (a
// server's message begins with a carriage return and a line feed). For code
// 1064 (syntax error) the last run of decimal digits in the message is kept
// as the line number the server reports.
class EMyError : public ESqlError {
 public:
  EMyError(int32_t error_code, const std::string& message);
  // Set only for code 1064 when the message holds a digit.
  std::optional<int32_t> LineNumber() const { return FLineNumber; }

 private:
  std::optional<int32_t> FLineNumber;
};
