#pragma once

#include "compare/comparison.h"
#include "output/document.h"
#include "output/table.h"

#include <string>
#include <string_view>
#include <vector>

// A comparison laid out as tables of typed cells, which the terminal,
// Markdown and the page each render in their own way, so that all of them
// show the same cells.
namespace compare_output {

struct Tables {
  output::Table groups{};                      // one row per group, the base first
  output::Table hosts{};                       // with --fleet: one row per host; otherwise empty
  std::vector<std::string> notes{};            // what the figures need said under them: too few records, ...
  std::vector<std::string> legend{};           // what each column and mark means
  std::vector<std::string> excluded{};         // "SOURCE: REASON", one per record left out
  std::vector<std::string> slow_hosts{};       // with --fleet: the slow hosts, for the comma-separated line
  std::vector<std::string> slow_hosts_apart{}; // slow hosts whose names no host has: never on that line
};

// What every output says of slow_hosts_apart.
inline constexpr const char *slow_hosts_apart_title =
    "Slow hosts with names that no host name has (letters, digits, '-', '.' and '_'), kept off the line of "
    "slow hosts:";

Tables comparison_tables(const compare::Comparison &comparison);

// The tables as a document for the terminal and Markdown: the groups' table,
// or with --fleet the hosts' and the slow hosts as its last line.
output::Document comparison_document(const Tables &tables, bool fleet);

} // namespace compare_output
