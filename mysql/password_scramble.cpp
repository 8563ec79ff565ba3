// Password scrambles of the MySQL login.
#include "mysql/password_scramble.h"

#include <cmath>
#include <cstdint>

namespace {

struct TOldHash {
  uint32_t First, Second;
};

TOldHash HashOld(std::string_view bytes) {
  uint32_t nr = 1345345333u, add = 7, nr2 = 0x12345671u;
  for (char ch : bytes) {
    if (ch == ' ' || ch == '\t') continue;
    uint32_t c = static_cast<uint8_t>(ch);
    nr ^= (((nr & 63) + add) * c) + (nr << 8);
    nr2 += (nr2 << 8) ^ nr;
    add += c;
  }
  return {nr & 0x7FFFFFFFu, nr2 & 0x7FFFFFFFu};
}

class TOldRandom {
 public:
  TOldRandom(uint32_t seed1, uint32_t seed2) : FSeed1(seed1 % kMax), FSeed2(seed2 % kMax) {}
  double Draw() {
    FSeed1 = (FSeed1 * 3 + FSeed2) % kMax;
    FSeed2 = (FSeed1 + FSeed2 + 33) % kMax;
    return static_cast<double>(FSeed1) / static_cast<double>(kMax);
  }

 private:
  static constexpr uint64_t kMax = 0x3FFFFFFF;
  uint64_t FSeed1, FSeed2;
};

std::string WithoutBlanks(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != ' ' && c != '\t') out += c;
  }
  return out;
}

std::string_view AsBytes(const TSha1Digest& digest) {
  return std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size());
}

}  // namespace

TSha1Digest Scramble41(std::string_view password, std::string_view scramble) {
  TSha1Digest s1 = Sha1(password);
  TSha1Digest s2 = Sha1(AsBytes(s1));
  TSha1 sha;
  sha.Update(scramble);
  sha.Update(s2);
  TSha1Digest h = sha.Final();
  for (size_t i = 0; i < h.size(); ++i) h[i] ^= s1[i];
  return h;
}

std::string ScrambleOld(std::string_view password, std::string_view scramble) {
  scramble = scramble.substr(0, 8);
  TOldHash hp = HashOld(password);
  TOldHash hm = HashOld(scramble);
  TOldRandom random(hp.First ^ hm.First, hp.Second ^ hm.Second);
  std::string out;
  for (size_t i = 0; i < scramble.size(); ++i) {
    out += static_cast<char>(static_cast<int>(std::floor(random.Draw() * 31)) + 64);
  }
  char extra = static_cast<char>(std::floor(random.Draw() * 31));
  for (char& c : out) c ^= extra;
  out += '\0';
  return out;
}

std::string TwoStepAnswer(std::string_view reply, std::string_view password,
                          std::string& new_scramble) {
  if (!reply.empty() && reply[0] == '*') {
    new_scramble = std::string(reply.substr(4, 20));
    return ScrambleOld(password, new_scramble);
  }
  TSha1Digest p = Sha1(WithoutBlanks(password));
  TSha1 sha;
  sha.Update(reply.substr(0, 4));
  sha.Update(p);
  TSha1Digest t = sha.Final();
  new_scramble.assign(20, '\0');
  std::string answer(20, '\0');
  for (size_t i = 0; i < 20; ++i) {
    new_scramble[i] = static_cast<char>(static_cast<uint8_t>(reply[4 + i]) ^ t[i]);
    answer[i] = static_cast<char>(static_cast<uint8_t>(new_scramble[i]) ^ p[i]);
  }
  return answer;
}
