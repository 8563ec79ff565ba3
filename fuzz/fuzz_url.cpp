// Fuzzes URL parsing: whatever the text, the components must account for
// every byte after the authority (backslashes read as slashes), in order:
// directory path, document, query, and the fragment cut from the document
// or the query; the authority gives a host without ":" or "/".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/url.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// True when the parsed path, document, query and fragment put back together
// give `tail` (the fragment's "#" sits where it was cut).
bool RebuildsTail(const TIdURI& uri, const std::string& tail) {
  std::string head = uri.Path + uri.Document;
  if (head + uri.Params == tail) return uri.Bookmark.empty();
  return head + "#" + uri.Bookmark + uri.Params == tail ||
         head + uri.Params + "#" + uri.Bookmark == tail;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  TIdURI uri = TIdURI::Parse(text);
  for (char& c : text) {
    if (c == '\\') c = '/';
  }

  Require(uri.Document.find('/') == std::string::npos);
  Require(uri.Params.empty() || uri.Params[0] == '?' || uri.Params[0] == '=');
  Require(uri.Path.empty() || uri.Path.back() == '/');
  Require(uri.Username.empty() ? uri.Password.empty() : true);

  size_t scheme_end = text.find("://");
  if (scheme_end == std::string::npos) {
    Require(uri.Protocol.empty() && uri.Host.empty() && uri.Port.empty());
    Require(uri.Username.empty() && uri.Password.empty());
    Require(RebuildsTail(uri, text));
    return 0;
  }
  Require(uri.Protocol == text.substr(0, scheme_end));
  std::string rest = text.substr(scheme_end + 3);
  size_t slash = rest.find('/');
  std::string authority = rest.substr(0, slash);
  Require(uri.Host.find_first_of(":/") == std::string::npos);
  Require(authority.find(uri.Host) != std::string::npos);
  Require(uri.Host.size() + uri.Port.size() + uri.Username.size() + uri.Password.size() <=
          authority.size());
  Require(!uri.Path.empty() && uri.Path[0] == '/');
  // The slash after the authority is dropped and the path gets its own.
  std::string tail = slash == std::string::npos ? "/" : "/" + rest.substr(slash + 1);
  Require(RebuildsTail(uri, tail));
  return 0;
}
