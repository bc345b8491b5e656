#pragma once

#include <string>
#include <string_view>

// What produced this program: its version, and the compiler, flags and target
// that shape the figures it reports.
namespace platform {

struct Build {
  std::string_view version; // of the program
  std::string_view compiler;
  std::string_view compiler_version;
  std::string_view code_flags;   // the flags that shape the compiled code
  std::string_view architecture; // empty where the build cannot tell
  // Only a test build has one: the share of extra work each outer iteration
  // does beyond what it counts, in percent, so that two programs differ by
  // a known amount. 0 in every program that is shipped.
  unsigned drag_percent = 0;
};

Build this_build();

// "megawhets 1.0.0"
std::string program_version();

// For example "g++ 12.2.0, -O2 -ffp-contract=off, x86-64"; a part the build
// cannot tell is left out. A test build with a drag ends with it, "drag 5 %",
// so that its figures cannot pass for a real build's.
std::string build_description();

} // namespace platform
