#include "ab/judged_figure.h"

namespace ab {
namespace {

struct FigureNames {
  Figure figure;
  const char *name;
  const char *words;
  const char *meaning;
};

constexpr FigureNames figure_names[] = {
    {Figure::rate, "rate", "rate", "pass 2's work over its whole time"},
    {Figure::steady, "steady", "steady figure", "pass 2's fastest group"},
    {Figure::processor_rate, "processor-rate", "work per processor second",
     "pass 2's work over the processor time it had"},
    {Figure::processor_steady, "processor-steady", "steady figure by processor time",
     "pass 2's fastest group by the processor time it had"},
};

const FigureNames &names_of(Figure figure) {
  for (const FigureNames &names : figure_names) {
    if (names.figure == figure) {
      return names;
    }
  }
  return figure_names[0];
}

} // namespace

double judged(const Slice &slice, Figure figure) {
  switch (figure) {
  case Figure::steady:
    return slice.steady;
  case Figure::processor_rate:
    return slice.processor_rate;
  case Figure::processor_steady:
    return slice.processor_steady;
  case Figure::rate:
    break;
  }
  return slice.rate;
}

const char *figure_name(Figure figure) { return names_of(figure).name; }

const char *figure_words(Figure figure) { return names_of(figure).words; }

const char *figure_meaning(Figure figure) { return names_of(figure).meaning; }

std::optional<Figure> figure_named(std::string_view name) {
  for (const FigureNames &names : figure_names) {
    if (name == names.name) {
      return names.figure;
    }
  }
  return std::nullopt;
}

} // namespace ab
