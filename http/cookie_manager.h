// TIdCookieManager: the session's cookie store. Cookies from "Set-cookie"
// (TIdCookieRFC2109) and "Set-cookie2" (TIdCookieRFC2965) lines are filed
// under their domain when the domain fits the request's host, and sent back
// in a "Cookie" line to requests whose host and directory path they match.
// Owned by its session; guarded by a readers-writer lock, so any thread may
// call it.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

class TIdCookieRFC2109 {
 public:
  virtual ~TIdCookieRFC2109() = default;

  std::string CookieName;
  std::string Value;
  std::string Path;
  std::string Domain;
  std::string Expires;  // the expiry as text, "" for a session cookie
  std::string MaxAge;
  std::string Version;
  std::string Comment;
  bool Secure = false;
  // The moment Expires names, when it could be read.
  std::optional<std::chrono::system_clock::time_point> ExpiryTime;

  // Reads "name=value; attribute; ..." (items trimmed, attribute names
  // without regard to letter case).
  void Parse(std::string_view text);
  bool Expired(std::chrono::system_clock::time_point now) const;

 protected:
  // Takes one attribute; false when the name is not one of this kind's.
  virtual bool ParseAttribute(const std::string& upper_name, const std::string& value);
};

class TIdCookieRFC2965 : public TIdCookieRFC2109 {
 public:
  bool Discard = false;

 protected:
  bool ParseAttribute(const std::string& upper_name, const std::string& value) override;
};

class TIdCookieManager {
 public:
  // Bounds against a server that floods the store: a cookie whose name and
  // value together are longer is discarded, and a domain that holds this
  // many cookies takes no new names (a cookie it holds is still replaced).
  static constexpr size_t kMaxCookieSize = 4096;
  static constexpr size_t kMaxCookiesPerDomain = 50;

  // Files the cookie of one "Set-cookie" (`rfc2965` false) or
  // "Set-cookie2" value received from `host`. Returns false when it was
  // discarded: its domain does not fit the host, or a bound above holds it
  // back.
  bool AddCookie(std::string_view value, const std::string& host, bool rfc2965);

  // Removes expired cookies, then returns the "Cookie" line for a request
  // to `host` with directory path `path` ("" when no cookie matches).
  std::string CookieLine(const std::string& host, const std::string& path);

  size_t Count() const;

 private:
  struct TDomain {
    std::string Name;
    std::vector<std::unique_ptr<TIdCookieRFC2109>> Cookies;
  };
  mutable std::shared_mutex FLock;
  std::vector<TDomain> FDomains;
};

// True when a cookie domain may be filed for a request to `host`.
bool CookieDomainFits(const std::string& domain, const std::string& host);
