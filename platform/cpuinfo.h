#pragma once

#include <string>
#include <string_view>

namespace platform {

// The processor model named in the text of Linux's /proc/cpuinfo, with runs
// of blanks folded; empty when it names none (AArch64 kernels, for one, give
// only numeric identifiers).
std::string processor_model_in_cpuinfo(std::string_view cpuinfo);

// A model name as a system gives it, with runs of blanks folded and none at
// either end (Windows pads the one in its registry).
std::string tidy_processor_model(std::string_view name);

} // namespace platform
