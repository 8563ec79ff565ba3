// TIdHTTPRequest: the request header record of a session. Callers set its
// fields between requests and they stay in force for every later request;
// the session recomputes only Host, ContentLength and the wire header lines
// per request. Owned by its TIdHTTP and used on that session's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "http/authentication.h"
#include "http/header_list.h"
#include "platform/date_time.h"

enum TIdHTTPMethod { hmHead, hmGet, hmPost, hmOptions, hmTrace, hmPut, hmDelete, hmConnect };

class TIdHTTPRequest {
 public:
  TIdHTTPRequest();
  TIdHTTPRequest(const TIdHTTPRequest&) = delete;
  TIdHTTPRequest& operator=(const TIdHTTPRequest&) = delete;

  // Entity headers.
  std::string Connection;
  std::string ContentVersion;
  std::string ContentEncoding;
  std::string ContentLanguage;
  std::string ContentType = "text/html";
  int32_t ContentLength = -1;  // negative: no header
  std::string CacheControl;
  platform::TDateTime Date = 0;
  platform::TDateTime Expires = 0;
  std::string Pragma;
  TIdHeaderList CustomHeaders;
  // Request headers.
  std::string ProxyConnection;
  std::string Host;
  std::string Accept = "text/html, */*";
  std::string AcceptCharSet;
  std::string AcceptEncoding;
  std::string AcceptLanguage;
  std::string From;
  std::string Referer;
  std::string UserAgent = "Mozilla/5.0 (compatible; halvex-export HTTP client)";
  platform::TDateTime LastModified = 0;  // sent as "If-Modified-Since"
  uint32_t ContentRangeStart = 0;
  uint32_t ContentRangeEnd = 0;
  bool BasicAuthentication = false;
  std::string Username;
  std::string Password;

  // The exchange in progress, set by the session.
  TIdHTTPMethod Method = hmGet;
  std::string URL;

  // The credential record, made at the first request that needs it; null
  // before. Belongs to the request.
  const TIdBasicAuthentication* Authentication() const { return FAuthentication.get(); }
  TIdBasicAuthentication* Authentication() { return FAuthentication.get(); }

  // Empties and fills `wire` with the header lines in their fixed order,
  // creating the credential record when BasicAuthentication asks for one.
  // `cookie_line` is the session's cookie line for this request ("" for none).
  void BuildHeaders(TIdHeaderList& wire, const std::string& cookie_line);

 private:
  std::unique_ptr<TIdBasicAuthentication> FAuthentication;
};
