#include "compare_output/svg_mark.h"

#include "compare_output/html_text.h"
#include "report/formatted.h"

namespace compare_output {

std::string data_attribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + html_text(value) + "\"";
}

std::string pixels(double value) { return report::formatted("%.2f", value); }

std::string svg_mark(std::string_view shape, std::string_view css_class, std::string_view geometry,
                     const MarkFacts &facts) {
  std::string mark =
      "<" + std::string(shape) + " class=\"" + std::string(css_class) + "\" " + std::string(geometry);
  mark += data_attribute("data-kind", facts.kind) + data_attribute("data-name", facts.name) +
          data_attribute("data-value", facts.value) + facts.attributes;
  mark += "><title>" + html_text(facts.title) + "</title></" + std::string(shape) + ">\n";
  return mark;
}

std::string legend_swatch(std::string_view shape) {
  return "<svg width=\"16\" height=\"12\" viewBox=\"0 0 16 12\" aria-hidden=\"true\">" + std::string(shape) +
         "</svg>";
}

} // namespace compare_output
