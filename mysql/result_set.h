// The engine's view of a result: the value positions of the current row
// (TMySqlBinds) and the streamed result itself (TMySqlResultSet), which
// asks its session for one row packet at a time.
//
// A result set is created by mysql_use_result and freed by
// mysql_free_result; if its session closes first, the session detaches it
// and it reads nothing more. FetchRow raises EMySqlException; the engine
// turns that into the session's last error. One thread, the session's.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "mysql/field_info.h"

class TMySqlSession;

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
  // The next row, or null at the end (and ever after a failure or once
  // detached). The row's bytes stay valid until the next call. Raises
  // EMySqlException for an error packet, a lost connection or a row that
  // does not decode; nothing more is read after that.
  const TMySqlBinds* FetchRow();
  // The session the rows come from; null once detached.
  TMySqlSession* Session() const { return FSession; }
  // Called by the session when it closes first.
  void Detach() { FSession = nullptr; }

 private:
  void DecodeRow(std::string_view packet);

  TMySqlSession* FSession;
  std::vector<TMySqlFieldInfo> FFields;
  TMySqlBinds FBinds;
  bool FEnd = false;
};
