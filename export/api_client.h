// TApiClient: the run's client of the target platform's REST interface. It
// owns the run's HTTP session, posts JSON documents to paths under the base
// URL and tells every exchange through the run's report-line operation.
// Texts are Windows-1251 on this side and UTF-8 on the wire.
// Belongs to one run; each client is used by one thread at a time: the
// run's own on the run's thread, its twins (Twin) each on the thread of the
// object slot that holds it. Twins share nothing with it but the cookie store.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TIdHTTP;
namespace platform {
class TTlsTrust;
}

class TApiClient {
 public:
  using TReport = std::function<void(const std::string&)>;

  // `base_url` ends in "/"; `report` is the run's ReportLine.
  TApiClient(std::string base_url, std::string user, std::string password, TReport report);
  ~TApiClient();
  TApiClient(const TApiClient&) = delete;
  TApiClient& operator=(const TApiClient&) = delete;

  // Creates the session with the JSON request headers and Basic
  // authentication. `read_timeout_ms` replaces the session's read limit
  // when given (0 waits without limit). The JSON documents go out exactly as
  // reported: list bodies are not form-encoded. `trust` becomes the
  // session's secure transport for "https" base URLs (none: such URLs fail).
  void SetupHttp(std::optional<int32_t> read_timeout_ms = std::nullopt,
                 std::shared_ptr<platform::TTlsTrust> trust = nullptr);

  // A client of the same platform and account whose session of its own is
  // set up as this one's was (SetupHttp with the same arguments, kept for
  // this) and keeps its cookies in this session's store; its report lines
  // go to `report`.
  // Owned by the caller. Called after SetupHttp, on the thread that uses
  // this client.
  std::unique_ptr<TApiClient> Twin(TReport report);

  // Posts `document` to base URL + `path` and returns the response body in
  // Windows-1251 (empty when it is not well-formed UTF-8). Reports the
  // request before sending and the status line and body after. Errors of
  // the session (an error status, a failed connection) are raised unchanged
  // after the request's "URI: " line.
  std::string CallApi(const std::string& path, const std::string& document);

  void Report(const std::string& line) const { FReport(line); }
  TIdHTTP& Http() { return *FHttp; }
  const std::string& BaseUrl() const { return FBaseUrl; }

 private:
  std::string FBaseUrl;
  std::string FUser;
  std::string FPassword;
  TReport FReport;
  std::optional<int32_t> FReadTimeout;          // as given to SetupHttp, for Twin
  std::shared_ptr<platform::TTlsTrust> FTrust;  // likewise: the twins check https as the run does
  std::unique_ptr<TIdHTTP> FHttp;
};
