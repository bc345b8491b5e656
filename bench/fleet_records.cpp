#include "bench/fleet_records.h"

#include "pass/figures.h"
#include "record/json_record.h"
#include "record/run_record.h"
#include "record/timestamp.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace bench {
namespace {

constexpr double typical_megawhets = 12500.0;
constexpr double slow_share = 0.85;
constexpr std::int32_t inner = 20000;
constexpr std::int32_t outer = 10;

std::string host_name(std::size_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "node%05zu", number);
  return name;
}

pass::PassOutcome pass_at(int number, std::int32_t pass_inner, double megawhets) {
  const double rate = megawhets / pass::megawhets_per_rate_unit;
  const double elapsed = pass::work_units(pass_inner, outer) * 100.0 / rate;
  const double group = elapsed / outer;
  return {.number = number,
          .outer = outer,
          .inner = pass_inner,
          .timing = {.elapsed = elapsed,
                     .processor = elapsed * 0.999,
                     .groups = {.outer_per_group = 1,
                                .full = outer,
                                .fastest = group * 0.995,
                                .slowest = group * 1.01},
                     .start = 0.0,
                     .end = elapsed},
          .figures = {elapsed, rate},
          .steady = {.groups = outer, .fastest_rate = rate / 0.995, .slowest_rate = rate / 1.01}};
}

record::RunRecord synthetic_run(const std::string &host, double megawhets, std::chrono::sys_seconds start) {
  record::RunRecord run{
      .build = {.version = "1.0.0",
                .compiler = "g++",
                .compiler_version = "12.2.0",
                .code_flags = "-O2 -ffp-contract=off -fstack-protector-strong",
                .architecture = "x86-64"},
      .machine = {.processor_model = "Synthetic Processor", .processors = 64, .host_name = host},
      .operating_system = {"Linux", "6.1.0"},
      .started_at = record::rfc3339_utc(start),
      .counts = pass::Counts{inner, outer, 30.0}};
  run.passes = {pass_at(1, inner, megawhets), pass_at(2, pass::doubled_count(inner), megawhets)};
  return run;
}

// Each host's records in turn, made slow where the fleet says, as one text
// per host.
template <class HostRecords>
std::vector<std::string> make_fleet(std::size_t hosts, std::size_t records_per_host, std::size_t slow,
                                    HostRecords &&each_host) {
  std::vector<std::string> slow_hosts;
  std::mt19937_64 random(20261209);
  std::normal_distribution<double> noise(1.0, 0.004);
  const std::chrono::sys_seconds first_start{std::chrono::hours(24 * 20431)};
  const std::size_t every = slow == 0 ? hosts + 1 : hosts / slow;
  for (std::size_t number = 1; number <= hosts; ++number) {
    const std::string host = host_name(number);
    const bool is_slow = slow > 0 && number % every == every / 2 && slow_hosts.size() < slow;
    if (is_slow) {
      slow_hosts.push_back(host);
    }
    std::string records;
    for (std::size_t run = 0; run < records_per_host; ++run) {
      const double megawhets = typical_megawhets * (is_slow ? slow_share : 1.0) * noise(random);
      const auto start = first_start + std::chrono::minutes(run);
      records += record::record_json(synthetic_run(host, megawhets, start));
    }
    if (!each_host(number, records)) {
      return {};
    }
  }
  return slow_hosts;
}

} // namespace

Fleet synthetic_fleet(std::size_t hosts, std::size_t records_per_host, std::size_t slow) {
  Fleet fleet;
  fleet.slow_hosts = make_fleet(hosts, records_per_host, slow, [&](std::size_t, const std::string &records) {
    fleet.records += records;
    return true;
  });
  return fleet;
}

std::optional<std::vector<std::string>> write_fleet_files(const std::string &directory, std::size_t hosts,
                                                          std::size_t records_per_host, std::size_t slow,
                                                          std::size_t files) {
  std::FILE *file = nullptr;
  std::size_t file_number = 0;
  bool written = true;
  auto slow_hosts =
      make_fleet(hosts, records_per_host, slow, [&](std::size_t host, const std::string &records) {
        // Host h (from 1) goes to file floor((h - 1) * files / hosts) + 1.
        const std::size_t wanted = (host - 1) * files / hosts + 1;
        if (wanted != file_number) {
          written = file == nullptr || std::fclose(file) == 0;
          char name[32];
          std::snprintf(name, sizeof name, "/fleet%02zu.json", wanted);
          file = written ? std::fopen((directory + name).c_str(), "wb") : nullptr;
          file_number = wanted;
        }
        written = written && file != nullptr &&
                  std::fwrite(records.data(), 1, records.size(), file) == records.size();
        return written;
      });
  if (file != nullptr && std::fclose(file) != 0) {
    written = false;
  }
  if (!written) {
    return std::nullopt;
  }
  return slow_hosts;
}

} // namespace bench
