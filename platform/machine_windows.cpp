#include "platform/machine.h"

#include "platform/cpuinfo.h"
#include "platform/windows_common.h"

namespace platform {
namespace {

std::string registry_processor_model() {
  wchar_t name[256] = {};
  DWORD size = sizeof name;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                   L"ProcessorNameString", RRF_RT_REG_SZ, nullptr, name, &size) != ERROR_SUCCESS) {
    return {};
  }
  return tidy_processor_model(utf8(name));
}

} // namespace

Machine this_machine() {
  const DWORD processors = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  return {.processor_model = registry_processor_model(),
          .processors = static_cast<unsigned>(processors),
          .host_name = this_host_name()};
}

// The DNS host name, as on Linux, rather than the NetBIOS name, which
// Windows cuts to 15 characters and writes in capitals.
std::string this_host_name() {
  DWORD size = 0;
  GetComputerNameExW(ComputerNameDnsHostname, nullptr, &size);
  std::wstring name(size, L'\0');
  if (size == 0 || GetComputerNameExW(ComputerNameDnsHostname, name.data(), &size) == 0) {
    return {};
  }
  name.resize(size);
  return utf8(name);
}

// GetVersionEx reports what a program's manifest claims to support, not the
// system; the kernel's own call tells the truth, and is looked up because
// its header is the driver kit's.
OperatingSystem this_operating_system() {
  using GetVersion = LONG(WINAPI *)(OSVERSIONINFOW *);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto get_version =
      ntdll == nullptr ? nullptr
                       : reinterpret_cast<GetVersion>(
                             reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (get_version == nullptr || get_version(&version) != 0) {
    return {"Windows", ""};
  }
  return {"Windows", std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + "." +
                         std::to_string(version.dwBuildNumber)};
}

std::vector<AllowedProcessor> allowed_processors() {
  DWORD_PTR process_mask = 0;
  DWORD_PTR system_mask = 0;
  std::vector<AllowedProcessor> processors;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask) == 0) {
    return processors;
  }
  // Each core's entry holds the mask of its logical processors.
  std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> cores;
  DWORD size = 0;
  GetLogicalProcessorInformation(nullptr, &size);
  cores.resize(size / sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION));
  if (cores.empty() || GetLogicalProcessorInformation(cores.data(), &size) == 0) {
    cores.clear();
  }
  for (unsigned number = 0; number < 8 * sizeof(DWORD_PTR); ++number) {
    const DWORD_PTR bit = DWORD_PTR{1} << number;
    if ((process_mask & bit) == 0) {
      continue;
    }
    long core = -1;
    for (std::size_t i = 0; i < cores.size(); ++i) {
      if (cores[i].Relationship == RelationProcessorCore && (cores[i].ProcessorMask & bit) != 0) {
        core = static_cast<long>(i);
      }
    }
    processors.push_back({number, core});
  }
  return processors;
}

ProcessorLimits this_process_processor_limits() {
  DWORD_PTR process_mask = 0;
  DWORD_PTR system_mask = 0;
  ProcessorLimits limits;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask) != 0) {
    for (; process_mask != 0; process_mask &= process_mask - 1) {
      ++limits.allowed_by_affinity;
    }
  }
  return limits;
}

} // namespace platform
