#pragma once

#include <chrono>
#include <string>

namespace record {

// The time in UTC as RFC 3339 gives it, to the second: "2026-12-08T17:00:45Z".
std::string rfc3339_utc(std::chrono::system_clock::time_point time);

} // namespace record
