#pragma once

#include <cstddef>
#include <string_view>

namespace compare {

// The longest name a host can have (RFC 1035's for a whole domain name, and
// POSIX's HOST_NAME_MAX on Linux, with room).
inline constexpr std::size_t longest_host_name = 255;

// Whether a name is made only of what host names are made of: letters,
// digits, '-', '.' and '_', 1 to longest_host_name bytes, not starting with
// '-'. Only such names go on the line of slow hosts that scontrol or a shell
// takes as it is: "node1,node2" there would drain two healthy nodes, and
// "-h" or "$(...)" would be read as something else.
bool is_plain_host_name(std::string_view name);

} // namespace compare
