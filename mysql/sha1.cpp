// SHA-1 as FIPS 180-1 defines it: 512-bit blocks, 80 rounds.
#include "mysql/sha1.h"

#include <cstring>

namespace {

uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

TSha1::TSha1() : FH{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0} {}

void TSha1::Block(const uint8_t* block) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i) {
    w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
           (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
  }
  for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = FH[0], b = FH[1], c = FH[2], d = FH[3], e = FH[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    uint32_t t = Rotl(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = t;
  }
  FH[0] += a;
  FH[1] += b;
  FH[2] += c;
  FH[3] += d;
  FH[4] += e;
}

void TSha1::Update(std::string_view bytes) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t n = bytes.size();
  FLength += n;
  while (n > 0) {
    size_t take = std::min(n, sizeof FBuffer - FBuffered);
    std::memcpy(FBuffer + FBuffered, p, take);
    FBuffered += take;
    p += take;
    n -= take;
    if (FBuffered == sizeof FBuffer) {
      Block(FBuffer);
      FBuffered = 0;
    }
  }
}

void TSha1::Update(const TSha1Digest& digest) {
  Update(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

TSha1Digest TSha1::Final() {
  uint64_t bits = FLength * 8;
  static const uint8_t kPad[64] = {0x80};
  size_t pad = FBuffered < 56 ? 56 - FBuffered : 120 - FBuffered;
  Update(std::string_view(reinterpret_cast<const char*>(kPad), pad));
  uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Update(std::string_view(reinterpret_cast<const char*>(length), 8));
  TSha1Digest out;
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<uint8_t>(FH[i] >> (24 - 8 * j));
  }
  return out;
}

TSha1Digest Sha1(std::string_view bytes) {
  TSha1 sha;
  sha.Update(bytes);
  return sha.Final();
}
