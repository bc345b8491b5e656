#include "output/svg_element.h"

#include "output/html_text.h"
#include "text/formatted.h"

namespace output {

SvgElement::SvgElement(std::string_view name) : name_(name) {}

SvgElement &SvgElement::attribute(std::string_view name, std::string_view value) {
  attributes_ += " " + std::string(name) + "=\"" + html_text(value) + "\"";
  return *this;
}

SvgElement &SvgElement::attribute(std::string_view name, double pixels) {
  return attribute(name, text::formatted("%.2f", pixels));
}

SvgElement &SvgElement::text(std::string_view text, std::size_t most_characters) {
  content_ += most_characters == 0 ? html_text(text) : shortened_html_text(text, most_characters);
  return *this;
}

SvgElement &SvgElement::title(std::string_view text) {
  content_ += "<title>" + html_text(text) + "</title>";
  return *this;
}

SvgElement &SvgElement::child(const SvgElement &element) { return children(element.str()); }

SvgElement &SvgElement::children(const std::string &elements) {
  content_ += (content_.empty() && !elements.empty() && elements.front() == '<' ? "\n" : "") + elements;
  return *this;
}

std::string SvgElement::str() const {
  if (content_.empty()) {
    return "<" + name_ + attributes_ + "/>\n";
  }
  return "<" + name_ + attributes_ + ">" + content_ + "</" + name_ + ">\n";
}

SvgElement svg_mark(std::string_view shape, std::string_view css_class, const MarkFacts &facts) {
  SvgElement mark(shape);
  mark.css_class(css_class)
      .attribute("data-kind", facts.kind)
      .attribute("data-name", facts.name)
      .attribute("data-value", facts.value)
      .title(facts.title);
  return mark;
}

std::string legend_swatch(const SvgElement &shape) {
  SvgElement swatch("svg");
  swatch.attribute("width", "16").attribute("height", "12").attribute("viewBox", "0 0 16 12");
  swatch.attribute("aria-hidden", "true").child(shape);
  std::string drawn = swatch.str();
  drawn.pop_back(); // a swatch sits in a line of text
  return drawn;
}

} // namespace output
