// The readings of each field class.
#include "mysql/fields.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "mysql/date_text.h"
#include "mysql/db_errors.h"
#include "platform/numbers.h"

namespace {

// Text of a 64-bit float in general form with 15 significant digits and an
// exponent written as "E" followed by its plain number.
std::string FloatText(double value) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", value);
  std::string text = buf;
  size_t e = text.find('E');
  if (e == std::string::npos) return text;
  std::string mantissa = text.substr(0, e);
  std::string exponent = text.substr(e + 1);
  bool negative = !exponent.empty() && exponent[0] == '-';
  size_t digits = exponent.find_first_not_of("+-0");
  return mantissa + "E" + (negative ? "-" : "") +
         (digits == std::string::npos ? "0" : exponent.substr(digits));
}

}  // namespace

bool TField::IsNull() const {
  return FRecord.Row == nullptr || FRecord.Cache->IsNull(FRecord.Row, FDef.Column);
}

void TField::AccessError(const char* type_name) const {
  throw EDatabaseError("Cannot access field '" + FDef.Name + "' as type " + type_name);
}

int32_t TField::AsInteger() const { AccessError("Integer"); }

std::string TField::AsString() const { return std::string(); }

platform::TDateTime TField::AsDateTime() const { AccessError("DateTime"); }

// Text fields.

std::string TStringField::AsString() const {
  if (IsNull()) return std::string();
  std::string_view text = Bytes();
  if (!Def().FixedChar && !Def().TrimVarChar) return std::string(text);  // cut at zero when read in
  size_t keep = text.find_last_not_of(std::string_view(" \0", 2));
  text = keep == std::string_view::npos ? std::string_view() : text.substr(0, keep + 1);
  size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  return std::string(text);
}

int32_t TStringField::AsInteger() const { return platform::TextToInt(AsString()); }

platform::TDateTime TStringField::AsDateTime() const {
  std::string text = AsString();
  platform::TDateTime value = 0;
  if (!TryTextToDateTime(text, value)) {
    throw EConvertError("'" + text + "' is not a valid date and time");
  }
  return value;
}

std::string TMemoField::AsString() const { return IsNull() ? std::string() : std::string(Bytes()); }

std::string TBlobField::AsString() const { return IsNull() ? std::string() : std::string(Bytes()); }

// Numbers.

int32_t TIntegerField::Value() const {
  switch (DataType()) {
    case TFieldType::ftSmallint:
      return Fixed<int16_t>();
    case TFieldType::ftWord:
      return Fixed<uint16_t>();
    default:
      return Fixed<int32_t>();
  }
}

int32_t TIntegerField::AsInteger() const { return IsNull() ? 0 : Value(); }

std::string TIntegerField::AsString() const {
  return IsNull() ? std::string() : platform::IntToStr(Value());
}

int32_t TLargeintField::AsInteger() const {
  return IsNull() ? 0 : static_cast<int32_t>(static_cast<uint32_t>(Fixed<int64_t>()));
}

std::string TLargeintField::AsString() const {
  return IsNull() ? std::string() : platform::IntToStr(Fixed<int64_t>());
}

int32_t TFloatField::AsInteger() const {
  if (IsNull()) return 0;
  double rounded = std::nearbyint(Fixed<double>());  // halves to even
  int64_t whole = 0;
  if (rounded >= 9.2e18) {
    whole = INT64_MAX;
  } else if (rounded <= -9.2e18) {
    whole = INT64_MIN;
  } else if (!std::isnan(rounded)) {
    whole = static_cast<int64_t>(rounded);
  }
  return static_cast<int32_t>(static_cast<uint32_t>(whole));
}

std::string TFloatField::AsString() const {
  return IsNull() ? std::string() : FloatText(Fixed<double>());
}

std::string TBooleanField::AsString() const {
  if (IsNull()) return std::string();
  return Fixed<int16_t>() != 0 ? "True" : "False";
}

// Dates and times.

platform::TDateTime TDateTimeField::AsDateTime() const { return IsNull() ? 0.0 : Fixed<double>(); }

std::string TDateTimeField::AsString() const {
  if (IsNull()) return std::string();
  double value = Fixed<double>();
  platform::TDateTimeParts parts = platform::DecodeDateTime(value);
  std::string text = ShortDateText(value);
  if (parts.Hour != 0 || parts.Minute != 0 || parts.Second != 0) {
    text += " " + LongTimeText(value);
  }
  return text;
}

std::string TDateField::AsString() const {
  return IsNull() ? std::string() : ShortDateText(Fixed<double>());
}

std::string TTimeField::AsString() const {
  return IsNull() ? std::string() : LongTimeText(Fixed<double>());
}
