// The in-memory transport of the MySQL fuzz targets.
#include "fuzz/mysql_memory_vio.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "mysql/my_vio.h"

namespace mysqlfuzz {

namespace {

// What TVioTcp can hand out without a copy: its read-ahead buffer's size.
constexpr size_t kReadAhead = 16384;

struct TPending {
  bool Framed = false;
  std::string Raw;
  std::vector<std::string> Payloads;
};

TPending gPending;
class TMemoryVio;
TMemoryVio* gLive = nullptr;

class TMemoryVio final : public TMyVio {
 public:
  explicit TMemoryVio(TPending script) : FScript(std::move(script)) {
    if (!FScript.Framed) FOut = std::move(FScript.Raw);
    gLive = this;
  }
  ~TMemoryVio() override {
    if (gLive == this) gLive = nullptr;
  }

  void SetTimeout(int) override {}
  bool Connect() override { return true; }

  size_t Read(char* dest, size_t n) override {
    Ensure(n);
    size_t take = std::min(n, Available());
    if (take > 0) std::memcpy(dest, FOut.data() + FPos, take);
    FPos += take;
    return take;
  }

  bool ReadBuffered(size_t n, const char*& data) override {
    if (n > kReadAhead) return false;
    Ensure(n);
    if (Available() < n) return false;
    data = FOut.data() + FPos;
    FPos += n;
    return true;
  }

  // Follows the client's packet headers to learn the sequence number the
  // server's next packet must carry.
  size_t Write(const char* data, size_t n) override {
    if (FClosed) return 0;
    for (size_t i = 0; i < n;) {
      if (FSkip > 0) {
        size_t take = std::min(FSkip, n - i);
        FSkip -= take;
        i += take;
        continue;
      }
      FHeader[FHeaderLength++] = static_cast<uint8_t>(data[i++]);
      if (FHeaderLength == 4) {
        FSkip = FHeader[0] | (FHeader[1] << 8) | (size_t{FHeader[2]} << 16);
        FNextSequence = static_cast<uint8_t>(FHeader[3] + 1);
        FHeaderLength = 0;
      }
    }
    return n;
  }

  void Close() override { FClosed = true; }
  const std::string& LastError() const override { return FError; }

  bool Unread() const { return Available() > 0 || FNextPayload < FScript.Payloads.size(); }

 private:
  size_t Available() const { return FClosed ? 0 : FOut.size() - FPos; }

  // Frames payloads until n bytes are ready or none is left.
  void Ensure(size_t n) {
    if (FClosed || !FScript.Framed) return;
    if (FPos == FOut.size()) {
      FOut.clear();
      FPos = 0;
    }
    while (Available() < n && FNextPayload < FScript.Payloads.size()) {
      const std::string& p = FScript.Payloads[FNextPayload++];
      size_t length = std::min<size_t>(p.size(), 0xFFFFFE);
      FOut += static_cast<char>(length & 0xFF);
      FOut += static_cast<char>((length >> 8) & 0xFF);
      FOut += static_cast<char>((length >> 16) & 0xFF);
      FOut += static_cast<char>(FNextSequence++);
      FOut.append(p, 0, length);
    }
  }

  TPending FScript;
  std::string FOut;
  size_t FPos = 0;
  size_t FNextPayload = 0;
  uint8_t FNextSequence = 0;
  uint8_t FHeader[4] = {};
  size_t FHeaderLength = 0;
  size_t FSkip = 0;
  bool FClosed = false;
  std::string FError;
};

std::unique_ptr<TMyVio> MakeMemoryVio(const std::string&, int) {
  auto vio = std::make_unique<TMemoryVio>(std::move(gPending));
  gPending = TPending();
  return vio;
}

std::string Int16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }

}  // namespace

void Install() { SetVioMaker(&MakeMemoryVio); }

void PlayRaw(std::string bytes) {
  gPending = TPending();
  gPending.Raw = std::move(bytes);
}

void PlayPayloads(std::vector<std::string> payloads) {
  gPending = TPending();
  gPending.Framed = true;
  gPending.Payloads = std::move(payloads);
}

bool Unread() { return gLive && gLive->Unread(); }

std::vector<std::string> SplitPayloads(std::string_view input) {
  std::vector<std::string> out;
  while (true) {
    size_t at = input.find(kPayloadSeparator);
    out.emplace_back(input.substr(0, at));
    if (at == std::string_view::npos) break;
    input.remove_prefix(at + kPayloadSeparator.size());
  }
  return out;
}

std::string GreetingPayload(bool protocol41) {
  std::string p(1, char(10));
  p += protocol41 ? "5.5.5-10.11.6-MariaDB" : "4.0.27-log";
  p += '\0';
  p += std::string("\x4d\x00\x00\x00", 4);  // connection id
  p += "ABCDEFGH";
  p += '\0';
  p += Int16(protocol41 ? 0xF7FE : 0x200C);
  p += char(8);
  p += Int16(2);
  if (protocol41) {
    p += Int16(0x81BF);
    p += char(21);
    p += std::string(10, '\0');
    p += "IJKLMNOPQRST";
    p += '\0';
    p += "mysql_native_password";
    p += '\0';
  } else {
    p += std::string(13, '\0');
  }
  return p;
}

std::string OkPayload() { return std::string("\x00\x00\x00\x02\x00\x00\x00", 7); }

}  // namespace mysqlfuzz
