#pragma once

// How much of the processor the process has had, which tells whether other
// work took a share of a timed pass.
namespace platform {

// Processor time used by the whole process so far, in seconds, and the
// smallest step in which that reading advances; not a number where the
// system cannot tell.
double processor_seconds();
double processor_clock_step();

} // namespace platform
