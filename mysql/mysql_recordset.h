// TMySQLRecordset: turns a wanted result into the cursor's fields and fills
// the row cache with every row, converting each value as its row arrives.
// Owns the row cache and the current-row view the fields read through.
// The engine holds one row at a time; the cache holds them all.
//
// Owned by its TMyQuery; one thread. Open raises EMyError for a server or
// protocol failure among the rows, EDatabaseError for an unsupported column
// type or TIMESTAMP length, EConvertError for a value that is not a number;
// in every case the rows already read are dropped and the session is left
// ready for the next statement.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mysql/field_list.h"
#include "mysql/my_query.h"
#include "mysql/result_set.h"
#include "mysql/row_cache.h"

class TMySQLConnection;

class TMySQLRecordset {
 public:
  TMySQLRecordset() = default;
  TMySQLRecordset(const TMySQLRecordset&) = delete;
  TMySQLRecordset& operator=(const TMySQLRecordset&) = delete;

  // Reads every row of `result` (ended and freed here) into the cache and
  // fills `fields`, one per column. Any further result of the statement is
  // read and dropped.
  void Open(TMySQLConnection& connection, std::unique_ptr<TMySqlResultSet> result,
            const TMyQueryOptions& options, bool optimized_bigint, TFieldList& fields);
  void Close();

  size_t RowCount() const { return FCache.Count(); }
  // Points the fields at row `index`.
  void MoveTo(size_t index) { FView.Row = FCache.Row(index); }
  const TRowCache& Cache() const { return FCache; }

 private:
  struct TColumn {
    TInternalType Type;
    uint8_t MySqlType;
    int32_t Length;
    std::string Name;
    // A text is kept only up to its first zero byte, where every reading
    // ends anyway; not for texts whose trailing blanks are trimmed first.
    bool CutAtZero = false;
  };

  // The three steps of Open.
  std::vector<TFieldDef> DescribeColumns(const TMySqlResultSet& result,
                                         const TMyQueryOptions& options, bool optimized_bigint);
  void ReadRows(TMySQLConnection& connection, TMySqlResultSet& result);
  void EndResult(TMySQLConnection& connection, std::unique_ptr<TMySqlResultSet> result);
  void Convert(const TMySqlBinds& row, TRowBuilder& builder);

  std::vector<TColumn> FColumns;
  bool FNullForZeroDate = true;
  TRowCache FCache;
  TRecordView FView;
};
