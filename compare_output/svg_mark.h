#pragma once

#include <string>
#include <string_view>

// The marks every chart draws, each an SVG shape that says what it shows:
// a <title> for a reader hovering over it, and data- attributes for a test
// or a tool reading the page.
namespace compare_output {

struct MarkFacts {
  std::string_view kind{};  // data-kind: "bar", "record", "interval", "host", ...
  std::string_view name{};  // data-name: the group, host or stratum, as the records give it
  std::string value{};      // data-value: the figure drawn, as exact_number writes it
  std::string title{};      // what a reader sees on hovering, as plain text
  std::string attributes{}; // any further attributes, already written by data_attribute
};

// ` name="value"`, the value escaped.
std::string data_attribute(std::string_view name, std::string_view value);

// A coordinate or length in pixels, to a hundredth.
std::string pixels(double value);

// <shape class="css_class" geometry data-kind=... data-name=... data-value=...><title>...</title></shape>
std::string svg_mark(std::string_view shape, std::string_view css_class, std::string_view geometry,
                     const MarkFacts &facts);

// A legend's small picture of a mark, drawn with the mark's own classes so
// that it takes the same colours: shape is SVG in a 16 by 12 box.
std::string legend_swatch(std::string_view shape);

} // namespace compare_output
