#pragma once

#include <array>
#include <string_view>

namespace driver {

// The commands megawhets takes as its first argument, each dispatched in
// main.cpp; without one, it runs the passes. A first argument close to one
// of them is answered with the command meant, so a new command adds its
// name here as well as its dispatch.
inline constexpr std::array<std::string_view, 3> command_names = {"compare", "history", "ab"};

} // namespace driver
