#pragma once

#include "platform/machine.h"

#include <string>
#include <string_view>

namespace report {

// The line, for standard error, that says what produced a run's figures:
// "megawhets 1.0.0: g++ 12.2.0, -O2 -ffp-contract=off, x86-64; AMD EPYC, 2
// processors". What the system does not say is left out.
// A run in copies adds how many ran, and on how many usable processors.
std::string context_line(std::string_view version, std::string_view build, const platform::Machine &machine,
                         unsigned copies = 0, unsigned usable_processors = 0);

} // namespace report
