// TMySqlNet: packet framing of one MySQL session over its transport. Builds
// outgoing packets in one growable buffer (4 header bytes reserved at its
// front), splits payloads of 16777215 bytes or more, checks sequence
// numbers, joins long incoming packets and turns error packets into
// EMySqlException with the server's code and text. Framing is always
// uncompressed: this client never asks for compression.
//
// Owns its transport; one thread at a time. Raises EMySqlException: 2013
// for a short read or write (with the transport's detail), 1156 for a
// packet out of order, 2020 for an incoming packet longer than the client
// takes, the server's code for an error packet.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mysql/my_vio.h"

class TMySqlNet {
 public:
  static constexpr size_t kMaxPacket = 0xFFFFFF;
  // The longest payload taken in, joined packets together: the maximum
  // packet size the login announces to the server.
  static constexpr size_t kMaxPayload = 0x40000000;

  explicit TMySqlNet(size_t max_payload = kMaxPayload);
  TMySqlNet(const TMySqlNet&) = delete;
  TMySqlNet& operator=(const TMySqlNet&) = delete;

  void SetVio(std::unique_ptr<TMyVio> vio) { FVio = std::move(vio); }
  TMyVio* Vio() const { return FVio.get(); }
  // Closes and frees the transport.
  void CloseVio();

  void ResetSequence() { FSequence = 0; }

  // Outgoing packet: start, append, send.
  void NewPacket();
  void WriteByte(uint8_t value);
  void WriteInt16(uint16_t value);
  void WriteInt24(uint32_t value);
  void WriteInt32(uint32_t value);
  void WriteBytes(std::string_view bytes);
  // The bytes followed by a zero byte.
  void WriteZString(std::string_view bytes);
  void WriteZeros(size_t count);
  // Sends the packet built since NewPacket.
  void Send();
  // Sends `payload` as one packet without building it in the buffer first.
  void SendPayload(std::string_view payload);

  // Reads the next packet; the view stays valid until the next read or
  // write. An error packet raises the server's error.
  std::string_view ReadPacket();

  // Empties the packet buffer (back to its initial capacity).
  void Clear();
  // Bytes held by the packet buffer.
  size_t BufferBytes() const { return FBuffer.capacity(); }

 private:
  void WriteFramed(const char* payload, size_t length, char* header_room);
  void WriteAll(const char* data, size_t length);
  void ReadAll(char* dest, size_t length);
  [[noreturn]] void RaiseServerError(std::string_view packet);
  uint8_t ReadHeader(size_t& length);

  std::unique_ptr<TMyVio> FVio;
  size_t FMaxPayload;
  std::vector<char> FBuffer;
  size_t FLength = 0;  // bytes used in FBuffer (header room included when writing)
  uint8_t FSequence = 0;
};
