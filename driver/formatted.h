#pragma once

#include <string>

namespace driver {

// printf into a string of exactly the length the text needs.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
formatted(const char *format, ...);

} // namespace driver
