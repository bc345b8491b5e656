// What the comparison's page costs as a fleet grows: the time html_page
// takes, and the bytes it writes, for fleets of 25 to 2,500 hosts, each host
// a group of its own as a fleet's comparison has them.

#include "compare/comparison.h"
#include "compare_output/html_page.h"
#include "compare_output/tables.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <string>

namespace {

// Hosts in three strata with 1 % of them slow; the figures follow a fixed
// seed, so every run draws the same fleet.
compare::Comparison fleet(std::size_t hosts) {
  compare::Comparison comparison;
  comparison.settings.fleet = true;
  comparison.settings.keys = {compare::Key::host};
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 0.01);
  const double strata_medians[] = {13000.0, 15500.0, 17200.0};
  for (std::size_t stratum = 0; stratum < 3; ++stratum) {
    const double median = strata_medians[stratum];
    comparison.strata.push_back(
        {.name = "stratum " + std::to_string(stratum), .median = median, .slow_threshold = median * 0.95});
  }
  for (std::size_t host = 0; host < hosts; ++host) {
    const std::size_t stratum = host * 3 / hosts;
    const double median = strata_medians[stratum];
    const bool slow = host % 100 == 42;
    const double steady = median * (1.0 + noise(random) - (slow ? 0.12 : 0.0));
    const std::string name = "node-" + std::to_string(host + 1);
    compare::GroupResult group{.name = name, .base = host == 0, .enough_records = false};
    group.records.push_back({.source = name + ".json, record 1", .steady = steady, .rate = steady * 0.98});
    group.steady = {.median = steady, .low = steady, .high = steady, .low_high_is_range = true};
    comparison.groups.push_back(group);
    comparison.strata[stratum].hosts.push_back(comparison.hosts.size());
    comparison.hosts.push_back({.host = name,
                                .stratum = stratum,
                                .records = 1,
                                .steady = steady,
                                .deficit_percent = (1.0 - steady / median) * 100.0,
                                .verdict = slow ? compare::Verdict::slow : compare::Verdict::ok});
    if (slow) {
      comparison.slow_hosts.push_back(name);
    }
  }
  return comparison;
}

void page_of_a_fleet(benchmark::State &state) {
  const compare::Comparison comparison = fleet(static_cast<std::size_t>(state.range(0)));
  const compare_output::Tables tables = compare_output::comparison_tables(comparison);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string page = compare_output::html_page(comparison, tables);
    benchmark::DoNotOptimize(page.data());
    bytes = page.size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

BENCHMARK(page_of_a_fleet)->Arg(25)->Arg(250)->Arg(2500)->Unit(benchmark::kMillisecond);

} // namespace
