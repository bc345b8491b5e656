#pragma once

#include "platform/machine.h"

#include <optional>
#include <string_view>

// How many processors this process may really use: those its affinity mask
// allows, limited by the CPU quota of its control groups (as a container's
// limit sets it), rounded up, since a quota of 1.5 processors still lets two
// copies run at once for part of the time.
namespace copies {

// The processors a cgroup v2 "cpu.max" file allows ("max 100000" for no
// limit, "150000 100000" for 1.5 processors); nothing when it sets no limit
// or cannot be read.
std::optional<double> quota_in_cpu_max(std::string_view cpu_max);

// The same from cgroup v1's "cpu.cfs_quota_us" and "cpu.cfs_period_us"; a
// quota of -1 sets no limit.
std::optional<double> quota_in_cfs(std::string_view quota_us, std::string_view period_us);

// At least 1.
unsigned usable_processors(const platform::ProcessorLimits &limits);

} // namespace copies
