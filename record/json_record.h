#pragma once

#include "record/run_record.h"

#include <string>

// The record of a run as JSON. Its layout is documented in
// record/run-record.schema.json; readers ignore fields they do not know, and
// a change that would break one raises schema_version.
namespace record {

constexpr int schema_version = 1;

std::string record_json(const RunRecord &run);

} // namespace record
