// EConvertError: a text that could not be converted to a number or a date,
// raised with the runtime's messages ("'%s' is not a valid integer value").
// Shared by the clients that convert texts on behalf of their callers.
#pragma once

#include <stdexcept>
#include <string>

class EConvertError : public std::runtime_error {
 public:
  explicit EConvertError(const std::string& message) : std::runtime_error(message) {}
};
