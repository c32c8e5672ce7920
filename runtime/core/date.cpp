#include "runtime/core/date.h"

#include <chrono>
#include <cstring>
#include <limits>
#include <vector>

#include "runtime/core/runtime_state.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

constexpr std::int64_t kSecondsPerDay = 24 * 3600;
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2038;
constexpr std::size_t kReservationStep = 4096;
// The longest piece one mask step writes is the four-digit year; this keeps room for it and the
// zero byte.
constexpr std::size_t kStepRoom = 5;

struct DateFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

bool ImpossibleDay(int year, int month, int day) {
  const bool shortMonth = month == 4 || month == 6 || month == 9 || month == 11;
  if (day == 31 && shortMonth) return true;
  if (month == 2 && (day == 30 || day == 31)) return true;
  return month == 2 && day == 29 && !IsLeapYear(year);
}

bool OutOfRange(int year, int month, int day, int hour, int minute, int second) {
  return second < 0 || second > 59 || minute < 0 || minute > 59 || hour < 0 || hour > 23 || day < 1 ||
         day > 31 || month < 1 || month > 12 || year < 1;
}

DateFields SplitDate(DateValue value) {
  if (value < 0) return {};
  using namespace std::chrono;
  const std::int64_t dayCount = value / kSecondsPerDay;
  const std::int64_t secondOfDay = value % kSecondsPerDay;
  const year_month_day date{sys_days{days{dayCount}}};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(secondOfDay / 3600),
          static_cast<int>(secondOfDay / 60 % 60),
          static_cast<int>(secondOfDay % 60)};
}

std::size_t WriteTwoDigits(int field, char* out) {
  out[0] = static_cast<char>('0' + field / 10 % 10);
  out[1] = static_cast<char>('0' + field % 10);
  return 2;
}

enum class Piece { FullYear, ShortYear, TwoDigits };

struct Token {
  const char* letters;
  Piece piece;
  int DateFields::*field;
};

// Tried in this order: "yyyy" must come before "yy".
constexpr Token kTokens[] = {
    {"yyyy", Piece::FullYear, &DateFields::year},  {"yy", Piece::ShortYear, &DateFields::year},
    {"mm", Piece::TwoDigits, &DateFields::month},  {"dd", Piece::TwoDigits, &DateFields::day},
    {"hh", Piece::TwoDigits, &DateFields::hour},   {"ii", Piece::TwoDigits, &DateFields::minute},
    {"ss", Piece::TwoDigits, &DateFields::second},
};

// Years of the valid range have four digits; the year 0 of a negative value reads 0000 (or 00).
std::size_t RenderToken(const Token& token, DateValue value, char* out) {
  const int field = SplitDate(value).*token.field;
  switch (token.piece) {
    case Piece::FullYear:
      WriteTwoDigits(field / 100, out);
      return 2 + WriteTwoDigits(field % 100, out + 2);
    case Piece::ShortYear:
      return WriteTwoDigits(field % 100, out);
    case Piece::TwoDigits:
      break;
  }
  return WriteTwoDigits(field, out);
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `text` starts with the token's letters in either case; stops at the text's zero byte.
bool StartsWithToken(const char* text, const char* letters) {
  for (; *letters; ++text, ++letters) {
    if (AsciiLower(*text) != *letters) return false;
  }
  return true;
}

// Renders one token or one copied character from `cursor`, advancing it; returns the bytes written.
std::size_t RenderStep(const char*& cursor, DateValue value, char* out) {
  if (*cursor == '%') {
    for (const Token& token : kTokens) {
      if (StartsWithToken(cursor + 1, token.letters)) {
        cursor += 1 + std::strlen(token.letters);
        return RenderToken(token, value, out);
      }
    }
  }
  *out = *cursor++;
  return 1;
}

// The mask is read from a private copy: it may lie in the accumulator, which moves as the output
// grows. The copy's buffer is kept, so formatting every frame allocates nothing.
struct DateState : LibraryState {
  std::vector<char> mask;
};

const char* CopyOfMask(const char* mask) {
  std::vector<char>& copy = PartOf<DateState>(Runtime().dates).mask;
  copy.assign(mask, mask + std::strlen(mask) + 1);
  return copy.data();
}

}  // namespace

DateValue MakeDate(int year, int month, int day, int hour, int minute, int second) {
  if (ImpossibleDay(year, month, day)) return kInvalidDate;
  if (OutOfRange(year, month, day, hour, minute, second)) return kInvalidDate;
  if (year < kFirstYear || year > kLastYear) return kInvalidDate;
  using namespace std::chrono;
  const sys_days date{std::chrono::year{year} / static_cast<unsigned>(month) / static_cast<unsigned>(day)};
  const std::int64_t seconds =
      date.time_since_epoch().count() * kSecondsPerDay + hour * 3600 + minute * 60 + second;
  if (seconds > std::numeric_limits<DateValue>::max()) return kInvalidDate;
  return static_cast<DateValue>(seconds);
}

DateValue CurrentDate() {
  const platform::LocalDateTime now = platform::Clock().LocalTime();
  return MakeDate(now.year, now.month, now.day, now.hour, now.minute, now.second);
}

int DateYear(DateValue value) {
  return SplitDate(value).year;
}
int DateMonth(DateValue value) {
  return SplitDate(value).month;
}
int DateDay(DateValue value) {
  return SplitDate(value).day;
}
int DateHour(DateValue value) {
  return SplitDate(value).hour;
}
int DateMinute(DateValue value) {
  return SplitDate(value).minute;
}
int DateSecond(DateValue value) {
  return SplitDate(value).second;
}

void FormatDate(const char* mask, DateValue value, TextPosition position) {
  const char* cursor = CopyOfMask(mask ? mask : "");
  std::size_t reserved = kReservationStep;
  char* out = ReserveAccumulator(reserved, position);
  std::size_t written = 0;
  while (*cursor) {
    written += RenderStep(cursor, value, out + written);
    if (written > reserved - kStepRoom) {
      reserved += kReservationStep;
      out = ReserveAccumulator(reserved, position);
    }
  }
  out[written] = '\0';
  ReleaseAccumulator(reserved - written);
}

void FormatDate(const char* mask, DateValue value) {
  FormatDate(mask, value, AccumulatorTop());
}

}  // namespace rt
