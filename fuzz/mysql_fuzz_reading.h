// What every MySQL fuzz target does with a cursor: read every field of
// every row with every accessor. The client may only fail with its own
// exceptions (EMyError and the other database errors, EConvertError); any
// other exception escapes and libFuzzer reports it as a crash.
#pragma once

#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/my_query.h"

namespace mysqlfuzz {

// Runs `body`; the client's own exceptions end it quietly.
template <typename F>
void AllowingClientErrors(F&& body) {
  try {
    body();
  } catch (const EDatabaseError&) {
  } catch (const EConvertError&) {
  }
}

inline void ReadEveryField(TMyQuery& query) {
  for (; query.Active() && !query.AtEnd(); query.NextRow()) {
    for (int i = 0; i < query.Fields.Count(); ++i) {
      TField& field = query.Fields[i];
      field.IsNull();
      AllowingClientErrors([&] { field.AsString(); });
      AllowingClientErrors([&] { field.AsInteger(); });
      AllowingClientErrors([&] { field.AsDateTime(); });
    }
  }
}

// A connection as the reader sets it up, reaching any host: the transport
// is the in-memory one.
inline void PointAtMemory(TMyConnection& connection) {
  connection.SetServer("127.0.0.1");
  connection.SetPort(3306);
  connection.SetUsername("halvex");
  connection.SetPassword("secret");
  connection.SetDatabase("velmora");
  connection.Options().SetCharset("cp1251");
}

}  // namespace mysqlfuzz
