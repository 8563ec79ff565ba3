// The request header record as the export run fills it, for the tests and
// the benchmark of the session.
#pragma once

#include <string>

#include "http/session.h"

inline void SetUpLikeTheRun(TIdHTTP& http, const std::string& user = "operator",
                            const std::string& password = "s3cret") {
  http.Request.UserAgent = "JAX-RS Marivon-client";
  http.Request.ContentType = "application/json";
  http.Request.Connection = "keep-alive";
  http.Request.Accept = "*/*";
  http.Request.AcceptLanguage = "ru-ru,ru;q=0.8,en-us;q=0.6,en;q=0.4";
  http.Request.BasicAuthentication = true;
  http.Request.Username = user;
  http.Request.Password = password;
}
