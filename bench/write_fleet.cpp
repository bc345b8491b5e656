// Writes a fleet's records to files, for timing `megawhets compare` itself
// on more records than the machine could keep whole:
//
//   megawhets_write_fleet DIRECTORY [HOSTS [RECORDS_PER_HOST [FILES [SLOW]]]]
//
// By default 10,000 hosts of 100 records each (a million records, about
// 2 GB) in 31 files of about 62 MiB, 3 hosts slow. Then, say:
//
//   /usr/bin/time -v megawhets compare --fleet DIRECTORY > /dev/null

#include "bench/fleet_records.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::size_t argument(int argc, char **argv, int index, std::size_t otherwise) {
  return argc > index ? static_cast<std::size_t>(std::strtoull(argv[index], nullptr, 10)) : otherwise;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2 || argc > 6) {
    std::fprintf(stderr, "usage: %s DIRECTORY [HOSTS [RECORDS_PER_HOST [FILES [SLOW]]]]\n", argv[0]);
    return 2;
  }
  const std::size_t hosts = argument(argc, argv, 2, 10000);
  const std::size_t records_per_host = argument(argc, argv, 3, 100);
  const std::size_t files = argument(argc, argv, 4, 31);
  const std::size_t slow = argument(argc, argv, 5, 3);
  if (hosts == 0 || records_per_host == 0 || files == 0 || files > hosts || slow > hosts) {
    std::fprintf(stderr,
                 "%s: needs at least 1 host, record and file, no more files than hosts, and no more slow "
                 "hosts than hosts\n",
                 argv[0]);
    return 2;
  }
  const auto slow_hosts = bench::write_fleet_files(argv[1], hosts, records_per_host, slow, files);
  if (!slow_hosts) {
    std::fprintf(stderr, "%s: cannot write the files in %s\n", argv[0], argv[1]);
    return 1;
  }
  std::printf("%zu records of %zu hosts in %zu files in %s; slow hosts:", hosts * records_per_host, hosts,
              files, argv[1]);
  for (const std::string &host : *slow_hosts) {
    std::printf(" %s", host.c_str());
  }
  std::printf("\n");
  return 0;
}
