// The session: request preparation, the request cycle, status judgement,
// body reading and the connection's life.
#include "http/session.h"

#include "http/cookie_manager.h"
#include "http/exceptions.h"
#include "http/form_body.h"
#include "http/tcp_connection.h"
#include "platform/numbers.h"
#include "platform/scoped_restore.h"
#include "platform/text_case.h"

namespace {

// The wait for the body of an error response.
constexpr int kErrorBodyReadTimeout = 2000;

const char* MethodName(TIdHTTPMethod method) {
  switch (method) {
    case hmHead:
      return "HEAD";
    case hmGet:
      return "GET";
    case hmPost:
      return "POST";
    case hmOptions:
      return "OPTIONS";
    case hmTrace:
      return "TRACE";
    case hmPut:
      return "PUT";
    case hmDelete:
      return "DELETE";
    case hmConnect:
      return "CONNECT";
  }
  return "GET";
}

// A chunk size: hexadecimal digits before the first blank; anything else
// (an extension after ";" included) counts as 0. Very large sizes saturate.
size_t ChunkSize(std::string_view line) {
  line = line.substr(0, line.find(' '));
  if (line.empty()) return 0;
  size_t size = 0;
  for (char c : line) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return 0;
    }
    size = size > (SIZE_MAX >> 5) ? SIZE_MAX >> 1 : size * 16 + static_cast<size_t>(digit);
  }
  return size;
}

// Joins a relative directory path to a working one, resolving "." and "..".
std::string JoinPaths(const std::string& base, const std::string& relative) {
  std::vector<std::string> segments;
  std::string joined = base + relative;
  size_t i = 0;
  while (i < joined.size()) {
    size_t slash = joined.find('/', i);
    if (slash == std::string::npos) slash = joined.size();
    std::string segment = joined.substr(i, slash - i);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    i = slash + 1;
  }
  std::string path = "/";
  for (const std::string& s : segments) path += s + "/";
  return path;
}

}  // namespace

TIdHTTP::TIdHTTP() { FURI.Port = "80"; }

TIdHTTP::~TIdHTTP() { Disconnect(); }

bool TIdHTTP::Connected() { return FConnection && FConnection->Connected(); }

void TIdHTTP::ShareCookiesOf(TIdHTTP& other) {
  if (!other.FCookieManager) other.FCookieManager = std::make_shared<TIdCookieManager>();
  FCookieManager = other.FCookieManager;
}

void TIdHTTP::Disconnect() {
  if (FConnection) FConnection->Disconnect();
}

std::string TIdHTTP::HttpPost(const std::string& url, const TIdStrings& lines) {
  if (Request.ContentType.empty() || platform::SameText(Request.ContentType, "text/html")) {
    Request.ContentType = "application/x-www-form-urlencoded";
  }
  std::string body = ComposeListBody(lines, HTTPOptions.Contains(hoForceEncodeParams));
  return HttpPost(url, TIdStream(body));
}

std::string TIdHTTP::HttpPost(const std::string& url, std::initializer_list<std::string> lines) {
  return HttpPost(url, TIdStrings(lines));
}

std::string TIdHTTP::HttpPost(const std::string& url, const TIdStream& body) {
  if (Connected()) Disconnect();
  platform::TScopedRestore<TIdHTTPProtocolVersion> restore_version(ProtocolVersion);
  if (!HTTPOptions.Contains(hoKeepOrigProtocol)) ProtocolVersion = pv1_0;
  std::string sink;
  DoRequest(hmPost, url, body, sink);
  return sink;
}

void TIdHTTP::DoRequest(TIdHTTPMethod method, const std::string& url, const TIdStream& body,
                        std::string& sink) {
  Request.URL = url;
  Request.Method = method;
  FResponseRead = false;
  try {
    PrepareRequest(body);
    ConnectIfNeeded();
    WriteRequest(body);
    ReadStatusAndHeaders();
    for (int interim = 0; FResponse.ResponseCode() == 100; ++interim) {
      if (interim == kMaxInterimResponses) throw EIdException("Response header too large");
      ReadStatusAndHeaders();
    }
    JudgeResponse(sink);
  } catch (...) {
    FResponse.KeepAlive = FResponseRead && KeepAliveVerdict();
    if (!FResponse.KeepAlive) Disconnect();
    throw;
  }
  FResponse.KeepAlive = KeepAliveVerdict();
  if (!FResponse.KeepAlive) Disconnect();
}

void TIdHTTP::PrepareRequest(const TIdStream& body) {
  TIdURI uri = TIdURI::Parse(Request.URL);
  if (!uri.Username.empty()) {
    Request.Username = uri.Username;
    Request.Password = uri.Password;
  }
  FURI.Username = Request.Username;
  FURI.Password = Request.Password;
  if (!uri.Path.empty() && uri.Path[0] == '/') {
    FURI.Path = uri.Path;
  } else if (!uri.Path.empty()) {
    FURI.Path = JoinPaths(FURI.Path, uri.Path);
  }
  FURI.Document = uri.Document;
  FURI.Params = uri.Params;
  FURI.Bookmark = uri.Bookmark;
  bool names_host = !uri.Host.empty();
  if (names_host) FURI.Host = uri.Host;
  FURI.Protocol = uri.Protocol.empty() ? "http" : uri.Protocol;

  if (!uri.Port.empty()) {
    FURI.Port = uri.Port;
  } else {
    // A URL that names its own host and no port means the scheme's port; a
    // port kept from an earlier URL applies only to a URL without a host.
    int32_t working = 0;
    if (!platform::TryTextToInt(FURI.Port, working)) working = 0;
    if (names_host || working == 0 || working == 80 || working == 443) {
      if (platform::SameText(FURI.Protocol, "http")) {
        FURI.Port = "80";
      } else if (platform::SameText(FURI.Protocol, "https")) {
        FURI.Port = "443";
      } else {
        throw EIdUnknownProtocol();
      }
    }
  }

  FRequestTarget = FURI.Path + FURI.Document + FURI.Params;
  Request.ContentLength = static_cast<int32_t>(body.Size());
  Request.Host = FURI.Port == "80" ? FURI.Host : FURI.Host + ":" + FURI.Port;

  const int32_t port = platform::TextToInt(FURI.Port);
  if (!platform::SameText(FURI.Host, Host) || port != Port) {
    if (Connected()) Disconnect();
    Host = FURI.Host;
    Port = port;
  }
  if (SecureUrl() && !IOHandler) throw EIdIOHandlerPropInvalid();
  if (ProtocolVersion == pv1_0 && Request.Connection.empty()) Request.Connection = "keep-alive";
}

bool TIdHTTP::SecureUrl() const { return platform::SameText(FURI.Protocol, "https"); }

void TIdHTTP::ConnectIfNeeded() {
  if (FConnection && !KeepAliveVerdict()) Disconnect();
  if (Connected() && FConnection->Secure() != SecureUrl()) Disconnect();
  if (Connected()) FConnection->CheckForDisconnect(1);
  if (Connected()) return;
  if (!FConnection) FConnection = std::make_unique<TIdTCPConnection>();
  FConnection->RecvBufferSize = RecvBufferSize > 0 ? static_cast<size_t>(RecvBufferSize) : 1;
  FConnection->ReadTimeout = ReadTimeout;
  FConnection->Connect(Host, Port, ReadTimeout, SecureUrl() ? IOHandler.get() : nullptr);
}

void TIdHTTP::WriteRequest(const TIdStream& body) {
  Request.BuildHeaders(FWireHeaders, FCookieManager
                                         ? FCookieManager->CookieLine(FURI.Host, FURI.Path)
                                         : std::string());
  FRequestVersion = ProtocolVersion;
  std::string head;
  head.reserve(512);
  head.append(MethodName(Request.Method)).append(" ").append(FRequestTarget);
  head.append(ProtocolVersion == pv1_0 ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
  for (size_t i = 0; i < FWireHeaders.Count(); ++i) {
    if (!FWireHeaders[i].empty()) head.append(FWireHeaders[i]).append("\r\n");
  }
  head.append("\r\n");
  FConnection->ReadTimeout = ReadTimeout;
  FConnection->Write(head, body.Bytes(),
                     SendBufferSize > 0 ? static_cast<size_t>(SendBufferSize) : 1);
}

void TIdHTTP::ReadStatusAndHeaders() {
  size_t max_line = MaxLineLength > 0 ? static_cast<size_t>(MaxLineLength) : 0;
  FConnection->ReadTimeout = ReadTimeout;
  std::string status = FConnection->ReadLn(max_line);
  FResponse.Clear();
  FResponse.ResponseText = std::move(status);
  FResponseRead = true;
  size_t header_bytes = 0;
  for (;;) {
    std::string line;
    try {
      line = FConnection->ReadLn(max_line);
    } catch (const EIdConnClosedGracefully&) {
      if (FResponse.RawHeaders.Count() == 0) throw;
      Disconnect();
      break;
    }
    if (line.empty()) break;
    header_bytes += line.size();
    if (header_bytes > kMaxResponseHeader) throw EIdException("Response header too large");
    FResponse.RawHeaders.Add(std::move(line));
  }
  FResponse.ProcessHeaders();

  if (!FCookieManager && AllowCookies) FCookieManager = std::make_shared<TIdCookieManager>();
  if (FCookieManager && AllowCookies) {
    for (size_t i = 0; i < FResponse.RawHeaders.Count(); ++i) {
      std::string_view name = HeaderLineName(FResponse.RawHeaders[i]);
      bool rfc2109 = platform::SameText(name, "Set-cookie");
      if (rfc2109 || platform::SameText(name, "Set-cookie2")) {
        FCookieManager->AddCookie(FResponse.RawHeaders.ValueAt(i), FURI.Host, !rfc2109);
      }
    }
  }
}

void TIdHTTP::JudgeResponse(std::string& sink) {
  int32_t code = FResponse.ResponseCode();
  if ((code / 100 == 3 && code != 304) || !FResponse.Location.empty()) RaiseErrorResponse();
  // A 401 challenge is never answered: there is no authorization handler.
  if (code / 100 != 2) RaiseErrorResponse();
  if (!Connected()) throw EIdException("Undefined situation");
  if (code != 204) ReadResponseBody(sink);
}

void TIdHTTP::ReadResponseBody(std::string& sink) {
  size_t limit = sink.size() + kMaxResponseBody;
  const TIdHTTPResponse& r = FResponse;
  if (r.ContentLength > 0) {
    FConnection->ReadBytes(static_cast<size_t>(r.ContentLength), sink, limit, false);
  } else if (r.TransferEncoding.find("chunked") != std::string::npos) {
    size_t max_line = MaxLineLength > 0 ? static_cast<size_t>(MaxLineLength) : 0;
    for (size_t size; (size = ChunkSize(FConnection->ReadLn(max_line))) > 0;) {
      FConnection->ReadBytes(size, sink, limit, true);
      FConnection->ReadLn(max_line);
    }
    FConnection->ReadLn(max_line);
  } else if (!r.HasContentLength()) {
    FConnection->ReadToClose(sink, limit);
  }
}

void TIdHTTP::RaiseErrorResponse() {
  int32_t code = FResponse.ResponseCode();
  std::string body;
  // Interim, "no content" and "not modified" answers carry no body, whatever
  // their headers say; waiting for one would only end in a read timeout.
  if (code / 100 != 1 && code != 204 && code != 304) {
    FConnection->ReadTimeout = kErrorBodyReadTimeout;
    try {
      ReadResponseBody(body);
    } catch (...) {
      FConnection->ReadTimeout = ReadTimeout;
      throw;
    }
    FConnection->ReadTimeout = ReadTimeout;
  }
  throw EIdHTTPProtocolException(code, FResponse.ResponseText, std::move(body));
}

bool TIdHTTP::KeepAliveVerdict() {
  if (!Connected()) return false;
  auto says = [this](const char* word) {
    return platform::SameText(FResponse.Connection, word) ||
           platform::SameText(FResponse.ProxyConnection, word);
  };
  return FRequestVersion == pv1_0 ? says("KEEP-ALIVE") : !says("CLOSE");
}
