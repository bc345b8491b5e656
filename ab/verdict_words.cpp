#include "ab/verdict_words.h"

#include "compare_output/number_text.h"
#include "compare_output/verdict_style.h"

namespace ab {

std::string verdict_name(Verdict verdict) { return std::string(compare_output::verdict_word(verdict)); }

std::string verdict_words(Verdict verdict, double threshold_percent) {
  if (verdict == Verdict::same) {
    return verdict_name(verdict) + " within \u00b1" + compare_output::setting_text(threshold_percent) + " %";
  }
  return verdict_name(verdict);
}

} // namespace ab
