// TApiClient: SetupHttp and CallApi, the run's JSON calls to the target.
#include "export/api_client.h"

#include "http/session.h"
#include "platform/text_codec.h"

TApiClient::TApiClient(std::string base_url, std::string user, std::string password, TReport report)
    : FBaseUrl(std::move(base_url)),
      FUser(std::move(user)),
      FPassword(std::move(password)),
      FReport(std::move(report)) {}

TApiClient::~TApiClient() = default;

void TApiClient::SetupHttp(std::optional<int32_t> read_timeout_ms,
                           std::shared_ptr<platform::TTlsTrust> trust) {
  FReadTimeout = read_timeout_ms;
  FTrust = trust;
  FHttp = std::make_unique<TIdHTTP>();
  FHttp->IOHandler = std::move(trust);
  // A JSON text with "=" in it must reach the target as it was reported,
  // not form-encoded from its first "=" on.
  FHttp->HTTPOptions.Exclude(hoForceEncodeParams);
  if (read_timeout_ms) FHttp->ReadTimeout = *read_timeout_ms;
  TIdHTTPRequest& request = FHttp->Request;
  request.UserAgent = "JAX-RS Marivon-client";
  request.ContentType = "application/json";
  request.Connection = "keep-alive";
  request.Accept = "*/*";
  request.AcceptLanguage = "ru-ru,ru;q=0.8,en-us;q=0.6,en;q=0.4";
  request.BasicAuthentication = true;
  request.Username = FUser;
  request.Password = FPassword;
}

std::unique_ptr<TApiClient> TApiClient::Twin(TReport report) {
  auto twin = std::make_unique<TApiClient>(FBaseUrl, FUser, FPassword, std::move(report));
  twin->SetupHttp(FReadTimeout, FTrust);
  twin->FHttp->ShareCookiesOf(*FHttp);
  return twin;
}

std::string TApiClient::CallApi(const std::string& path, const std::string& document) {
  const TIdStrings lines{platform::Cp1251ToUtf8(document)};
  Report("URI: " + path + "       PARAMS: " + document);
  const std::string raw = FHttp->HttpPost(FBaseUrl + path, lines);
  std::string response = platform::Utf8ToCp1251(raw);
  Report("RESPONSE TEXT: " + FHttp->StatusLine());
  Report(" ");
  Report(response);
  Report(" ");
  return response;
}
