#include "history/run_time.h"

#include "record/timestamp.h"

#include <cctype>
#include <chrono>
#include <cstdio>

namespace history {
namespace {

using namespace std::chrono;

bool digits(std::string_view text, std::size_t from, std::size_t count) {
  if (text.size() < from + count) {
    return false;
  }
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
  }
  return true;
}

int number(std::string_view text, std::size_t from, std::size_t count) {
  int value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::optional<sys_days> date_in(std::string_view text) {
  if (!digits(text, 0, 4) || text.size() < 10 || text[4] != '-' || !digits(text, 5, 2) || text[7] != '-' ||
      !digits(text, 8, 2)) {
    return std::nullopt;
  }
  const year_month_day date{year{number(text, 0, 4)}, month{static_cast<unsigned>(number(text, 5, 2))},
                            day{static_cast<unsigned>(number(text, 8, 2))}};
  if (!date.ok()) {
    return std::nullopt;
  }
  return sys_days{date};
}

// "2026-03-03T02:00:00Z" exactly, as records write it.
std::optional<sys_seconds> time_in(std::string_view text) {
  const auto date = date_in(text);
  if (!date || text.size() != 20 || text[10] != 'T' || !digits(text, 11, 2) || text[13] != ':' ||
      !digits(text, 14, 2) || text[16] != ':' || !digits(text, 17, 2) || text[19] != 'Z') {
    return std::nullopt;
  }
  const int hour = number(text, 11, 2);
  const int minute = number(text, 14, 2);
  const int second = number(text, 17, 2);
  if (hour > 23 || minute > 59 || second > 60) {
    return std::nullopt;
  }
  return sys_seconds{*date} + hours(hour) + minutes(minute) + seconds(second);
}

} // namespace

std::optional<long> day_number(std::string_view started_at) {
  const auto date = date_in(started_at);
  if (!date) {
    return std::nullopt;
  }
  return static_cast<long>(date->time_since_epoch().count());
}

std::optional<double> seconds_of(std::string_view started_at) {
  const auto time = time_in(started_at);
  if (!time) {
    return std::nullopt;
  }
  return static_cast<double>(time->time_since_epoch().count());
}

std::string date_of(std::string_view started_at) {
  return date_in(started_at) ? std::string(started_at.substr(0, 10)) : std::string(started_at);
}

std::string date_text(long day) {
  const year_month_day date{sys_days{days{day}}};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()));
  return text;
}

std::optional<std::string> since_bound(std::string_view text) {
  if (text.size() == 10 && date_in(text)) {
    return std::string(text);
  }
  if (time_in(text)) {
    return std::string(text);
  }
  return std::nullopt;
}

std::optional<std::string> until_bound(std::string_view text) {
  std::optional<std::string> bound;
  if (text.size() == 10) {
    if (const auto date = date_in(text)) {
      bound = date_text(static_cast<long>((*date + days(1)).time_since_epoch().count()));
    }
  } else if (const auto time = time_in(text)) {
    bound = record::rfc3339_utc(*time + seconds(1));
  }
  // Just past the last second of 9999 is a year of five digits, which as
  // text sorts before every other: the end of time sorts after all.
  if (bound && bound->size() > 4 && std::isdigit(static_cast<unsigned char>((*bound)[4])) != 0) {
    bound = std::string(1, '~');
  }
  return bound;
}

} // namespace history
