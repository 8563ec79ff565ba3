// Fuzzes the connection phase: the input is the server's packets up to and
// after the login (greeting, login reply, password-exchange replies, the
// answer to the character-set statement), separated by "~|~"; each gets the
// sequence number the client expects. The first byte chooses the login:
// bit 0 an empty password, bit 1 the utf8 character set, bit 2 no
// character-set statement.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/mysql_fuzz_reading.h"
#include "fuzz/mysql_memory_vio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool installed = (mysqlfuzz::Install(), true);
  (void)installed;
  if (size == 0) return 0;
  uint8_t choice = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  mysqlfuzz::PlayPayloads(mysqlfuzz::SplitPayloads(rest));
  TMyConnection connection;
  mysqlfuzz::PointAtMemory(connection);
  if (choice & 1) connection.SetPassword("");
  if (choice & 2) connection.Options().SetCharset("utf8");
  if (choice & 4) connection.Options().SetCharset("");
  mysqlfuzz::AllowingClientErrors([&] { connection.Connect(); });
  connection.Disconnect();
  return 0;
}
