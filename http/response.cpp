// The response record: status code and header fields from the raw lines.
#include "http/response.h"

#include <ctime>
#include <iterator>

#include "http/internet_date.h"
#include "http/text_util.h"
#include "platform/text_case.h"

int32_t TIdHTTPResponse::ResponseCode() const {
  size_t first = ResponseText.find(' ');
  if (first == std::string::npos) return -1;
  size_t second = ResponseText.find(' ', first + 1);
  std::string_view word = std::string_view(ResponseText).substr(first + 1, second - first - 1);
  int32_t code = -1;
  return http_text::TryDecimalToInt(word, code) ? code : -1;
}

namespace {

struct TTextField {
  const char* Name;
  std::string TIdHTTPResponse::*Field;
};

const TTextField kTextFields[] = {
    {"Connection", &TIdHTTPResponse::Connection},
    {"Proxy-Connection", &TIdHTTPResponse::ProxyConnection},
    {"Location", &TIdHTTPResponse::Location},
    {"Server", &TIdHTTPResponse::Server},
    {"Content-Type", &TIdHTTPResponse::ContentType},
    {"Content-Encoding", &TIdHTTPResponse::ContentEncoding},
    {"Content-Language", &TIdHTTPResponse::ContentLanguage},
    {"Content-Version", &TIdHTTPResponse::ContentVersion},
    {"Pragma", &TIdHTTPResponse::Pragma},
    {"Transfer-Encoding", &TIdHTTPResponse::TransferEncoding},
};

// The date fields, read from the first line of each name.
enum TDateField { kDate, kLastModified, kExpires, kContentLength, kOtherFields };
const char* const kOtherNames[] = {"Date", "Last-Modified", "Expires", "Content-Length"};

}  // namespace

void TIdHTTPResponse::ProcessHeaders() {
  for (const TTextField& f : kTextFields) (this->*f.Field).clear();
  ContentLength = -1;
  Date = LastModified = Expires = 0;
  WWWAuthenticate.Clear();
  ProxyAuthenticate.Clear();

  // One pass over the lines; each field takes the first line of its name.
  bool text_seen[std::size(kTextFields)] = {};
  bool other_seen[kOtherFields] = {};
  for (size_t i = 0; i < RawHeaders.Count(); ++i) {
    const std::string& line = RawHeaders[i];
    if (line.empty() || line[0] == ' ' || line[0] == '\t') continue;  // continuation
    std::string_view name = HeaderLineName(line);
    if (platform::SameText(name, "WWW-Authenticate")) {
      WWWAuthenticate.Add(RawHeaders.ValueAt(i));
      continue;
    }
    if (platform::SameText(name, "Proxy-Authenticate")) {
      ProxyAuthenticate.Add(RawHeaders.ValueAt(i));
      continue;
    }
    for (size_t k = 0; k < std::size(kTextFields); ++k) {
      if (!text_seen[k] && platform::SameText(name, kTextFields[k].Name)) {
        text_seen[k] = true;
        this->*kTextFields[k].Field = RawHeaders.ValueAt(i);
      }
    }
    for (int k = 0; k < kOtherFields; ++k) {
      if (other_seen[k] || !platform::SameText(name, kOtherNames[k])) continue;
      other_seen[k] = true;
      std::string value = RawHeaders.ValueAt(i);
      int32_t number = -1;
      switch (k) {
        case kDate:
          Date = InternetDateToLocal(value);
          break;
        case kLastModified:
          LastModified = InternetDateToLocal(value);
          break;
        case kExpires:
          // A whole number n means n seconds from now.
          Expires = http_text::TryDecimalToInt(value, number)
                        ? UtcToLocal(std::time(nullptr) + number)
                        : InternetDateToLocal(value);
          break;
        case kContentLength:
          if (http_text::TryDecimalToInt(value, number)) ContentLength = number;
          break;
      }
    }
  }
}

void TIdHTTPResponse::Clear() {
  ResponseText.clear();
  RawHeaders.Clear();
  ProcessHeaders();
  KeepAlive = false;
}
