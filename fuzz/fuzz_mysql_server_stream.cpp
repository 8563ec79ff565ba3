// Fuzzes what a MySQL server can send: the input is played as the server's
// whole byte stream, packet headers included (greeting, login reply, the
// answer to the character-set statement, then the answer to one query),
// through the in-memory transport, and the client connects, runs the query
// and reads every field of every row. Framing faults (lengths, sequence
// numbers, packets cut short, long packets joined) are reached here; the
// other MySQL targets frame their packets themselves.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/mysql_fuzz_reading.h"
#include "fuzz/mysql_memory_vio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool installed = (mysqlfuzz::Install(), true);
  (void)installed;
  mysqlfuzz::PlayRaw(std::string(reinterpret_cast<const char*>(data), size));
  TMyConnection connection;
  mysqlfuzz::PointAtMemory(connection);
  connection.SetPassword("p");
  TMyQuery query;
  query.SetConnection(&connection);
  query.SQL.SetText("SELECT 1");
  mysqlfuzz::AllowingClientErrors([&] { query.Execute(); });
  mysqlfuzz::ReadEveryField(query);
  return 0;
}
