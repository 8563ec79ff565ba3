// TIdHTTP: the HTTP session. It speaks HTTP over TCP to one server at a
// time, over TLS for "https" URLs when it has a secure transport (IOHandler),
// and issues POST requests: the list form sends a list of text lines
// (form-encoded, see HttpPost), the stream form sends a body as it is. Every
// POST opens a new connection, goes out as HTTP/1.0 unless
// hoKeepOrigProtocol is set, and carries Basic authorization from the first
// request on when Request.BasicAuthentication is true.
//
// Settings and Request are public and may be changed between requests; they
// stay in force until changed. A session, its connection and its response
// record belong to one thread at a time; only the cookie store is locked.
// Every failure is raised as an EId exception (http/exceptions.h) or
// EConvertError (a port that is not a number); the session stays usable.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "http/request.h"
#include "http/response.h"
#include "http/stream.h"
#include "http/url.h"

class TIdTCPConnection;
class TIdCookieManager;
namespace platform {
class TTlsTrust;
}

enum TIdHTTPProtocolVersion { pv1_0, pv1_1 };

// hoInProcessAuth is accepted, no effect: a 401 challenge is never answered.
enum TIdHTTPOption { hoInProcessAuth, hoKeepOrigProtocol, hoForceEncodeParams };

// A set of TIdHTTPOption values.
class TIdHTTPOptions {
 public:
  TIdHTTPOptions() = default;
  TIdHTTPOptions(std::initializer_list<TIdHTTPOption> options) {
    for (TIdHTTPOption o : options) Include(o);
  }
  bool Contains(TIdHTTPOption o) const { return (FBits & Bit(o)) != 0; }
  void Include(TIdHTTPOption o) { FBits |= Bit(o); }
  void Exclude(TIdHTTPOption o) { FBits &= ~Bit(o); }
  bool operator==(const TIdHTTPOptions&) const = default;

 private:
  static unsigned Bit(TIdHTTPOption o) { return 1u << static_cast<unsigned>(o); }
  unsigned FBits = 0;
};

// The text lines of the list form of HttpPost.
using TIdStrings = std::vector<std::string>;

class TIdHTTP {
 public:
  // The bounded read wait: a server that accepts and never answers ends in
  // EIdReadTimeout after this long instead of holding the caller forever.
  static constexpr int32_t kDefaultReadTimeout = 60000;
  // The largest response body accepted, however it is framed; more raises
  // EIdException "Response body too large".
  static constexpr size_t kMaxResponseBody = 64u << 20;
  // The largest header block accepted; more raises EIdException
  // "Response header too large".
  static constexpr size_t kMaxResponseHeader = 64u << 20;
  // The most interim "100" answers skipped before the final response; more
  // raise EIdException "Response header too large" too.
  static constexpr int kMaxInterimResponses = 64;

  TIdHTTP();
  ~TIdHTTP();  // closes an open connection
  TIdHTTP(const TIdHTTP&) = delete;
  TIdHTTP& operator=(const TIdHTTP&) = delete;

  // Settings.
  std::string Host;  // server of the current connection, taken from each URL
  int32_t Port = 80;
  TIdHTTPProtocolVersion ProtocolVersion = pv1_1;
  TIdHTTPOptions HTTPOptions{hoForceEncodeParams};
  // Accepted, no effect: a redirect is never followed but raised as an
  // error response, and a 401 challenge is never answered.
  bool HandleRedirects = false;
  int32_t RedirectMaximum = 15;
  int32_t AuthRetries = 3;
  bool AllowCookies = true;
  // Milliseconds, 0 or less: no limit. Bounds every wait for response bytes
  // (EIdReadTimeout), the connect (EIdConnectTimeout) and every send (socket
  // error 10060); the body of an error response is waited for 2000 ms at most.
  int32_t ReadTimeout = kDefaultReadTimeout;
  int32_t MaxLineLength = 16384;
  int32_t SendBufferSize = 32768;
  int32_t RecvBufferSize = 32768;
  // The secure transport: the certificates "https" URLs are checked
  // against. Without one an "https" URL raises EIdIOHandlerPropInvalid
  // before anything is sent. Shared, so that a run loads its trust store once.
  std::shared_ptr<platform::TTlsTrust> IOHandler;

  TIdHTTPRequest Request;

  // List form. When Request.ContentType is empty or "text/html" (any letter
  // case) it becomes "application/x-www-form-urlencoded". With
  // hoForceEncodeParams (the default) each line "name=value" with a
  // non-empty value is sent as name "=" form encoding of the value (letters
  // and digits kept, blank as "+", every other byte as "%XX"); lines end in
  // CR LF, and with two or more lines every CR LF becomes "&"; bytes 0x00 to
  // 0x20 are trimmed from both ends. Returns the response body, byte for byte.
  std::string HttpPost(const std::string& url, const TIdStrings& lines);
  // The same, for a list written in place: HttpPost(url, {document}).
  std::string HttpPost(const std::string& url, std::initializer_list<std::string> lines);
  // Stream form: the whole of `body` is sent as it is.
  std::string HttpPost(const std::string& url, const TIdStream& body);

  // The status line of the last response read ("" before the first one).
  const std::string& StatusLine() const { return FResponse.ResponseText; }
  int32_t ResponseCode() const { return FResponse.ResponseCode(); }
  const TIdHTTPResponse& Response() const { return FResponse; }

  // True while a connection is open (a close by the server, once noticed,
  // makes it false).
  bool Connected();
  void Disconnect();

  // The cookie store; null until the first response with AllowCookies.
  TIdCookieManager* CookieManager() { return FCookieManager.get(); }
  // Makes this session keep and send its cookies in `other`'s store, which
  // is created first when `other` has none yet. Both sessions then hold the
  // store; each may be used on a thread of its own (the store is locked).
  void ShareCookiesOf(TIdHTTP& other);

 private:
  void DoRequest(TIdHTTPMethod method, const std::string& url, const TIdStream& body,
                 std::string& sink);
  void PrepareRequest(const TIdStream& body);
  // The current URL's scheme is "https".
  bool SecureUrl() const;
  void ConnectIfNeeded();
  void WriteRequest(const TIdStream& body);
  void ReadStatusAndHeaders();
  void JudgeResponse(std::string& sink);
  void ReadResponseBody(std::string& sink);
  [[noreturn]] void RaiseErrorResponse();
  bool KeepAliveVerdict();

  TIdURI FURI;
  std::string FRequestTarget;
  TIdHeaderList FWireHeaders{TIdHeaderList::kRequestFoldLength};
  TIdHTTPResponse FResponse;
  std::unique_ptr<TIdTCPConnection> FConnection;
  std::shared_ptr<TIdCookieManager> FCookieManager;
  TIdHTTPProtocolVersion FRequestVersion = pv1_0;  // the version the last request went out as
  bool FResponseRead = false;                      // a status line arrived in this cycle
};
