// TMyQuery (first cut: statement text and cursor state; execution follows).
#include "mysql/my_query.h"

#include "mysql/db_errors.h"
#include "mysql/my_connection.h"

class TMySQLRecordset {};

TMyQuery::TMyQuery() : SQL([this] { Close(); }) {}
TMyQuery::~TMyQuery() = default;

void TMyQuery::SetConnection(TMyConnection* connection) {
  Close();
  FConnection = connection;
}

void TMyQuery::Execute() { Run(false); }
void TMyQuery::Open() { Run(true); }

void TMyQuery::Run(bool) {
  if (!FConnection) throw EDatabaseError("Connection is not defined");
  Close();
  FConnection->Connect();
}

void TMyQuery::Close() {
  Fields.Clear();
  FActive = false;
  FAtEnd = true;
  FRecNo = 0;
}

void TMyQuery::NextRow() {}
int64_t TMyQuery::RecordCount() const { return 0; }
size_t TMyQuery::CacheBytes() const { return 0; }

std::string TMyQuery::FinalText() const {
  std::string text;
  for (int i = 0; i < SQL.Count(); ++i) {
    if (i > 0) text += "\r\n";
    text += SQL[i];
  }
  while (!text.empty() && static_cast<unsigned char>(text.back()) < 33) text.pop_back();
  return text;
}
