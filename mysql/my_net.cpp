// Packet framing: 3-byte little-endian length, sequence byte, payload.
#include "mysql/my_net.h"

#include <cstring>

#include "mysql/client_errors.h"

using mysql_client::EMySqlException;

namespace {

constexpr size_t kInitialCapacity = 8192;

void PutHeader(char* at, size_t length, uint8_t sequence) {
  at[0] = static_cast<char>(length & 0xFF);
  at[1] = static_cast<char>((length >> 8) & 0xFF);
  at[2] = static_cast<char>((length >> 16) & 0xFF);
  at[3] = static_cast<char>(sequence);
}

}  // namespace

TMySqlNet::TMySqlNet(size_t max_payload) : FMaxPayload(max_payload) {
  FBuffer.resize(kInitialCapacity);
}

void TMySqlNet::CloseVio() {
  if (FVio) FVio->Close();
  FVio.reset();
}

void TMySqlNet::NewPacket() { FLength = 4; }

void TMySqlNet::WriteBytes(std::string_view bytes) {
  if (FLength + bytes.size() > FBuffer.size()) {
    FBuffer.resize(std::max(FBuffer.size() * 2, FLength + bytes.size()));
  }
  if (!bytes.empty()) std::memcpy(FBuffer.data() + FLength, bytes.data(), bytes.size());
  FLength += bytes.size();
}

void TMySqlNet::WriteByte(uint8_t value) {
  char c = static_cast<char>(value);
  WriteBytes(std::string_view(&c, 1));
}

void TMySqlNet::WriteInt16(uint16_t value) {
  char b[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
  WriteBytes(std::string_view(b, 2));
}

void TMySqlNet::WriteInt24(uint32_t value) {
  char b[3] = {static_cast<char>(value), static_cast<char>(value >> 8),
               static_cast<char>(value >> 16)};
  WriteBytes(std::string_view(b, 3));
}

void TMySqlNet::WriteInt32(uint32_t value) {
  char b[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
               static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
  WriteBytes(std::string_view(b, 4));
}

void TMySqlNet::WriteZString(std::string_view bytes) {
  WriteBytes(bytes);
  WriteByte(0);
}

void TMySqlNet::WriteZeros(size_t count) {
  static const char kZeros[64] = {};
  while (count > 0) {
    size_t take = std::min(count, sizeof kZeros);
    WriteBytes(std::string_view(kZeros, take));
    count -= take;
  }
}

void TMySqlNet::WriteAll(const char* data, size_t length) {
  if (!FVio || FVio->Write(data, length) != length) {
    throw EMySqlException(mysql_client::CR_SERVER_LOST, FVio ? FVio->LastError() : "");
  }
}

// `header_room` is either 4 bytes right before `payload` (one write) or null.
void TMySqlNet::WriteFramed(const char* payload, size_t length, char* header_room) {
  if (length < kMaxPacket) {
    if (header_room) {
      PutHeader(header_room, length, FSequence++);
      WriteAll(header_room, length + 4);
    } else {
      char header[4];
      PutHeader(header, length, FSequence++);
      WriteAll(header, 4);
      WriteAll(payload, length);
    }
    return;
  }
  // Full-size pieces, then the rest (possibly empty).
  size_t offset = 0;
  while (true) {
    size_t piece = std::min(length - offset, kMaxPacket);
    char header[4];
    PutHeader(header, piece, FSequence++);
    WriteAll(header, 4);
    WriteAll(payload + offset, piece);
    offset += piece;
    if (piece < kMaxPacket) break;
  }
}

void TMySqlNet::Send() { WriteFramed(FBuffer.data() + 4, FLength - 4, FBuffer.data()); }

void TMySqlNet::SendPayload(std::string_view payload) {
  WriteFramed(payload.data(), payload.size(), nullptr);
}

void TMySqlNet::ReadAll(char* dest, size_t length) {
  if (!FVio || FVio->Read(dest, length) != length) {
    throw EMySqlException(mysql_client::CR_SERVER_LOST, FVio ? FVio->LastError() : "");
  }
}

uint8_t TMySqlNet::ReadHeader(size_t& length) {
  char header[4];
  const char* h = nullptr;
  if (!FVio || !FVio->ReadBuffered(4, h)) {
    ReadAll(header, 4);
    h = header;
  }
  length = static_cast<uint8_t>(h[0]) | (static_cast<uint8_t>(h[1]) << 8) |
           (static_cast<size_t>(static_cast<uint8_t>(h[2])) << 16);
  uint8_t sequence = static_cast<uint8_t>(h[3]);
  if (sequence != FSequence) {
    throw EMySqlException(mysql_client::ER_NET_PACKETS_OUT_OF_ORDER,
                          mysql_client::FormatMessageText(
                              "ReceiveHeader: Net packets out of order: received[%d], expected[%d]",
                              {int64_t{sequence}, int64_t{FSequence}}));
  }
  ++FSequence;
  return sequence;
}

std::string_view TMySqlNet::ReadPacket() {
  size_t length;
  ReadHeader(length);
  std::string_view packet;
  const char* direct = nullptr;
  if (length < kMaxPacket && FVio->ReadBuffered(length, direct)) {
    packet = std::string_view(direct, length);
  } else {
    // The buffer grows with the bytes that arrive, not with the length a
    // header announces, so a peer that announces much and sends little
    // costs little.
    size_t total = 0;
    while (true) {
      if (length > FMaxPayload - total) {
        throw EMySqlException(mysql_client::CR_NET_PACKET_TOO_LARGE);
      }
      size_t end = total + length;
      while (total < end) {
        if (total == FBuffer.size()) FBuffer.resize(std::max(FBuffer.size() * 2, kInitialCapacity));
        size_t take = std::min(end - total, FBuffer.size() - total);
        ReadAll(FBuffer.data() + total, take);
        total += take;
      }
      if (length < kMaxPacket) break;
      ReadHeader(length);
    }
    FLength = total;
    packet = std::string_view(FBuffer.data(), total);
  }
  if (!packet.empty() && static_cast<uint8_t>(packet[0]) == 255) RaiseServerError(packet);
  return packet;
}

void TMySqlNet::RaiseServerError(std::string_view packet) {
  // Code 0 would read as "no error" to whoever keeps it as the last error,
  // and the failure would pass for the end of a result.
  if (packet.size() < 3) throw EMySqlException(mysql_client::CR_MALFORMED_PACKET);
  int code = static_cast<int16_t>(static_cast<uint8_t>(packet[1]) |
                                  (static_cast<uint8_t>(packet[2]) << 8));
  std::string_view rest = packet.substr(3);
  std::string message(rest.substr(0, rest.find('\0')));
  if (code == 0) throw EMySqlException(mysql_client::CR_UNKNOWN_ERROR, message);
  throw EMySqlException(code, message);
}

void TMySqlNet::Clear() {
  FBuffer.assign(kInitialCapacity, 0);
  FBuffer.shrink_to_fit();
  FLength = 0;
}
