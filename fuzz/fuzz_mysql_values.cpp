// Fuzzes the conversion of row values into the row cache and the readings
// of the fields: the input chooses the cursor's options, the columns (type
// code, display length, flags, character set) and the values of the rows;
// the target builds a well-formed result set of them, so every value gets
// to its conversion, opens it and reads every field of every row with
// every accessor.
//
// Layout: options byte, column count byte, 5 bytes per column (type,
// length low, length high, flags, character set), then values: a length
// byte (255: NULL) and that many bytes, row after row.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/mysql_fuzz_reading.h"
#include "fuzz/mysql_memory_vio.h"

namespace {

// Every code a column may carry, and two no server sends.
constexpr uint8_t kTypes[] = {0,  1,  2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12, 13, 14,
                              15, 16, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255, 17, 245};
// TIMESTAMP lengths: those read, fractions of a second, and one refused.
constexpr uint32_t kStampLengths[] = {19, 14, 12, 10, 8, 6, 4, 2, 20, 26, 9};

class TInput {
 public:
  TInput(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  bool Empty() const { return FPos >= FSize; }
  uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
  std::string Bytes(size_t n) {
    n = std::min(n, FSize - FPos);
    std::string out(reinterpret_cast<const char*>(FData) + FPos, n);
    FPos += n;
    return out;
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

std::string LengthCodedString(const std::string& s) { return char(s.size()) + s; }

std::string Int16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }

std::string Int32(uint32_t v) { return Int16(uint16_t(v)) + Int16(uint16_t(v >> 16)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool installed = (mysqlfuzz::Install(), true);
  (void)installed;
  TInput in(data, size);
  uint8_t options = in.Byte();
  int count = 1 + in.Byte() % 8;

  std::vector<std::string> payloads = {mysqlfuzz::GreetingPayload(true), mysqlfuzz::OkPayload(),
                                       mysqlfuzz::OkPayload()};
  payloads.push_back(std::string(1, char(count)));
  for (int i = 0; i < count; ++i) {
    uint8_t type = kTypes[in.Byte() % std::size(kTypes)];
    uint8_t low = in.Byte(), high = in.Byte();
    uint32_t length = high == 0xFF ? 0xFFFFFFFFu - low : low | (uint32_t{high} << 8);
    if (type == 7) length = kStampLengths[low % std::size(kStampLengths)];
    uint16_t flags = in.Byte();
    uint16_t charset = (in.Byte() & 1) ? 63 : 51;
    std::string name = "c" + std::to_string(i);
    std::string fixed =
        Int16(charset) + Int32(length) + char(type) + Int16(flags) + char(0) + std::string(2, '\0');
    payloads.push_back(LengthCodedString("def") + LengthCodedString("db") + LengthCodedString("t") +
                       LengthCodedString("t") + LengthCodedString(name) + LengthCodedString(name) +
                       LengthCodedString(fixed));
  }
  const std::string eof("\xFE\x00\x00\x02\x00", 5);
  payloads.push_back(eof);
  for (int row = 0; row < 32 && !in.Empty(); ++row) {
    std::string packet;
    for (int i = 0; i < count; ++i) {
      uint8_t n = in.Byte();
      if (n == 0xFF) {
        packet += '\xFB';
      } else {
        std::string value = in.Bytes(std::min<size_t>(n, 250));
        packet += char(value.size()) + value;
      }
    }
    payloads.push_back(packet);
  }
  payloads.push_back(eof);
  mysqlfuzz::PlayPayloads(std::move(payloads));

  TMyConnection connection;
  mysqlfuzz::PointAtMemory(connection);
  connection.Options().SetOptimizedBigInt(options & 32);
  TMyQuery query;
  query.SetConnection(&connection);
  query.Options.TrimFixedChar = !(options & 1);
  query.Options.TrimVarChar = options & 2;
  query.Options.NullForZeroDate = !(options & 4);
  query.Options.EnableBoolean = !(options & 8);
  query.Options.BinaryAsString = !(options & 16);
  query.Options.LongStrings = !(options & 64);
  query.Options.FieldsAsString = options & 128;
  query.SQL.SetText("SELECT * FROM obj");
  mysqlfuzz::AllowingClientErrors([&] { query.Execute(); });
  mysqlfuzz::ReadEveryField(query);
  return 0;
}
