#include "record/timestamp.h"

#include <cstdio>

namespace record {

std::string rfc3339_utc(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto second = floor<seconds>(time);
  const auto day = floor<days>(second);
  const year_month_day date{day};
  const hh_mm_ss clock{second - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

} // namespace record
