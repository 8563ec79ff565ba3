// TIdURI: a URL text split into the components the session works with. The
// session keeps one as its working URL and merges each request's URL into
// it. A plain value type.
#pragma once

#include <string>
#include <string_view>

struct TIdURI {
  std::string Protocol;  // the scheme, "" when the text has no "://"
  std::string Host;
  std::string Port;      // as text, "" when the URL names none
  std::string Path;      // the directory path, ending in "/" when not empty
  std::string Document;  // the last path segment
  std::string Params;    // the query, from its "?" (or first "=") on
  std::string Bookmark;  // the fragment, without its "#"
  std::string Username;
  std::string Password;

  // Splits a URL text. Never raises; every text gives some components.
  static TIdURI Parse(std::string_view url);
};
