// TIdBasicAuthentication: the credential record of HTTP Basic authorization.
// Made once from a user name and password and kept by the request for the
// life of the session; its value does not follow later changes of the
// request's Username or Password. Its lines are never folded, so a long
// password with blanks or commas is sent as given (only its ends trimmed).
// One thread at a time.
#pragma once

#include <string>

#include "http/header_list.h"

class TIdBasicAuthentication {
 public:
  TIdBasicAuthentication(const std::string& username, const std::string& password);

  // The user name and password as read back from the record's own list
  // (blanks and control characters trimmed from both ends).
  std::string Username() const { return FParams.Values("Username"); }
  std::string Password() const { return FParams.Values("Password"); }

  // "Basic " + Base64 of user name, ":" and password, as bytes.
  const std::string& Authentication() const { return FAuthentication; }

 private:
  TIdHeaderList FParams{TIdHeaderList::kNoFolding};
  std::string FAuthentication;  // made once: the record never changes
};
