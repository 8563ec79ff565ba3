// URL text split into scheme, authority, directory path, document, query
// and fragment.
#include "http/url.h"

#include <algorithm>

namespace {

// Splits `text` at the first `sep`: the part before goes to `left`, the rest
// (without the separator) to `right`; without `sep` all of it goes left.
void SplitAt(std::string_view text, char sep, std::string& left, std::string& right) {
  size_t at = text.find(sep);
  left = text.substr(0, at);
  right = at == std::string_view::npos ? std::string() : std::string(text.substr(at + 1));
}

}  // namespace

TIdURI TIdURI::Parse(std::string_view url) {
  TIdURI uri;
  std::string text(url);
  std::replace(text.begin(), text.end(), '\\', '/');

  std::string_view remainder = text;
  size_t scheme_end = text.find("://");
  bool absolute = scheme_end != std::string::npos;
  if (absolute) {
    uri.Protocol = text.substr(0, scheme_end);
    std::string_view rest = std::string_view(text).substr(scheme_end + 3);
    size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    remainder = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    size_t at = authority.find('@');
    if (at != std::string_view::npos) {
      SplitAt(authority.substr(0, at), ':', uri.Username, uri.Password);
      if (uri.Username.empty()) uri.Password.clear();
      authority.remove_prefix(at + 1);
    }
    SplitAt(authority, ':', uri.Host, uri.Port);
  }

  size_t split = remainder.find('?');
  if (split == std::string_view::npos) split = remainder.find('=');
  std::string_view before_split = remainder.substr(0, split);
  size_t last_slash = before_split.rfind('/');
  size_t doc_begin = last_slash == std::string_view::npos ? 0 : last_slash + 1;
  uri.Path = absolute ? "/" : "";
  uri.Path.append(remainder.substr(0, doc_begin));
  uri.Document = before_split.substr(doc_begin);
  if (split != std::string_view::npos) uri.Params = remainder.substr(split);

  size_t hash = uri.Document.find('#');
  if (hash != std::string::npos) {
    uri.Bookmark = uri.Document.substr(hash + 1);
    uri.Document.resize(hash);
  } else if ((hash = uri.Params.find('#')) != std::string::npos) {
    uri.Bookmark = uri.Params.substr(hash + 1);
    uri.Params.resize(hash);
  }
  return uri;
}
