// TMyQuery: running a statement and walking the rows of its result.
#include "mysql/my_query.h"

#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/mysql_command.h"
#include "mysql/mysql_connection.h"
#include "mysql/mysql_recordset.h"

TMyQuery::TMyQuery() : SQL([this] { Close(); }), FRecordset(std::make_unique<TMySQLRecordset>()) {}

TMyQuery::~TMyQuery() { Close(); }

void TMyQuery::SetConnection(TMyConnection* connection) {
  if (connection != FConnection) Close();
  FConnection = connection;
}

void TMyQuery::Execute() { Run(false); }

void TMyQuery::Open() { Run(true); }

void TMyQuery::Run(bool result_required) {
  if (!FConnection) throw EDatabaseError("Connection is not defined");
  Close();
  if (!FConnection->Connected()) FConnection->Connect();

  TMySQLConnection& connection = FConnection->Internal();
  TMySQLCommand command(connection);
  std::unique_ptr<TMySqlResultSet> result = command.Execute(FinalText(), FCommandTimeout);
  FRowsAffected = command.RowsAffected();
  if (!result) {
    if (result_required) {
      throw EDatabaseError("Query must return exactly result set - use Execute");
    }
    return;
  }
  FRecordset->Open(connection, std::move(result), Options, FConnection->Options().OptimizedBigInt(),
                   Fields);
  FActive = true;
  FRecNo = 0;
  FAtEnd = FRecordset->RowCount() == 0;
  if (!FAtEnd) FRecordset->MoveTo(0);
}

void TMyQuery::Close() {
  Fields.Clear();
  if (FRecordset) FRecordset->Close();
  FActive = false;
  FAtEnd = true;
  FRecNo = 0;
}

void TMyQuery::NextRow() {
  if (!FActive) throw EDatabaseError("Cannot perform this operation on a closed dataset");
  if (FRecNo + 1 < FRecordset->RowCount()) {
    FRecordset->MoveTo(++FRecNo);
  } else {
    FAtEnd = true;
  }
}

int64_t TMyQuery::RecordCount() const {
  return FActive ? static_cast<int64_t>(FRecordset->RowCount()) : 0;
}

size_t TMyQuery::CacheBytes() const { return FActive ? FRecordset->Cache().BytesHeld() : 0; }

std::string TMyQuery::FinalText() const {
  std::string text;
  for (int i = 0; i < SQL.Count(); ++i) {
    if (i > 0) text += "\r\n";
    text += SQL[i];
  }
  while (!text.empty() && static_cast<unsigned char>(text.back()) < 33) text.pop_back();
  return text;
}
