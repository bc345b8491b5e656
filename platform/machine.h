#pragma once

#include <string>
#include <vector>

// What the machine and its system say of themselves, for the account of a
// run, and how many processors this process may use.
namespace platform {

struct Machine {
  std::string processor_model; // empty when the system does not say
  unsigned processors = 0;     // 0 when the system does not say
  std::string host_name{};     // empty when the system does not say
};

Machine this_machine();

// The machine's name on its network as its system gives it, in UTF-8: what
// tells one host of a fleet from another in their records.
std::string this_host_name();

struct OperatingSystem {
  std::string name;    // for example "Linux" or "Windows"
  std::string release; // the kernel's release, or Windows' version
};

OperatingSystem this_operating_system();

// What limits the processors this process may use: its affinity mask, and
// the CPU quotas of its control groups (Linux), as the files give them.
struct ProcessorLimits {
  unsigned allowed_by_affinity = 0;   // 0 when the system does not say
  std::vector<std::string> cpu_max{}; // cgroup v2: its group's cpu.max, then each parent's
  std::string cfs_quota_us{};         // cgroup v1
  std::string cfs_period_us{};
};

ProcessorLimits this_process_processor_limits();

// A processor this process may run on, by the system's number, and the core
// it belongs to where the system says: processors of one core share its
// units, so that two programs on them slow each other.
struct AllowedProcessor {
  unsigned number = 0;
  long core = -1; // the same for processors of one core; -1 when the system does not say
};

// In the system's order; empty when the system does not say.
std::vector<AllowedProcessor> allowed_processors();

} // namespace platform
