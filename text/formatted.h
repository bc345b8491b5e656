#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// printf into a string of exactly the length the text needs.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
formatted(const char *format, ...);

// A count with its thousands separated: 2097142 as "2,097,142".
std::string with_thousands(std::size_t count);

} // namespace text
