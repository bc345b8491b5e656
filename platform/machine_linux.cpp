#include "platform/machine.h"

#include "platform/cpuinfo.h"

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform {
namespace {

std::string whole_file(const char *path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned online_processors() {
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<unsigned>(online) : 0U;
}

} // namespace

Machine this_machine() {
  return {.processor_model = processor_model_in_cpuinfo(whole_file("/proc/cpuinfo")),
          .processors = online_processors(),
          .host_name = this_host_name()};
}

std::string this_host_name() {
  // POSIX leaves the name unterminated when it is cut short, so the last
  // byte is kept for the terminator.
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) {
    return {};
  }
  return name;
}

OperatingSystem this_operating_system() {
  utsname names{};
  if (uname(&names) != 0) {
    return {};
  }
  return {names.sysname, names.release};
}

std::vector<AllowedProcessor> allowed_processors() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  std::vector<AllowedProcessor> processors;
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
    return processors;
  }
  for (unsigned number = 0; number < CPU_SETSIZE; ++number) {
    if (!CPU_ISSET(number, &allowed)) {
      continue;
    }
    const std::string topology = "/sys/devices/system/cpu/cpu" + std::to_string(number) + "/topology/";
    long package = 0;
    long core = -1;
    std::istringstream(whole_file((topology + "physical_package_id").c_str())) >> package;
    std::istringstream(whole_file((topology + "core_id").c_str())) >> core;
    processors.push_back({number, core < 0 || package < 0 ? -1 : package * 65536 + core});
  }
  return processors;
}

ProcessorLimits this_process_processor_limits() {
  ProcessorLimits limits;
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  limits.allowed_by_affinity = sched_getaffinity(0, sizeof allowed, &allowed) == 0
                                   ? static_cast<unsigned>(CPU_COUNT(&allowed))
                                   : online_processors();
  // Each line of /proc/self/cgroup is "id:controllers:path"; cgroup v2 has
  // the one line "0::path".
  std::istringstream groups(whole_file("/proc/self/cgroup"));
  for (std::string line; std::getline(groups, line);) {
    const auto first = line.find(':');
    const auto second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
      continue;
    }
    const std::string controllers = line.substr(first + 1, second - first - 1);
    std::filesystem::path path = line.substr(second + 1);
    if (controllers.empty()) {
      for (;; path = path.parent_path()) {
        limits.cpu_max.push_back(whole_file(("/sys/fs/cgroup" / path.relative_path() / "cpu.max").c_str()));
        if (path == path.root_path() || path.empty()) {
          break;
        }
      }
    } else if (("," + controllers + ",").find(",cpu,") != std::string::npos) {
      for (const char *mount : {"/sys/fs/cgroup/cpu,cpuacct", "/sys/fs/cgroup/cpu"}) {
        const std::filesystem::path group = mount / path.relative_path();
        if (limits.cfs_quota_us.empty()) {
          limits.cfs_quota_us = whole_file((group / "cpu.cfs_quota_us").c_str());
          limits.cfs_period_us = whole_file((group / "cpu.cfs_period_us").c_str());
        }
      }
    }
  }
  return limits;
}

} // namespace platform
