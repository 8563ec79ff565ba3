// TMyQuery: a cursor that runs one statement at a time on a TMyConnection
// and holds the statement's whole result in memory. Execute reads every row
// before it returns; NextRow and the field accessors never touch the network.
//
// The connection is borrowed, not owned, and must outlive the cursor's use.
// One thread at a time. Failures of the server or the protocol raise
// EMyError; misuse raises EDatabaseError; a failed Execute leaves the
// cursor closed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mysql/field_list.h"
#include "mysql/sql_lines.h"

class TMyConnection;
class TMySQLRecordset;

struct TMyQueryOptions {
  bool NullForZeroDate = true;  // an impossible date or time is stored as NULL
  bool EnableBoolean = true;    // TINYINT of display length 1 is a boolean
  bool BinaryAsString = true;   // binary CHAR/VARCHAR are text fields
  bool LongStrings = true;      // off: text columns over 256 bytes are memo fields
  bool FieldsAsString = false;  // every column but a memo or blob as a text field
  bool TrimFixedChar = true;    // CHAR values lose their trailing blanks
  bool TrimVarChar = false;     // VARCHAR values keep them
};

class TMyQuery {
 public:
  TMyQuery();
  ~TMyQuery();
  TMyQuery(const TMyQuery&) = delete;
  TMyQuery& operator=(const TMyQuery&) = delete;

  TMyConnection* Connection() const { return FConnection; }
  void SetConnection(TMyConnection* connection);

  // The statement; every change closes an open cursor and drops its rows.
  TSqlLines SQL;
  // The fields of the open cursor, one per result column (empty when closed).
  TFieldList Fields;
  TMyQueryOptions Options;

  // Accepted, no effect: every row is read while the cursor opens, as
  // FetchAll on says, and one at a time whatever FetchRows says.
  bool FetchAll() const { return FFetchAll; }
  void SetFetchAll(bool value) { FFetchAll = value; }
  int32_t FetchRows() const { return FFetchRows; }
  void SetFetchRows(int32_t value) { FFetchRows = value; }
  // Accepted, no effect: the statement is sent as written, without a scan
  // for ":name" parameters.
  bool ParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool value) { FParamCheck = value; }
  // Seconds a statement may wait for the server; 0 means a year.
  int32_t CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(int32_t value) { FCommandTimeout = value; }

  // Runs the statement (connecting first when needed); a statement that
  // returns rows opens the cursor on its first row with every row read.
  // A statement without a result set leaves the cursor closed.
  void Execute();
  // Like Execute, but a statement without a result set raises
  // EDatabaseError "Query must return exactly result set - use Execute".
  void Open();
  // Closes the cursor and drops its rows and fields.
  void Close();
  bool Active() const { return FActive; }

  // True when the open result had no rows or NextRow moved past the last row.
  bool AtEnd() const { return FAtEnd; }
  // Moves to the following row; past the last one AtEnd becomes true and
  // the current row stays the last.
  void NextRow();
  // Rows held by the open cursor (0 when closed).
  int64_t RecordCount() const;
  // Bytes held by the open cursor's row cache.
  size_t CacheBytes() const;
  // Rows affected by the last statement that reported them.
  int64_t RowsAffected() const { return FRowsAffected; }

 private:
  void Run(bool result_required);
  // The statement as sent: the lines joined with CR LF, trailing characters
  // below 33 removed.
  std::string FinalText() const;

  TMyConnection* FConnection = nullptr;
  bool FFetchAll = true;
  int32_t FFetchRows = 25;
  bool FParamCheck = true;
  int32_t FCommandTimeout = 0;
  bool FActive = false;
  bool FAtEnd = true;
  size_t FRecNo = 0;
  int64_t FRowsAffected = -1;
  std::unique_ptr<TMySQLRecordset> FRecordset;
};
