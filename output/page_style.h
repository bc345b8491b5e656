#pragma once

#include <string_view>

namespace output {

// The page's one stylesheet, and with it every colour the page uses: blue
// and orange, which readers with any common colour blindness tell apart, and
// greys, each always beside the words it stands for.
std::string_view page_style();

} // namespace output
