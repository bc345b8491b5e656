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
                     .groups = {.outer_per_group = 1, .full = outer, .fastest = group * 0.995, .slowest = group * 1.01},
                     .start = 0.0,
                     .end = elapsed},
          .figures = {elapsed, rate},
          .steady = {.groups = outer, .fastest_rate = rate / 0.995, .slowest_rate = rate / 1.01}};
}

record::RunRecord synthetic_run(const std::string &host, double megawhets, std::chrono::sys_seconds start) {
  record::RunRecord run{.build = {.version = "1.0.0",
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

} // namespace

std::string synthetic_record(const std::string &host, double megawhets, std::chrono::sys_seconds start) {
  return record::record_json(synthetic_run(host, megawhets, start));
}

Fleet synthetic_fleet(std::size_t hosts, std::size_t records_per_host, std::size_t slow) {
  Fleet fleet;
  std::mt19937_64 random(20261209);
  std::normal_distribution<double> noise(1.0, 0.004);
  const std::chrono::sys_seconds first_start{std::chrono::hours(24 * 20431)};
  const std::size_t every = slow == 0 ? hosts + 1 : hosts / slow;
  for (std::size_t number = 1; number <= hosts; ++number) {
    const std::string host = host_name(number);
    const bool is_slow = slow > 0 && number % every == every / 2 && fleet.slow_hosts.size() < slow;
    if (is_slow) {
      fleet.slow_hosts.push_back(host);
    }
    for (std::size_t run = 0; run < records_per_host; ++run) {
      const double megawhets = typical_megawhets * (is_slow ? slow_share : 1.0) * noise(random);
      const auto start = first_start + std::chrono::minutes(run);
      fleet.records += record::record_json(synthetic_run(host, megawhets, start));
    }
  }
  return fleet;
}

} // namespace bench
