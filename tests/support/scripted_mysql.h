// Byte builders for scripted MySQL servers: packets, greetings, OK, error
// and end-of-data packets, column definitions and rows; and a splitter for
// what the client sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/scripted_server.h"

namespace mysqltest {

using TValue = std::optional<std::string>;  // nullopt: NULL

std::string Packet(uint8_t seq, const std::string& payload);
std::string LengthCoded(uint64_t n);
std::string LengthCodedString(const std::string& s);

// A protocol-10 greeting of a 4.1-or-later server with a 20-byte scramble.
std::string Greeting41(const std::string& scramble20,
                       const std::string& version = "5.5.5-10.11.0-x",
                       uint16_t capabilities = 0xF7FE, uint8_t protocol = 10);
// A greeting of a 4.0 server: 8-byte scramble, no 4.1 capabilities.
std::string GreetingPre41(const std::string& scramble8, const std::string& version = "4.0.27-log");

std::string Ok(uint8_t seq, uint64_t affected = 0);
std::string Eof(uint8_t seq, uint16_t status = 2);
std::string Err(uint8_t seq, uint16_t code, const std::string& text);

struct TColumn {
  std::string Name;
  uint8_t Type;
  uint32_t Length;
  uint16_t Flags = 0;
  uint16_t Charset = 51;
};
std::string ColumnDef41(uint8_t seq, const TColumn& column);
std::string ColumnDefPre41(uint8_t seq, const TColumn& column);
std::string Row(uint8_t seq, const std::vector<TValue>& values);

// A whole result set starting at sequence 1: header, definitions, EOF,
// rows, EOF.
std::string ResultSet(const std::vector<TColumn>& columns,
                      const std::vector<std::vector<TValue>>& rows, bool protocol41 = true);

struct TSentPacket {
  uint8_t Seq;
  std::string Payload;
};
// Splits the client's bytes into packets (a trailing partial packet is kept
// with the bytes it has).
std::vector<TSentPacket> SplitPackets(const std::string& bytes);

// The script of a 4.1 login: greeting, login read, OK; then the
// character-set statement read and answered with OK.
void ScriptLogin41(testsupport::TScript& script, const std::string& scramble20);

}  // namespace mysqltest
