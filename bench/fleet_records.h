#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Records of runs that never happened, written by the record's own writer,
// for timing a comparison of a fleet far larger than this machine.
namespace bench {

struct Fleet {
  std::string records{};                 // every host's records, one after another
  std::vector<std::string> slow_hosts{}; // the hosts made slow, in name order
};

// `hosts` hosts named node00001 and on, `records_per_host` runs each, of one
// processor and build; every rate within about 1 % of the others but those
// of the `slow` hosts spread through the fleet, which run 15 % slower.
Fleet synthetic_fleet(std::size_t hosts, std::size_t records_per_host, std::size_t slow);

// The same fleet written to `files` files in `directory` (fleet01.json and
// on), each host's records in one file, so that a fleet of a million
// records can be compared through the program itself without ever being
// held in memory whole. Returns the slow hosts, or nothing when a file
// could not be written.
std::optional<std::vector<std::string>> write_fleet_files(const std::string &directory, std::size_t hosts,
                                                          std::size_t records_per_host, std::size_t slow,
                                                          std::size_t files);

} // namespace bench
