// What a column definition says about one result column: the description
// the engine hands out (TMySqlFieldInfo, also known by its C API name
// TMYSQL_FIELD), and the names of the protocol's type codes and column flags
// it carries. Plain values; no thread rules.
#pragma once

#include <cstdint>
#include <string>

// Type codes of a column definition.
constexpr uint8_t FIELD_TYPE_DECIMAL = 0;
constexpr uint8_t FIELD_TYPE_TINY = 1;
constexpr uint8_t FIELD_TYPE_SHORT = 2;
constexpr uint8_t FIELD_TYPE_LONG = 3;
constexpr uint8_t FIELD_TYPE_FLOAT = 4;
constexpr uint8_t FIELD_TYPE_DOUBLE = 5;
constexpr uint8_t FIELD_TYPE_NULL = 6;
constexpr uint8_t FIELD_TYPE_TIMESTAMP = 7;
constexpr uint8_t FIELD_TYPE_LONGLONG = 8;
constexpr uint8_t FIELD_TYPE_INT24 = 9;
constexpr uint8_t FIELD_TYPE_DATE = 10;
constexpr uint8_t FIELD_TYPE_TIME = 11;
constexpr uint8_t FIELD_TYPE_DATETIME = 12;
constexpr uint8_t FIELD_TYPE_YEAR = 13;
constexpr uint8_t FIELD_TYPE_NEWDATE = 14;
constexpr uint8_t FIELD_TYPE_VARCHAR = 15;
constexpr uint8_t FIELD_TYPE_BIT = 16;
// Codes 17 to 245 are not known to this client.
constexpr uint8_t FIELD_TYPE_NEWDECIMAL = 246;
constexpr uint8_t FIELD_TYPE_ENUM = 247;
constexpr uint8_t FIELD_TYPE_SET = 248;
constexpr uint8_t FIELD_TYPE_TINY_BLOB = 249;
constexpr uint8_t FIELD_TYPE_MEDIUM_BLOB = 250;
constexpr uint8_t FIELD_TYPE_LONG_BLOB = 251;
constexpr uint8_t FIELD_TYPE_BLOB = 252;
constexpr uint8_t FIELD_TYPE_VAR_STRING = 253;
constexpr uint8_t FIELD_TYPE_STRING = 254;  // CHAR
constexpr uint8_t FIELD_TYPE_GEOMETRY = 255;

// Column flags.
constexpr uint16_t NOT_NULL_FLAG = 1;
constexpr uint16_t BLOB_FLAG = 16;
constexpr uint16_t UNSIGNED_FLAG = 32;
constexpr uint16_t BINARY_FLAG = 128;
constexpr uint16_t NUM_FLAG = 32768;  // added by the client for numeric types

struct TMySqlFieldInfo {
  std::string Name;          // column label
  std::string OrgName;       // column name in its table (4.1 protocol)
  std::string Table;         // table alias
  std::string OrgTable;      // table name (the alias before 4.1)
  std::string Database;      // schema (4.1 protocol)
  std::string DefaultValue;  // always empty
  int32_t Length = 0;        // display length in bytes
  int16_t Decimals = 0;
  int32_t MaxLength = 0;  // always 0
  uint16_t Flags = 0;     // as sent, plus NUM_FLAG for numeric types
  int16_t CharsetNr = 0;  // 4.1 protocol
  uint8_t Type = 0;       // FIELD_TYPE_*
};
using TMYSQL_FIELD = TMySqlFieldInfo;
