// The request record's header lines in their fixed order.
#include "http/request.h"

#include "http/internet_date.h"
#include "platform/numbers.h"

TIdHTTPRequest::TIdHTTPRequest() = default;

void TIdHTTPRequest::BuildHeaders(TIdHeaderList& wire, const std::string& cookie_line) {
  wire.Clear();
  auto text = [&wire](const char* name, const std::string& value) {
    if (!value.empty()) wire.SetValue(name, value);
  };
  auto date = [&wire](const char* name, platform::TDateTime value) {
    if (value > 0) wire.SetValue(name, LocalToInternetDate(value));
  };
  text("Connection", Connection);
  text("Content-Version", ContentVersion);
  text("Content-Encoding", ContentEncoding);
  text("Content-Language", ContentLanguage);
  text("Content-Type", ContentType);
  if (ContentLength >= 0) wire.SetValue("Content-Length", platform::IntToStr(ContentLength));
  text("Cache-control", CacheControl);
  date("Date", Date);
  date("Expires", Expires);
  text("Pragma", Pragma);
  wire.AddLines(CustomHeaders);
  text("Proxy-Connection", ProxyConnection);
  text("Host", Host);
  text("Accept", Accept);
  text("Accept-Charset", AcceptCharSet);
  text("Accept-Encoding", AcceptEncoding);
  text("Accept-Language", AcceptLanguage);
  text("From", From);
  text("Referer", Referer);
  text("User-Agent", UserAgent);
  date("If-Modified-Since", LastModified);
  if (ContentRangeEnd != 0) {
    wire.SetValue("Range", "bytes=" + platform::IntToStr(ContentRangeStart) + "-" +
                               platform::IntToStr(ContentRangeEnd));
  } else if (ContentRangeStart != 0) {
    wire.SetValue("Range", "bytes=" + platform::IntToStr(ContentRangeStart) + "-");
  }
  if (!FAuthentication && BasicAuthentication) {
    FAuthentication = std::make_unique<TIdBasicAuthentication>(Username, Password);
  }
  if (FAuthentication) text("Authorization", FAuthentication->Authentication());
  text("Cookie", cookie_line);
}
