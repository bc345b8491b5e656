#pragma once

#include "record/record_reader.h"

#include <cstdint>
#include <string>
#include <vector>

// Where records are read from: the RECORD arguments of a comparison.
namespace record {

// A file of records is refused above this size, which thousands of records
// do not come near, before a byte of it is read.
constexpr std::uintmax_t largest_record_file = 64 * 1024 * 1024;

// The records of every argument, in order: a file; a directory, meaning
// every *.json file directly in it, in name order; or "-", standard input.
// An argument that cannot be read at all, or holds no record, gives one entry
// of its own, with problem `unreadable` and the argument as its source; the
// other arguments are still read. Sources have their control bytes escaped.
std::vector<ReadRecord> read_sources(const std::vector<std::string> &arguments);

} // namespace record
