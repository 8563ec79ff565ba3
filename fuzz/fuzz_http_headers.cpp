// Fuzzes what a server or a caller can put into the HTTP client's texts: a
// header value set and read back (folded or not), URL parsing, the header
// fields of a response and the cookies it sets.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/cookie_manager.h"
#include "http/form_body.h"
#include "http/header_list.h"
#include "http/response.h"
#include "http/url.h"

namespace {

// The bytes above 32: folding and trimming may move or drop only the others.
std::string Visible(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 32) out += c;
  }
  return out;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find(':');
  std::string_view name = input.substr(0, split == std::string_view::npos ? 0 : split);
  std::string_view value = split == std::string_view::npos ? input : input.substr(split + 1);

  TIdHeaderList plain(TIdHeaderList::kNoFolding);
  plain.SetValue(name, value);
  if (plain.Values(name) != Trimmed(value)) std::abort();
  TIdHeaderList folded;
  folded.SetValue(name, value);
  for (size_t i = 1; i < folded.Count(); ++i) {
    if (folded[i].empty() || folded[i][0] != ' ') std::abort();
  }
  if (Visible(folded.Values(name)) != Visible(Trimmed(value))) std::abort();

  TIdURI::Parse(input);
  for (char c : FormEncode(input)) {
    bool allowed = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                   c == '+' || c == '%';
    if (!allowed) std::abort();
  }

  TIdHTTPResponse response;
  TIdCookieManager cookies;
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    std::string line(input.substr(start, end - start));
    if (start == 0) {
      response.ResponseText = line;
    } else {
      response.RawHeaders.Add(line);
      cookies.AddCookie(line, "api.example.com", (start & 1) != 0);
    }
    start = end + 1;
  }
  response.ProcessHeaders();
  response.ResponseCode();
  cookies.CookieLine("api.example.com", "/restapi/");
  return 0;
}
