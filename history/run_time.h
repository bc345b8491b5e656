#pragma once

#include <optional>
#include <string>
#include <string_view>

// The times runs started at, as records give them ("2026-03-03T02:00:00Z").
namespace history {

// The day a run started, counted from 1970-01-01; none where the text does
// not begin with a date of the form 2026-03-03.
std::optional<long> day_number(std::string_view started_at);

// When a run started, in seconds from 1970-01-01 UTC; none where the text
// is not a time as records write it.
std::optional<double> seconds_of(std::string_view started_at);

// The date a run started, "2026-03-03", or the text as it is where it holds
// none.
std::string date_of(std::string_view started_at);

// The date so many days after day 0, "2026-03-03".
std::string date_text(long day);

// A bound of --since or --until: a date (2026-03-03) or a time in UTC
// (2026-03-03T02:00:00Z). For --until, the bound is moved just past what it
// names, so that a run on that day, or at that second, is within it. None
// for anything else.
std::optional<std::string> since_bound(std::string_view text);
std::optional<std::string> until_bound(std::string_view text);

} // namespace history
