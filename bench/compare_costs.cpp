// What comparing a fleet's records costs: 10,000 records from 2,500 hosts,
// 3 of them slow, and one record from each of 10,000 hosts, 1 of them slow;
// each read from the text a fleet's files would hold, compared with --fleet,
// and written as the table and as JSON. After the timings: the peak memory
// of the whole process (the generated records included), whether each
// verdict named exactly the hosts that were made slow, and how close the
// statistics come to SciPy's figures for the same samples.

#include "bench/fleet_records.h"
#include "compare/compare_runs.h"
#include "compare_output/json_output.h"
#include "compare_output/tables.h"
#include "output/text_document.h"
#include "record/record_reader.h"
#include "statistics/mann_whitney.h"
#include "statistics/median_interval.h"
#include "tests/statistics/statistics_reference.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iostream>
#include <sys/resource.h>
#include <vector>

namespace {

struct Case {
  const char *name;
  std::size_t hosts;
  std::size_t records_per_host;
  std::size_t slow;
};

const Case cases[] = {{"compare_fleet/2500_hosts_x4_records", 2500, 4, 3},
                      {"compare_fleet/10000_hosts_x1_record", 10000, 1, 1}};

// Everything `megawhets compare --fleet` does between reading its files and
// writing its output.
std::vector<std::string> compare_fleet(const std::string &text) {
  std::vector<compare::Entry> entries;
  std::vector<compare::ExcludedRecord> excluded;
  record::read_records(text, record::Text("fleet.json"), [&](const record::TextRead &read) {
    if (read.run != nullptr) {
      entries.push_back({read.source, *read.run});
    } else {
      excluded.push_back({record::source_name(read.source), std::string(read.message)});
    }
  });
  const auto comparison =
      compare::compare_runs(std::move(entries), std::move(excluded), {.fleet = true}).comparison;
  const compare_output::Tables tables = compare_output::comparison_tables(*comparison);
  benchmark::DoNotOptimize(output::text_document(compare_output::comparison_document(tables, true), false));
  benchmark::DoNotOptimize(compare_output::json_output(*comparison));
  return comparison->slow_hosts;
}

// The bench runs on Linux only, where the kernel keeps the peak resident
// size in kibibytes.
double peak_memory_megabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The largest relative difference from SciPy over the reference table's
// p-values, and over its intervals' bounds and coverages.
void print_agreement_with_scipy() {
  using namespace statistics_reference;
  double p_values = 0.0;
  for (const UTestReference &reference : u_test_references) {
    p_values = std::max(
        p_values, relative_difference(statistics::mann_whitney(reference.first, reference.second).p_value,
                                      reference.p_value));
  }
  double intervals = 0.0;
  for (const SampleReference &reference : sample_references) {
    if (const auto interval = statistics::median_interval(reference.values, reference.confidence)) {
      intervals = std::max({intervals, relative_difference(interval->low, reference.low),
                            relative_difference(interval->high, reference.high),
                            relative_difference(interval->coverage, reference.coverage)});
    }
  }
  std::cout << "against SciPy: p-values within " << p_values << " relative over "
            << std::size(u_test_references) << " tests, intervals within " << intervals << " over "
            << std::size(sample_references) << " samples\n";
}

} // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  std::vector<bench::Fleet> fleets;
  for (const Case &each : cases) {
    fleets.push_back(bench::synthetic_fleet(each.hosts, each.records_per_host, each.slow));
  }
  for (std::size_t i = 0; i < fleets.size(); ++i) {
    benchmark::RegisterBenchmark(cases[i].name, [&fleet = fleets[i]](benchmark::State &state) {
      for (auto _ : state) {
        benchmark::DoNotOptimize(compare_fleet(fleet.records));
      }
    })->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  bool all_found = true;
  for (std::size_t i = 0; i < fleets.size(); ++i) {
    const bool found = compare_fleet(fleets[i].records) == fleets[i].slow_hosts;
    all_found = all_found && found;
    std::cout << cases[i].name << ": " << fleets[i].records.size() / 1024 / 1024
              << " MiB of records; the slow hosts " << (found ? "found exactly" : "NOT found exactly")
              << "\n";
  }
  std::cout << "peak memory of the whole process: " << peak_memory_megabytes() << " MB\n";
  print_agreement_with_scipy();
  return all_found ? 0 : 1;
}
