#pragma once

#include "history/history_view.h"

#include <string>

// The words a change is given in, the same in every output.
namespace history {

// "-6.1 %" or "+2.4 %": the hyphen-minus every other figure of every
// output has, so that a table's signs agree and a search finds them.
std::string change_percent_text(double percent);

// "p = 0.005", or "p < 0.001".
std::string p_text(double p_value);

// "node-0042: -6.1 % from 2026-03-03 (run 17 of 40), p = 0.005"
std::string change_line(const ChangeLine &change);

// "-3.2 % from 2026-01-15 on 45 of its 50 hosts"
std::string stratum_change_text(const StratumChange &change);

} // namespace history
