// Fuzzes the answers to queries: after a well-formed login, the input is
// the server's packets (OK, error, local-file request, result header,
// column definitions, end-of-data, rows), separated by "~|~"; each gets the
// sequence number the client expects. Statements run one after another
// while packets are left, and every field of every row is read with every
// accessor. Bit 0 of the first byte makes the server a pre-4.1 one, whose
// OK and column-definition packets are laid out differently.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/mysql_fuzz_reading.h"
#include "fuzz/mysql_memory_vio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool installed = (mysqlfuzz::Install(), true);
  (void)installed;
  if (size == 0) return 0;
  bool protocol41 = (data[0] & 1) == 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string> payloads = {mysqlfuzz::GreetingPayload(protocol41),
                                       mysqlfuzz::OkPayload()};
  if (protocol41) payloads.push_back(mysqlfuzz::OkPayload());  // SET NAMES
  for (std::string& p : mysqlfuzz::SplitPayloads(rest)) payloads.push_back(std::move(p));
  mysqlfuzz::PlayPayloads(std::move(payloads));

  TMyConnection connection;
  mysqlfuzz::PointAtMemory(connection);
  mysqlfuzz::AllowingClientErrors([&] { connection.Connect(); });
  TMyQuery query;
  query.SetConnection(&connection);
  query.SQL.SetText("SELECT * FROM obj");
  for (int statement = 0; statement < 4 && connection.Connected() && mysqlfuzz::Unread();
       ++statement) {
    mysqlfuzz::AllowingClientErrors([&] { query.Execute(); });
    mysqlfuzz::ReadEveryField(query);
  }
  return 0;
}
