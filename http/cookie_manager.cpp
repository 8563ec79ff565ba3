// The cookie store: parsing, filing by domain, the request's cookie line.
#include "http/cookie_manager.h"

#include <algorithm>
#include <mutex>

#include "http/internet_date.h"
#include "http/text_util.h"
#include "platform/tcp_endpoint.h"
#include "platform/text_case.h"

namespace {

using Clock = std::chrono::system_clock;

std::string Unquote(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

// The clock's moment of a date, held within the clock's range (about the
// years 1678 to 2261): a later date lasts to the clock's end, an earlier one
// is long past.
Clock::time_point ClockTime(std::time_t at) {
  constexpr std::time_t kLimit =
      std::chrono::duration_cast<std::chrono::seconds>(Clock::duration::max()).count();
  if (at >= kLimit) return Clock::time_point::max();
  if (at <= -kLimit) return Clock::time_point::min();
  return Clock::from_time_t(at);
}

}  // namespace

void TIdCookieRFC2109::Parse(std::string_view text) {
  bool first = true;
  while (true) {
    size_t semi = text.find(';');
    std::string_view item = http_text::TrimView(text.substr(0, semi));
    size_t eq = item.find('=');
    std::string name(item.substr(0, eq));
    std::string value =
        eq == std::string_view::npos ? std::string() : std::string(item.substr(eq + 1));
    if (first) {
      CookieName = name;
      Value = value;
      first = false;
    } else if (!item.empty()) {
      ParseAttribute(platform::UpperCase(name), value);
    }
    if (semi == std::string_view::npos) break;
    text.remove_prefix(semi + 1);
  }
  int32_t seconds = -1;
  if (Expires.empty() && http_text::TryDecimalToInt(MaxAge, seconds) && seconds >= 0) {
    Clock::time_point at = Clock::now() + std::chrono::seconds(seconds);
    ExpiryTime = at;
    Expires = FormatInternetDate(Clock::to_time_t(at));
  } else if (!Expires.empty()) {
    std::optional<std::time_t> at = ParseInternetDate(Expires);
    if (at) ExpiryTime = ClockTime(*at);
  }
}

bool TIdCookieRFC2109::ParseAttribute(const std::string& upper_name, const std::string& value) {
  if (upper_name == "PATH") {
    Path = Unquote(value);
  } else if (upper_name == "EXPIRES") {
    Expires = value;
  } else if (upper_name == "DOMAIN") {
    Domain = value;
  } else if (upper_name == "SECURE") {
    Secure = true;
  } else if (upper_name == "MAX-AGE") {
    MaxAge = value;
  } else if (upper_name == "VERSION") {
    Version = value;
  } else if (upper_name == "COMMENT") {
    Comment = value;
  } else {
    return false;
  }
  return true;
}

bool TIdCookieRFC2109::Expired(Clock::time_point now) const {
  return !Expires.empty() && ExpiryTime && *ExpiryTime < now;
}

bool TIdCookieRFC2965::ParseAttribute(const std::string& upper_name, const std::string& value) {
  if (upper_name == "DISCARD") {
    Discard = true;
    return true;
  }
  return TIdCookieRFC2109::ParseAttribute(upper_name, value);
}

bool CookieDomainFits(const std::string& domain, const std::string& host) {
  if (platform::IsDottedQuad(host) || domain.empty() || domain[0] != '.') return domain == host;
  size_t dot = host.find('.');
  return dot != std::string::npos && host.compare(dot, std::string::npos, domain) == 0;
}

bool TIdCookieManager::AddCookie(std::string_view value, const std::string& host, bool rfc2965) {
  std::unique_ptr<TIdCookieRFC2109> cookie;
  if (rfc2965) {
    cookie = std::make_unique<TIdCookieRFC2965>();
  } else {
    cookie = std::make_unique<TIdCookieRFC2109>();
  }
  cookie->Parse(value);
  if (cookie->CookieName.size() + cookie->Value.size() > kMaxCookieSize) return false;
  if (cookie->Domain.empty()) cookie->Domain = host;
  if (!CookieDomainFits(cookie->Domain, host)) return false;

  std::unique_lock lock(FLock);
  auto domain = std::find_if(FDomains.begin(), FDomains.end(),
                             [&](const TDomain& d) { return d.Name == cookie->Domain; });
  if (domain == FDomains.end()) {
    FDomains.push_back(TDomain{cookie->Domain, {}});
    domain = FDomains.end() - 1;
  }
  for (auto& kept : domain->Cookies) {
    if (platform::SameText(kept->CookieName, cookie->CookieName)) {
      kept = std::move(cookie);
      return true;
    }
  }
  if (domain->Cookies.size() >= kMaxCookiesPerDomain) return false;
  domain->Cookies.push_back(std::move(cookie));
  return true;
}

std::string TIdCookieManager::CookieLine(const std::string& host, const std::string& path) {
  Clock::time_point now = Clock::now();
  {
    std::unique_lock lock(FLock);
    for (TDomain& domain : FDomains) {
      std::erase_if(domain.Cookies, [now](const auto& c) { return c->Expired(now); });
    }
  }
  std::shared_lock lock(FLock);
  std::string lower_host = platform::LowerCase(host);
  std::vector<const TIdCookieRFC2109*> taken;
  for (const TDomain& domain : FDomains) {
    if (lower_host.find(platform::LowerCase(domain.Name)) == std::string::npos) continue;
    for (auto it = domain.Cookies.rbegin(); it != domain.Cookies.rend(); ++it) {
      const TIdCookieRFC2109& c = **it;
      if (c.Path.empty() || path.compare(0, c.Path.size(), c.Path) != 0) continue;
      if (c.Secure || c.Value.empty()) continue;
      taken.push_back(&c);
    }
  }
  std::stable_sort(taken.begin(), taken.end(), [](const auto* a, const auto* b) {
    return platform::UpperCase(a->Path) > platform::UpperCase(b->Path);
  });
  std::string line;
  for (const TIdCookieRFC2109* c : taken) {
    if (!line.empty()) line += "; ";
    line += c->CookieName + "=" + c->Value;
  }
  return line;
}

size_t TIdCookieManager::Count() const {
  std::shared_lock lock(FLock);
  size_t count = 0;
  for (const TDomain& domain : FDomains) count += domain.Cookies.size();
  return count;
}
