#pragma once

#include "record/record_reader.h"

#include <string>
#include <vector>

// Where records are read from: the RECORD arguments of a comparison, or of
// anything else that takes records in.
namespace record {

// The records of every argument, in order, each handed on as it is read
// (see read_records): a file; a directory, meaning every *.json file
// directly in it, in name order; or "-", standard input. A file is read
// whole, once, into room that the next file's text then takes over, so that
// what is held at once is one file's text and the runs kept. An argument that cannot be read
// at all, or holds no record, gives one note of its own, with problem
// `unreadable`; the other arguments are still read. In a directory only
// regular files, and links to them, are read: anything else (a FIFO, a
// device, a socket, a link to nothing) is left out with a note of kind
// `left_out`, since reading it could wait for ever. A FIFO or a device named
// as an argument is read, as `compare <(cat runs.json)` needs. Files are
// named with their control bytes escaped; a name given again (the same file
// twice, or through its directory and by itself) is told apart by its
// argument: "runs.json (argument 2)".
void read_sources(const std::vector<std::string> &arguments, const TextHandler &handler);

// The same, kept: for tests.
std::vector<ReadRecord> read_sources(const std::vector<std::string> &arguments);

} // namespace record
