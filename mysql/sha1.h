// SHA-1 (FIPS 180-1) over raw bytes, for the login scrambles. Pure
// functions and a small incremental state; callable from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using TSha1Digest = std::array<uint8_t, 20>;

class TSha1 {
 public:
  TSha1();
  void Update(std::string_view bytes);
  void Update(const TSha1Digest& digest);
  // The digest of everything added; the state must not be used afterwards.
  TSha1Digest Final();

 private:
  void Block(const uint8_t* block);
  uint32_t FH[5];
  uint8_t FBuffer[64];
  size_t FBuffered = 0;
  uint64_t FLength = 0;
};

TSha1Digest Sha1(std::string_view bytes);
