#include "ab/duet_check_text.h"

#include "output/number_text.h"
#include "text/formatted.h"

#include <cmath>
#include <vector>

namespace ab {

std::string beside_itself_text(double slowdown_percent) {
  if (std::fabs(slowdown_percent) < 0.05) {
    return "as fast beside itself as alone";
  }
  return text::formatted("%.1f %% %s beside itself than alone", std::fabs(slowdown_percent),
                         slowdown_percent > 0 ? "slower" : "faster");
}

std::string duet_check_failure(const DuetCheck &check, double threshold_percent) {
  std::vector<std::string> broken;
  if (std::fabs(check.processor_difference_percent) >= threshold_percent) {
    broken.push_back(text::formatted("the processors differ by the %s %% threshold or more",
                                     output::setting_text(threshold_percent).c_str()));
  }
  if (check.duet_slowdown_percent >= largest_duet_slowdown_percent) {
    broken.push_back(
        text::formatted("A slows beside itself by %.0f %% or more, past what a duet allows: the two "
                        "processors may share a core's units, or the machine cannot run two "
                        "programs at once",
                        largest_duet_slowdown_percent));
  }
  if (broken.empty()) {
    return "the two processors may share a core's units, or the machine cannot run two programs at once";
  }
  std::string text = broken.front();
  for (std::size_t i = 1; i < broken.size(); ++i) {
    text += ", and " + broken[i];
  }
  return text;
}

} // namespace ab
