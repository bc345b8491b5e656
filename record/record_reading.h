#pragma once

#include "record/element_tallies.h"
#include "record/record_fields.h"
#include "record/recorded_run.h"
#include "record/run_details.h"

#include <string>

// One record read: its fields, as the listener kept them, held to what a
// record of a run must be, and the run it tells.
namespace record {

// Room for each field's text with its escapes undone, kept from one record
// to the next, so that it is made once for a file rather than per record.
struct UnescapedText {
  std::string program_version, label, host_name, processor_model, compiler, compiler_version, flags,
      flags_with_drag, architecture, started_at, name;
};

// The run the fields tell, or the Refusal (record/field_checks.h) of the
// first field that makes them no record, or leaves the run out of a
// comparison.
RecordedRun read_record(const RecordFields &fields, const ElementTallies &tallies, UnescapedText &undone);

// What the fields say beyond the run, of a text read_record takes as one:
// figures it may lack, read without refusing it.
RunDetails run_details(const RecordFields &fields);

// Whether the text lacks a key every record has, or is no object: found at
// the cost of a few comparisons, so that a text that will not be named can
// be counted without a search for its first fault.
bool lacks_what_every_record_has(const RecordFields &f);

} // namespace record
