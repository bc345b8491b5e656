#pragma once

#include "copies/copy_run.h"
#include "pass/pass_outcome.h"
#include "report/report.h"

#include <cstdint>
#include <optional>

namespace driver {

// Runs one pass and writes its part of the report: the header and rule,
// pushed out before the clock starts so that the user sees which pass is
// running and no output falls inside the timed interval, then its results.
// The pass runs here, or in every copy at once when `copy_run` is given.
// Nothing when it could not be written or a copy failed; the reason is then
// on standard error.
std::optional<pass::PassOutcome> run_pass(int number, std::int32_t outer, std::int32_t inner,
                                          report::RuleStyle style, copies::CopyRun *copy_run);

} // namespace driver
