#pragma once

#include <string>

// What produced this program: its version, and the compiler, flags and target
// that shape the figures it reports.
namespace driver {

std::string program_version();

// For example "g++ 12.2.0, -O2 -ffp-contract=off, x86-64"; a part the build
// cannot tell is left out.
std::string build_description();

} // namespace driver
