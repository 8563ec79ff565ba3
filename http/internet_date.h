// Internet date texts ("Sun, 06 Nov 1994 08:49:37 GMT") as headers and
// cookies carry them: writing from the local date-time, and reading the
// common forms (RFC 1123, RFC 850, asctime, the cookie form with dashes).
// Pure functions apart from the local time zone; any thread.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"

// The moment as "Wdy, DD Mon YYYY HH:MM:SS GMT".
std::string FormatInternetDate(std::time_t utc);
// A local date-time value written as an internet date.
std::string LocalToInternetDate(platform::TDateTime local);

// The moment a date text names, or nothing when it cannot be read. Zone
// offsets are not applied: the texts the client meets are all GMT.
std::optional<std::time_t> ParseInternetDate(std::string_view text);
// The local date-time of a date text; 0 when it cannot be read.
platform::TDateTime InternetDateToLocal(std::string_view text);
// The local date-time of a moment.
platform::TDateTime UtcToLocal(std::time_t utc);
