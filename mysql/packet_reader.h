// TPacketReader: typed little-endian reads from one received packet, each
// checked against the packet's end. A read past the end, or a length
// prefix of 255, raises EMySqlException 2027 ("Malformed packet").
// Borrows the packet's bytes; one thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

class TPacketReader {
 public:
  explicit TPacketReader(std::string_view packet) : FData(packet) {}

  size_t Remaining() const { return FData.size() - FPos; }
  size_t Position() const { return FPos; }
  bool AtEnd() const { return FPos >= FData.size(); }

  uint8_t ReadByte();
  uint16_t ReadInt16();
  uint32_t ReadInt24();
  uint32_t ReadInt32();
  uint64_t ReadInt64();
  std::string_view ReadBytes(size_t n);
  void Skip(size_t n) { ReadBytes(n); }
  // Up to the next zero byte (which is consumed) or the end.
  std::string_view ReadZString();
  std::string_view ReadRest();
  // A length-coded integer; nullopt for the NULL prefix 251.
  std::optional<uint64_t> ReadLengthCoded();
  // A length-coded string; nullopt for NULL.
  std::optional<std::string_view> ReadLengthCodedString();

 private:
  [[noreturn]] static void Malformed();
  std::string_view FData;
  size_t FPos = 0;
};
