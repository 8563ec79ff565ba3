// GeocoderCode, and the read limit's default tied to the HTTP session's.
#include "export/operator_settings.h"

#include "http/session.h"

static_assert(kDefaultReadTimeoutMs == TIdHTTP::kDefaultReadTimeout,
              "a run without a read limit of its own keeps the session's default");

std::string GeocoderCode(const std::string& name) {
  return name == kGeocoderNames[1] ? "GGL" : "YDX";
}
