// The engine's view of a result: the column descriptions (TMySqlFieldInfo,
// also known by its C API name TMYSQL_FIELD), the value positions of the
// current row (TMySqlBinds) and the streamed result itself
// (TMySqlResultSet), which reads one row packet at a time from its session.
//
// A result set is created by mysql_use_result and freed by
// mysql_free_result; if its session closes first, it is detached and reads
// nothing more. One thread, the session's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TMySqlSession;

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
  uint8_t Type = 0;       // protocol type code
};
using TMYSQL_FIELD = TMySqlFieldInfo;

constexpr uint16_t NOT_NULL_FLAG = 1;
constexpr uint16_t BLOB_FLAG = 16;
constexpr uint16_t UNSIGNED_FLAG = 32;
constexpr uint16_t BINARY_FLAG = 128;
constexpr uint16_t NUM_FLAG = 32768;

// Whole packets kept in memory (the column definitions of a response).
using TRows = std::vector<std::string>;

// Where each value of the current row lies in the row's bytes.
struct TMySqlBinds {
  struct TEntry {
    uint32_t Offset = 0;
    uint32_t Length = 0;
    bool IsNull = true;
  };
  const char* RowBytes = nullptr;
  std::vector<TEntry> Entries;

  bool IsNull(int column) const { return Entries[column].IsNull; }
  std::string_view Value(int column) const {
    return std::string_view(RowBytes + Entries[column].Offset, Entries[column].Length);
  }
};

class TMySqlResultSet {
 public:
  TMySqlResultSet(TMySqlSession& session, std::vector<TMySqlFieldInfo> fields);
  ~TMySqlResultSet();
  TMySqlResultSet(const TMySqlResultSet&) = delete;
  TMySqlResultSet& operator=(const TMySqlResultSet&) = delete;

  int FieldCount() const { return static_cast<int>(FFields.size()); }
  const TMySqlFieldInfo& Field(int index) const { return FFields[index]; }
  // The next row, or null at the end or on error (the session's last
  // error tells which). The row's bytes stay valid until the next call.
  const TMySqlBinds* FetchRow();
  // Reads and drops the rows not yet fetched; errors are ignored.
  void SkipRest();
  int64_t RowCount() const { return FRowCount; }
  bool AtEnd() const { return FEnd; }

 private:
  friend class TMySqlSession;
  void DecodeRow(std::string_view packet);

  TMySqlSession* FSession;
  std::vector<TMySqlFieldInfo> FFields;
  TMySqlBinds FBinds;
  int64_t FRowCount = 0;
  bool FEnd = false;
};
