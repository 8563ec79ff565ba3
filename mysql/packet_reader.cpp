// Bounds-checked reads from a received packet.
#include "mysql/packet_reader.h"

#include "mysql/client_errors.h"

void TPacketReader::Malformed() {
  throw mysql_client::EMySqlException(mysql_client::CR_MALFORMED_PACKET);
}

std::string_view TPacketReader::ReadBytes(size_t n) {
  if (n > Remaining()) Malformed();
  std::string_view out = FData.substr(FPos, n);
  FPos += n;
  return out;
}

uint8_t TPacketReader::ReadByte() { return static_cast<uint8_t>(ReadBytes(1)[0]); }

uint16_t TPacketReader::ReadInt16() {
  std::string_view b = ReadBytes(2);
  return static_cast<uint16_t>(static_cast<uint8_t>(b[0]) | (static_cast<uint8_t>(b[1]) << 8));
}

uint32_t TPacketReader::ReadInt24() {
  std::string_view b = ReadBytes(3);
  return static_cast<uint32_t>(static_cast<uint8_t>(b[0])) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[1])) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[2])) << 16);
}

uint32_t TPacketReader::ReadInt32() {
  uint32_t low = ReadInt16();
  return low | (static_cast<uint32_t>(ReadInt16()) << 16);
}

uint64_t TPacketReader::ReadInt64() {
  uint64_t low = ReadInt32();
  return low | (static_cast<uint64_t>(ReadInt32()) << 32);
}

std::string_view TPacketReader::ReadZString() {
  size_t zero = FData.find('\0', FPos);
  size_t end = zero == std::string_view::npos ? FData.size() : zero;
  std::string_view out = FData.substr(FPos, end - FPos);
  FPos = zero == std::string_view::npos ? end : end + 1;
  return out;
}

std::string_view TPacketReader::ReadRest() { return ReadBytes(Remaining()); }

std::optional<uint64_t> TPacketReader::ReadLengthCoded() {
  uint8_t first = ReadByte();
  if (first < 251) return first;
  switch (first) {
    case 251:
      return std::nullopt;
    case 252:
      return ReadInt16();
    case 253:
      return ReadInt24();
    case 254:
      return ReadInt64();
    default:
      Malformed();
  }
}

std::optional<std::string_view> TPacketReader::ReadLengthCodedString() {
  std::optional<uint64_t> length = ReadLengthCoded();
  if (!length) return std::nullopt;
  if (*length > Remaining()) Malformed();
  return ReadBytes(static_cast<size_t>(*length));
}
