#pragma once

#include <string>
#include <string_view>

namespace output {

// A whole self-contained page around `body` (HTML the caller has escaped):
// its title, escaped here; the one stylesheet (page_style.h); and a
// Content-Security-Policy that lets it run no script and load nothing from
// anywhere, so that it can be mailed, archived and opened as it is. Every
// command that shows its answer as a page writes it in this frame.
// `own_style` holds a page's rules for what only it draws (the history's
// small multiples), after the shared stylesheet's in the same <style>.
std::string page_frame(std::string_view title, const std::string &body, std::string_view own_style = {});

} // namespace output
