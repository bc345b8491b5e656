#include "ab/verdict_words.h"

#include "report/formatted.h"

namespace ab {

const char *verdict_name(Verdict verdict) {
  switch (verdict) {
  case Verdict::faster:
    return "faster";
  case Verdict::slower:
    return "slower";
  case Verdict::same:
    return "same";
  case Verdict::undecided:
    return "undecided";
  }
  return "";
}

std::string verdict_words(Verdict verdict, double threshold_percent) {
  if (verdict == Verdict::same) {
    return report::formatted("same within \u00b1%g %%", threshold_percent);
  }
  return verdict_name(verdict);
}

} // namespace ab
