#include "ab/html_page.h"

#include "ab/judged_figure.h"
#include "ab/page_charts.h"
#include "ab/summary_text.h"
#include "ab/tables.h"
#include "ab/verdict_words.h"
#include "output/html_tables.h"
#include "output/html_text.h"
#include "output/page_frame.h"
#include "output/svg_element.h"
#include "output/verdict_style.h"

namespace ab {
namespace {

using output::html_text;
using output::SvgElement;

std::string paragraph(std::string_view css_class, const std::string &html) {
  return "<p class=\"" + std::string(css_class) + "\">" + html + "</p>\n";
}

std::string program_line(const PairedComparison &comparison, int program) {
  const Program &named = comparison.programs[program];
  return "<span class=\"chip " + std::string(program == 0 ? "program-a" : "program-b") + "\">" +
         (program == 0 ? "A" : "B") + "</span> <span class=\"name\">" + html_text(named.name) + "</span>" +
         (named.build.empty() ? "" : " (" + html_text(named.build) + ")");
}

std::string page_header(const PairedComparison &comparison) {
  const Answer &answer = comparison.answer;
  const std::string verdict = verdict_words(answer.verdict, comparison.settings.threshold_percent);
  std::string said = answer.rounds == 0
                         ? "No round finished."
                         : "B against A: " + percent_text(answer.change_percent) + " (" +
                               confidence_text(comparison.settings.alpha) + " interval " +
                               interval_text(answer) + ") from " + std::to_string(answer.rounds) +
                               (answer.rounds == 1 ? " round" : " rounds");
  if (comparison.interrupted) {
    said = "Interrupted. " + said;
  }
  return "<header>\n<h1>megawhets ab: B against A</h1>\n" +
         paragraph("summary", program_line(comparison, 0)) +
         paragraph("summary", program_line(comparison, 1)) +
         paragraph("verdicts", "<span class=\"chip " +
                                   std::string(output::verdict_style(answer.verdict).css_class) + "\">" +
                                   html_text(verdict) + "</span> " + html_text(said)) +
         "</header>\n";
}

// A legend's entry: the mark's small picture and its words.
std::string entry(const SvgElement &shape, const std::string &words) {
  return "<li>" + output::legend_swatch(shape) + html_text(words) + "</li>";
}

SvgElement swatch(std::string_view shape, std::string_view css_class) {
  SvgElement drawn(shape);
  drawn.css_class(css_class);
  if (shape == "circle") {
    drawn.attribute("cx", 8.0).attribute("cy", 6.0).attribute("r", 3.0);
  } else if (shape == "line") {
    drawn.attribute("x1", 1.0).attribute("x2", 15.0).attribute("y1", 6.0).attribute("y2", 6.0);
  } else {
    drawn.attribute("x", 2.0).attribute("y", 2.0).attribute("width", 12.0).attribute("height", 8.0);
  }
  return drawn;
}

std::string figures_section(const PairedComparison &comparison) {
  const std::string figure = figure_words(comparison.settings.figure);
  return "<section id=\"figures\">\n<h2>A and B over time</h2>\n" +
         paragraph("summary", html_text("Each slice's " + figure +
                                        " against when it began: the two lines wander together with the "
                                        "machine's speed, which is why each round's pair is judged, not the "
                                        "two lines apart.")) +
         "<ul class=\"legend\">" +
         entry(swatch("circle", "slice program-a"), "A: " + comparison.programs[0].name) +
         entry(swatch("rect", "slice program-b"), "B: " + comparison.programs[1].name) + "</ul>\n" +
         figures_chart(comparison) + "</section>\n";
}

// Only where a round lies off the scale: what its hollow mark means.
std::string off_scale_entry(const PairedComparison &comparison) {
  const std::size_t off = rounds_off_scale(comparison);
  if (off == 0) {
    return {};
  }
  return entry(swatch("circle", "round off-scale"),
               std::to_string(off) + (off == 1 ? " round" : " rounds") +
                   " far out, on the edge: off the scale, which holds the answer and the other rounds");
}

std::string ratios_section(const PairedComparison &comparison) {
  const std::string verdict = verdict_words(comparison.answer.verdict, comparison.settings.threshold_percent);
  const std::string figure = figure_words(comparison.settings.figure);
  return "<section id=\"ratios\">\n<h2>B against A, round by round</h2>\n" +
         paragraph("summary",
                   html_text("Each round's ratio of B's " + figure +
                             " to A's, the figure the rounds are "
                             "judged on: the machine's drift falls on both slices of a round and leaves "
                             "the ratio flat.")) +
         "<ul class=\"legend\">" + entry(swatch("circle", "round"), "a round") +
         entry(swatch("rect", std::string("band ") + verdict_name(comparison.answer.verdict)),
               confidence_text(comparison.settings.alpha) + " interval: " + verdict) +
         entry(swatch("line", "estimate"), "the estimate") +
         entry(swatch("line", "threshold"), "the threshold") +
         entry(swatch("rect", "unpaired"), "the same slices unpaired, as compare judges them") +
         off_scale_entry(comparison) + "</ul>\n" + ratios_chart(comparison) + "</section>\n";
}

} // namespace

std::string html_page(const PairedComparison &comparison, const output::Document &document) {
  const std::string body =
      page_header(comparison) + figures_section(comparison) + ratios_section(comparison) +
      "<section id=\"answer\">\n<h2>The answer</h2>\n" + output::html_table(document.table, true) +
      output::html_list(output::lines_headed(document, notes_heading), "notes") + "<h3>" + legend_heading +
      "</h3>\n" + output::html_list(output::lines_headed(document, legend_heading), "notes") + "</section>\n";
  return output::page_frame(
      "megawhets ab: " + comparison.programs[1].name + " against " + comparison.programs[0].name, body);
}

} // namespace ab
