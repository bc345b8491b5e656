#include "ab/verdict_words.h"

#include "output/number_text.h"
#include "output/verdict_style.h"

namespace ab {

std::string verdict_name(Verdict verdict) { return std::string(output::verdict_word(verdict)); }

std::string verdict_words(Verdict verdict, double threshold_percent) {
  if (verdict == Verdict::same) {
    return verdict_name(verdict) + " within \u00b1" + output::setting_text(threshold_percent) + " %";
  }
  return verdict_name(verdict);
}

} // namespace ab
