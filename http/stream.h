// TIdStream: the request body handed to the stream form of TIdHTTP::HttpPost.
// It borrows the caller's bytes for the call and copies nothing; the bytes
// must outlive the call (a temporary std::string passed in the same
// expression does).
#pragma once

#include <cstddef>
#include <string_view>

class TIdStream {
 public:
  explicit TIdStream(std::string_view bytes) : FBytes(bytes) {}
  std::string_view Bytes() const { return FBytes; }
  size_t Size() const { return FBytes.size(); }

 private:
  std::string_view FBytes;
};
