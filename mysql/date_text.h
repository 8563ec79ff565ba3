// The regional date and time texts of the fields: short date "dd.mm.yyyy"
// and long time "h:nn:ss" (the time separator from the regional settings).
// Pure functions, callable from any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/date_time.h"

std::string ShortDateText(platform::TDateTime value);
std::string LongTimeText(platform::TDateTime value);

// Reads "dd.mm.yyyy", "dd.mm.yyyy h:nn[:ss]" or "h:nn[:ss]" (leading and
// trailing blanks allowed). Returns false for any other text.
bool TryTextToDateTime(std::string_view text, platform::TDateTime& value);
