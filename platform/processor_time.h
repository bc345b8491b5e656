#pragma once

// How much of the processor the process has had, which tells whether other
// work took a share of a timed pass.
namespace platform {

// Processor time used by the whole process so far, in seconds, and the
// smallest step in which that reading advances; not a number where the
// system cannot tell.
double processor_seconds();
double processor_clock_step();

// Processor time used by the calling thread alone, in seconds; not a number
// where the system cannot tell. Unlike the wall clock it stops while other
// work has the processor, so a group of outer iterations timed by it keeps
// its figure on a machine shared with other programs.
double thread_processor_seconds();

} // namespace platform
