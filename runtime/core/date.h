// Dates: signed 32-bit seconds since 1970-01-01 00:00:00 on the local wall clock, with no time zone
// or daylight-saving shift anywhere, so values can be added to and subtracted from each other. The
// valid range is 0 (1970-01-01 00:00:00) to 2147483647 (2038-01-19 03:14:07); a negative value has
// no calendar and reads as 0 in every field.
#pragma once

#include <cstdint>

#include "runtime/core/text.h"

namespace rt {

using DateValue = std::int32_t;

inline constexpr DateValue kInvalidDate = -1;

// The date value of a calendar date and time, or kInvalidDate for an impossible one or one outside
// the valid range.
DateValue MakeDate(int year, int month, int day, int hour, int minute, int second);
// The local date and time of the system clock, whole seconds.
DateValue CurrentDate();

int DateYear(DateValue value);
int DateMonth(DateValue value);
int DateDay(DateValue value);
int DateHour(DateValue value);
int DateMinute(DateValue value);
int DateSecond(DateValue value);

// Renders the value through the mask into the accumulator at `position`, as a producer of text.h.
// Tokens, tried in this order and matched in either case: %yyyy year, %yy its last two digits, %mm
// month, %dd day, %hh hour, %ii minute, %ss second (all but %yyyy two digits, zero-padded). Any
// other character, a per cent sign starting no token included, is copied. A null mask gives the
// empty text.
void FormatDate(const char* mask, DateValue value, TextPosition position);
void FormatDate(const char* mask, DateValue value);  // at the top

}  // namespace rt
