#include "history/change_text.h"

#include "history/run_time.h"
#include "text/formatted.h"

#include <cmath>

namespace history {

std::string change_percent_text(double percent) {
  const std::string size = text::formatted("%.1f %%", std::fabs(percent));
  // A change that rounds to 0.0 has no direction to show.
  if (size == "0.0 %") {
    return size;
  }
  return (percent < 0.0 ? "-" : "+") + size;
}

std::string p_text(double p_value) {
  return p_value < 0.001 ? "p < 0.001" : text::formatted("p = %.3f", p_value);
}

std::string change_line(const ChangeLine &change) {
  return change.series + ": " + change_percent_text(change.percent) + " from " + date_of(change.started_at) +
         " (run " + std::to_string(change.run) + " of " + std::to_string(change.runs) + "), " +
         p_text(change.p_value);
}

std::string stratum_change_text(const StratumChange &change) {
  return change_percent_text(change.percent) + " from " + date_of(change.started_at) + " on " +
         std::to_string(change.series.size()) + " of its " + std::to_string(change.stratum_series) + " hosts";
}

} // namespace history
