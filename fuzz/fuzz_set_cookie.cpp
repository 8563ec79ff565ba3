// Fuzzes the cookie store with the values of "Set-cookie" lines (one per
// input line, every other one as "Set-cookie2"): a cookie's name and value
// never hold a ";", the store never holds more than it accepted nor more
// than its bounds, and every pair of the cookie line sent back is the
// name=value of an accepted cookie.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "http/cookie_manager.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string host = "api.example.com";
  TIdCookieManager store;
  std::set<std::string> accepted;
  size_t kept = 0;
  bool rfc2965 = false;
  for (size_t start = 0; start <= input.size(); rfc2965 = !rfc2965) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    std::string_view value = input.substr(start, end - start);
    start = end + 1;

    TIdCookieRFC2109 parsed;
    parsed.Parse(value);
    Require(parsed.CookieName.find_first_of(";=") == std::string::npos);
    Require(parsed.Value.find(';') == std::string::npos);
    if (store.AddCookie(value, host, rfc2965)) {
      ++kept;
      accepted.insert(parsed.CookieName + "=" + parsed.Value);
      Require(parsed.CookieName.size() + parsed.Value.size() <= TIdCookieManager::kMaxCookieSize);
    }
  }
  // Two domains fit the host: itself and ".example.com".
  Require(store.Count() <= kept && store.Count() <= 2 * TIdCookieManager::kMaxCookiesPerDomain);

  std::string line = store.CookieLine(host, "/restapi/objects/");
  size_t pairs = 0;
  for (size_t start = 0; !line.empty() && start <= line.size(); ++pairs) {
    size_t end = line.find("; ", start);
    if (end == std::string::npos) end = line.size();
    Require(accepted.count(line.substr(start, end - start)) == 1);
    start = end + 2;
  }
  Require(pairs <= store.Count());
  return 0;
}
