// SHA-1 against the FIPS 180-1 test vectors, whole and fed in pieces.
#include "mysql/sha1.h"

#include <gtest/gtest.h>

namespace {

std::string Hex(const TSha1Digest& d) {
  static const char* kDigits = "0123456789abcdef";
  std::string out;
  for (uint8_t b : d) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

TEST(Sha1, StandardVectors) {
  struct TCase {
    std::string Input;
    const char* Digest;
  } cases[] = {
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
      {std::string(64, 'x'), "bb2fa3ee7afb9f54c6dfb5d021f14b1ffe40c163"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Input.size());
    EXPECT_EQ(Hex(Sha1(c.Input)), c.Digest);
    TSha1 pieces;  // odd-sized pieces cross the 64-byte blocks
    for (size_t at = 0; at < c.Input.size(); at += 7)
      pieces.Update(std::string_view(c.Input).substr(at, 7));
    EXPECT_EQ(Hex(pieces.Final()), c.Digest);
  }
}

}  // namespace
