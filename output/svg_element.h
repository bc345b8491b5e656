#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The charts' SVG, built an element at a time, so that no attribute is
// written by hand: text is escaped (html_text.h) wherever it goes, and
// coordinates are written to a hundredth of a pixel.
namespace output {

class SvgElement {
public:
  explicit SvgElement(std::string_view name);

  // name="value", the value escaped.
  SvgElement &attribute(std::string_view name, std::string_view value);
  // name="12.34": a coordinate or a length in pixels.
  SvgElement &attribute(std::string_view name, double pixels);
  SvgElement &css_class(std::string_view names) { return attribute("class", names); }

  // Text inside the element, escaped; shortened to most_characters, the last
  // an ellipsis, where it is longer (0: never).
  SvgElement &text(std::string_view text, std::size_t most_characters = 0);
  // What a reader sees on hovering: a <title> child.
  SvgElement &title(std::string_view text);
  // An element inside this one.
  SvgElement &child(const SvgElement &element);
  SvgElement &children(const std::string &elements);

  // The element, and a line break after it.
  std::string str() const;

private:
  std::string name_;
  std::string attributes_{};
  std::string content_{};
};

// What a mark of a chart shows, for a reader hovering over it and for a
// test or a tool reading the page.
struct MarkFacts {
  std::string_view kind{}; // data-kind: "bar", "record", "interval", "host", ...
  std::string_view name{}; // data-name: the group, host or stratum, as the records give it
  std::string value{};     // data-value: the figure drawn, as exact_number writes it
  std::string title{};     // the <title>, as plain text
};

// <shape class="css_class" data-kind=... data-name=... data-value=...><title>...</title>
// to which the caller adds the geometry.
SvgElement svg_mark(std::string_view shape, std::string_view css_class, const MarkFacts &facts);

// A legend's small picture of a mark, drawn with the mark's own classes so
// that it takes the same colours, in a 16 by 12 box.
std::string legend_swatch(const SvgElement &shape);

} // namespace output
