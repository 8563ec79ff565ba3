// The response record: status code and header fields from the raw lines.
#include "http/response.h"

#include <ctime>

#include "http/internet_date.h"
#include "http/text_util.h"

int32_t TIdHTTPResponse::ResponseCode() const {
  size_t first = ResponseText.find(' ');
  if (first == std::string::npos) return -1;
  size_t second = ResponseText.find(' ', first + 1);
  std::string_view word = std::string_view(ResponseText).substr(first + 1, second - first - 1);
  int32_t code = -1;
  return http_text::TryDecimalToInt(word, code) ? code : -1;
}

void TIdHTTPResponse::ProcessHeaders() {
  Connection = RawHeaders.Values("Connection");
  ProxyConnection = RawHeaders.Values("Proxy-Connection");
  Location = RawHeaders.Values("Location");
  Server = RawHeaders.Values("Server");
  ContentType = RawHeaders.Values("Content-Type");
  ContentEncoding = RawHeaders.Values("Content-Encoding");
  ContentLanguage = RawHeaders.Values("Content-Language");
  ContentVersion = RawHeaders.Values("Content-Version");
  Pragma = RawHeaders.Values("Pragma");
  TransferEncoding = RawHeaders.Values("Transfer-Encoding");

  ContentLength = -1;
  int32_t length = -1;
  if (http_text::TryDecimalToInt(RawHeaders.Values("Content-Length"), length)) {
    ContentLength = length;
  }

  Date = InternetDateToLocal(RawHeaders.Values("Date"));
  LastModified = InternetDateToLocal(RawHeaders.Values("Last-Modified"));
  std::string expires = RawHeaders.Values("Expires");
  int32_t seconds = 0;
  Expires = http_text::TryDecimalToInt(expires, seconds) ? UtcToLocal(std::time(nullptr) + seconds)
                                                         : InternetDateToLocal(expires);

  WWWAuthenticate.Clear();
  ProxyAuthenticate.Clear();
  for (size_t i = 0; i < RawHeaders.Count(); ++i) {
    std::string_view name = HeaderLineName(RawHeaders[i]);
    if (http_text::SameText(name, "WWW-Authenticate")) {
      WWWAuthenticate.Add(RawHeaders.ValueAt(i));
    } else if (http_text::SameText(name, "Proxy-Authenticate")) {
      ProxyAuthenticate.Add(RawHeaders.ValueAt(i));
    }
  }
}

void TIdHTTPResponse::Clear() {
  ResponseText.clear();
  RawHeaders.Clear();
  ProcessHeaders();
  KeepAlive = false;
}
