// The Basic credential record.
#include "http/authentication.h"

#include "http/base64.h"

TIdBasicAuthentication::TIdBasicAuthentication(const std::string& username,
                                               const std::string& password) {
  FParams.SetValue("Username", username);
  FParams.SetValue("Password", password);
  FAuthentication = "Basic " + EncodeBase64(Username() + ":" + Password());
}
