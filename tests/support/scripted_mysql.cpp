// Scripted MySQL server bytes.
#include "tests/support/scripted_mysql.h"

namespace mysqltest {

namespace {

std::string Int16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }

std::string Int32(uint32_t v) {
  return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                     char((v >> 24) & 0xFF)};
}

}  // namespace

std::string Packet(uint8_t seq, const std::string& payload) {
  size_t n = payload.size();
  return std::string{char(n & 0xFF), char((n >> 8) & 0xFF), char((n >> 16) & 0xFF), char(seq)} +
         payload;
}

std::string LengthCoded(uint64_t n) {
  if (n < 251) return std::string(1, char(n));
  if (n < 65536) return "\xFC" + Int16(uint16_t(n));
  if (n < (1u << 24)) return "\xFD" + Int32(uint32_t(n)).substr(0, 3);
  return "\xFE" + Int32(uint32_t(n)) + Int32(uint32_t(n >> 32));
}

std::string LengthCodedString(const std::string& s) { return LengthCoded(s.size()) + s; }

std::string Greeting41(const std::string& scramble20, const std::string& version,
                       uint16_t capabilities, uint8_t protocol) {
  std::string p(1, char(protocol));
  p += version + '\0';
  p += Int32(77);
  p += scramble20.substr(0, 8) + '\0';
  p += Int16(capabilities);
  p += char(8);
  p += Int16(2);
  p += Int16(0x81BF);  // capabilities, high half
  p += char(21);
  p += std::string(10, '\0');
  p += scramble20.substr(8, 12) + '\0';
  p += "mysql_native_password";
  p += '\0';
  return Packet(0, p);
}

std::string GreetingPre41(const std::string& scramble8, const std::string& version) {
  std::string p(1, char(10));
  p += version + '\0';
  p += Int32(5);
  p += scramble8 + '\0';
  p += Int16(0x200C & ~0x0200);  // long flag, connect with db, transactions
  p += char(8);
  p += Int16(2);
  p += std::string(13, '\0');
  return Packet(0, p);
}

std::string Ok(uint8_t seq, uint64_t affected) {
  return Packet(
      seq, std::string(1, '\0') + LengthCoded(affected) + LengthCoded(0) + Int16(2) + Int16(0));
}

std::string Eof(uint8_t seq, uint16_t status) {
  return Packet(seq, "\xFE" + Int16(0) + Int16(status));
}

std::string Err(uint8_t seq, uint16_t code, const std::string& text) {
  return Packet(seq, "\xFF" + Int16(code) + text);
}

std::string ColumnDef41(uint8_t seq, const TColumn& c) {
  std::string p = LengthCodedString("def") + LengthCodedString("db") + LengthCodedString("t") +
                  LengthCodedString("t") + LengthCodedString(c.Name) + LengthCodedString(c.Name);
  std::string fixed = Int16(c.Charset) + Int32(c.Length) + char(c.Type) + Int16(c.Flags) + char(0) +
                      std::string(2, '\0');
  return Packet(seq, p + LengthCodedString(fixed));
}

std::string ColumnDefPre41(uint8_t seq, const TColumn& c) {
  std::string length = Int32(c.Length).substr(0, 3);
  return Packet(seq, LengthCodedString("t") + LengthCodedString(c.Name) +
                         LengthCodedString(length) +
                         LengthCodedString(std::string(1, char(c.Type))) +
                         LengthCodedString(Int16(c.Flags) + char(0)));
}

std::string Row(uint8_t seq, const std::vector<TValue>& values) {
  std::string p;
  for (const TValue& v : values) p += v ? LengthCodedString(*v) : std::string("\xFB");
  return Packet(seq, p);
}

std::string ResultSet(const std::vector<TColumn>& columns,
                      const std::vector<std::vector<TValue>>& rows, bool protocol41) {
  uint8_t seq = 1;
  std::string out = Packet(seq++, LengthCoded(columns.size()));
  for (const TColumn& c : columns) {
    out += protocol41 ? ColumnDef41(seq++, c) : ColumnDefPre41(seq++, c);
  }
  out += Eof(seq++);
  for (const auto& row : rows) out += Row(seq++, row);
  out += Eof(seq++);
  return out;
}

std::vector<TSentPacket> SplitPackets(const std::string& bytes) {
  std::vector<TSentPacket> out;
  size_t pos = 0;
  while (pos + 4 <= bytes.size()) {
    size_t n = uint8_t(bytes[pos]) | (uint8_t(bytes[pos + 1]) << 8) |
               (size_t(uint8_t(bytes[pos + 2])) << 16);
    out.push_back({uint8_t(bytes[pos + 3]), bytes.substr(pos + 4, n)});
    pos += 4 + n;
  }
  return out;
}

void ScriptLogin41(testsupport::TScript& script, const std::string& scramble20) {
  script.Send(Greeting41(scramble20)).ReadMySqlPacket().Send(Ok(2));
  script.ReadMySqlPacket().Send(Ok(1));
}

}  // namespace mysqltest
