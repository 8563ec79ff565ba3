// Conversion of the text protocol's values into the row cache's internal
// forms: integers, floats, dates, times and date-times. Pure functions,
// callable from any thread.
#pragma once

#include <cstdint>
#include <string_view>

// An optional "-", then every byte taken as a decimal digit (byte - 48)
// without validation, in 32-bit (`wide` false) or 64-bit arithmetic.
int64_t TextToInteger(std::string_view text, bool wide);

// A big-endian binary number (BIT columns), low 64 bits.
int64_t BitsToInteger(std::string_view bytes);

// Optional sign, digits, optional "." fraction, optional exponent; false
// for any other text. Independent of the locale's decimal separator.
bool TryTextToFloat(std::string_view text, double& value);

// Date and time values by position; false when the digits do not form a
// valid date or time (the value is then stored as NULL).
bool TextToDate(std::string_view text, double& value);
bool TextToDateTime(std::string_view text, double& value);
// TIMESTAMP by its column length (19, 14, 12, 10, 8, 6, 4 or 2).
bool TextToTimestamp(std::string_view text, int32_t length, double& value);
// True for the TIMESTAMP column lengths TextToTimestamp reads.
bool IsTimestampLength(int32_t length);

enum class TTimeParse { Ok, Invalid, WrongFormat };
// TIME: hours before the first ":" (within the first five characters),
// minutes and seconds after it; a leading "-" makes the whole value negative.
TTimeParse TextToTime(std::string_view text, double& value);
