// TIdHTTPResponse: the record of the last response a session read: its
// status line, its raw header lines and the header fields taken from them.
// Owned by its TIdHTTP, reused for every response, read on that session's
// thread.
#pragma once

#include <cstdint>
#include <string>

#include "http/header_list.h"
#include "platform/date_time.h"

class TIdHTTPResponse {
 public:
  // The status line as read, without its line end ("" before the first response).
  std::string ResponseText;
  // Every line of the header block as received, in order.
  TIdHeaderList RawHeaders;

  std::string Connection;
  std::string ProxyConnection;
  std::string Location;
  std::string Server;
  std::string ContentType;
  std::string ContentEncoding;
  std::string ContentLanguage;
  std::string ContentVersion;
  std::string Pragma;
  std::string TransferEncoding;
  int32_t ContentLength = -1;  // -1: absent or not a number
  platform::TDateTime Date = 0;
  platform::TDateTime LastModified = 0;
  platform::TDateTime Expires = 0;
  TIdHeaderList WWWAuthenticate;
  TIdHeaderList ProxyAuthenticate;
  // Set by the session at the end of every request cycle.
  bool KeepAlive = false;

  // The second blank-separated word of the status line as a decimal
  // number; -1 when it is not one.
  int32_t ResponseCode() const;
  bool HasContentLength() const { return ContentLength >= 0; }

  // Fills the header fields from RawHeaders (first occurrence of each name).
  void ProcessHeaders();
  // Forgets the status line, the header lines and the fields.
  void Clear();
};
