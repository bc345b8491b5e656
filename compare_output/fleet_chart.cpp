#include "compare_output/fleet_chart.h"

#include "compare/fleet_judgement.h"
#include "compare_output/fleet_plan.h"
#include "compare_output/label_lanes.h"
#include "output/chart_axis.h"
#include "output/html_text.h"
#include "output/number_text.h"
#include "output/svg_element.h"
#include "output/verdict_style.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace compare_output {

using output::axis_drawing;
using output::character_count;
using output::chart_svg;
using output::chart_width;
using output::count_text;
using output::counted;
using output::exact_number;
using output::fixed_text;
using output::golden_fraction;
using output::html_text;
using output::legend_swatch;
using output::percent_text;
using output::rate_text;
using output::Scale;
using output::setting_text;
using output::svg_mark;
using output::SvgElement;
using output::verdict_style;
using output::verdict_word;
using output::VerdictStyle;

namespace {

using compare::HostResult;
using compare::Verdict;

constexpr double plot_left = 30.0;
constexpr double plot_right = chart_width - 30.0;
constexpr double band_label_baseline = 12.0;
constexpr double median_label_baseline = 27.0;
constexpr double strip_top = 34.0;
constexpr double lane_height = 15.0;
constexpr double label_character_width = 6.8; // of 11 px text, erring wide
constexpr double label_gap = 10.0;
constexpr std::size_t longest_host_shown = 40; // on a label; its dot's title holds it whole

// The modified z-score below which a host stands apart, with a true minus.
std::string minus_outlier_z() { return "\u2212" + setting_text(compare::outlier_z); }

double strip_height(const StratumPlan &plan) {
  return std::clamp(36.0 + 2.0 * std::sqrt(static_cast<double>(plan.hosts.size())), 40.0, 110.0);
}

std::string host_title(const HostResult &host, const compare::Stratum &stratum) {
  std::string title = host.host + ": steady rate " + rate_text(host.steady) + " megaWhets/second";
  if (host.deficit_percent && std::isfinite(*host.deficit_percent)) {
    title += ", " + percent_text(-*host.deficit_percent) + " against the stratum's median";
  }
  if (host.modified_z && std::isfinite(*host.modified_z)) {
    title += ", modified z-score " + fixed_text(*host.modified_z, 2);
  }
  title += "; " + std::string(verdict_word(host.verdict));
  if (host.verdict == Verdict::unjudged && !stratum.unjudged_because.empty()) {
    title += " (" + stratum.unjudged_because + ")";
  }
  title += "; " + counted(host.records, "record", "records");
  if (host.warnings > 0) {
    title += ", " + counted(host.warnings, "warning", "warnings");
  }
  return title;
}

struct Dot {
  double x = 0.0;
  double y = 0.0;
  double radius = 0.0;
};

double dot_radius(Verdict verdict) { return verdict == Verdict::ok ? 3.0 : 4.5; }

// Each host's dot: across the strip at its rate, and up or down it by the
// golden ratio, so that hosts of equal rates stay apart, the same way on
// every drawing.
std::vector<Dot> dots_of(const StratumPlan &plan, const Scale &scale) {
  const double height = strip_height(plan);
  std::vector<Dot> dots;
  for (std::size_t k = 0; k < plan.hosts.size(); ++k) {
    const HostResult &host = *plan.hosts[k];
    const double across = std::fmod(static_cast<double>(k) * golden_fraction, 1.0);
    dots.push_back(
        {scale.at(host.steady), strip_top + 6.0 + across * (height - 12.0), dot_radius(host.verdict)});
  }
  return dots;
}

std::string host_mark(const HostResult &host, const Dot &dot, const compare::Stratum &stratum) {
  return svg_mark("circle", "host " + std::string(verdict_style(host.verdict).css_class),
                  {.kind = "host",
                   .name = host.host,
                   .value = exact_number(host.steady),
                   .title = host_title(host, stratum)})
      .attribute("cx", dot.x)
      .attribute("cy", dot.y)
      .attribute("r", dot.radius)
      .attribute("data-stratum", stratum.name)
      .attribute("data-verdict", verdict_word(host.verdict))
      .str();
}

// Drawn from the most common verdict to the rarest, so that the few slow
// and fast hosts lie on top of the many that are ok.
std::string host_marks(const StratumPlan &plan, const std::vector<Dot> &dots) {
  std::string marks;
  for (const Verdict verdict : {Verdict::ok, Verdict::unjudged, Verdict::fast, Verdict::slow}) {
    for (std::size_t k = 0; k < plan.hosts.size(); ++k) {
      if (plan.hosts[k]->verdict == verdict && std::isfinite(plan.hosts[k]->steady)) {
        marks += host_mark(*plan.hosts[k], dots[k], *plan.stratum);
      }
    }
  }
  return marks;
}

std::string band_mark(const StratumPlan &plan, const compare::Settings &settings, const Scale &scale) {
  const compare::Stratum &stratum = *plan.stratum;
  const double threshold = stratum.slow_threshold;
  const double left = scale.at(plan.axis.low);
  const std::string percent = setting_text(settings.slow_percent);
  return svg_mark("rect", "slow-band",
                  {.kind = "slow-band",
                   .name = stratum.name,
                   .value = exact_number(threshold),
                   .title = stratum.name + ": the slow band, at or below " + rate_text(threshold) +
                            " megaWhets/second, " + percent +
                            " % or more below the stratum's median; a host in it is slow when it also stands "
                            "apart from its stratum (a modified z-score below " +
                            minus_outlier_z() + ")"})
             .attribute("x", left)
             .attribute("y", strip_top)
             .attribute("width", std::max(scale.at(threshold) - left, 0.0))
             .attribute("height", strip_height(plan))
             .str() +
         SvgElement("text")
             .css_class("slow small")
             .attribute("x", left + 3)
             .attribute("y", band_label_baseline)
             .text("slow band: at or below " + rate_text(threshold) + " (" + percent + " % under M)")
             .str();
}

std::string median_mark(const compare::Stratum &stratum, const Scale &scale, double strip_bottom) {
  const double x = scale.at(stratum.median);
  const std::string label = "M = " + rate_text(stratum.median);
  const double label_width = static_cast<double>(label.size()) * label_character_width;
  const bool room_right = x + 4 + label_width <= plot_right;
  SvgElement text("text");
  text.css_class("small").attribute("x", room_right ? x + 4 : x - 4).attribute("y", median_label_baseline);
  if (!room_right) {
    text.attribute("text-anchor", "end");
  }
  return svg_mark("line", "stratum-median",
                  {.kind = "stratum-median",
                   .name = stratum.name,
                   .value = exact_number(stratum.median),
                   .title = stratum.name + ": M, the stratum\u2019s median, " + rate_text(stratum.median) +
                            " megaWhets/second"})
             .attribute("x1", x)
             .attribute("x2", x)
             .attribute("y1", median_label_baseline + 3)
             .attribute("y2", strip_bottom)
             .str() +
         text.text(label).str();
}

struct Labels {
  std::string drawing{};
  double bottom = 0.0;
};

// The named hosts' labels below the strip, each joined to its dot by a
// line, in as many lanes as keep them from overlapping.
Labels host_labels(const StratumPlan &plan, const std::vector<Dot> &dots, double strip_bottom) {
  std::vector<LabelSpan> spans;
  std::vector<std::size_t> dot_of;
  for (const HostResult *host : plan.named) {
    const auto at = std::find(plan.hosts.begin(), plan.hosts.end(), host);
    dot_of.push_back(static_cast<std::size_t>(at - plan.hosts.begin()));
    const std::string_view word = verdict_word(host->verdict);
    const double width =
        static_cast<double>(std::min(character_count(host->host), longest_host_shown) + 1 + word.size()) *
        label_character_width;
    const double start =
        std::clamp(dots[dot_of.back()].x - 3.0, plot_left, std::max(plot_left, plot_right - width));
    spans.push_back({start, start + width});
  }
  const std::vector<std::size_t> lanes = label_lanes(spans, label_gap);
  Labels labels{.bottom = strip_bottom};
  for (std::size_t k = 0; k < plan.named.size(); ++k) {
    const HostResult &host = *plan.named[k];
    const Dot &dot = dots[dot_of[k]];
    const VerdictStyle &style = verdict_style(host.verdict);
    const double baseline = strip_bottom + 8.0 + (static_cast<double>(lanes[k]) + 1.0) * lane_height - 4.0;
    labels.drawing += SvgElement("line")
                          .css_class("leader")
                          .attribute("x1", dot.x)
                          .attribute("x2", dot.x)
                          .attribute("y1", dot.y + dot.radius)
                          .attribute("y2", baseline - 10.0)
                          .str();
    labels.drawing += SvgElement("text")
                          .css_class("host-label small " + std::string(style.css_class))
                          .attribute("x", spans[k].start)
                          .attribute("y", baseline)
                          .attribute("data-name", host.host)
                          .text(host.host, longest_host_shown)
                          .text(" " + std::string(style.word))
                          .str();
    labels.bottom = std::max(labels.bottom, baseline + 4.0);
  }
  if (plan.not_named > 0) {
    labels.bottom += lane_height;
    labels.drawing += SvgElement("text")
                          .css_class("small")
                          .attribute("x", plot_left)
                          .attribute("y", labels.bottom - 4.0)
                          .text("and " + count_text(plan.not_named) +
                                " more hosts, in the list of slow hosts and the table below")
                          .str();
  }
  return labels;
}

std::string stratum_heading(const StratumPlan &plan) {
  const compare::Stratum &stratum = *plan.stratum;
  std::string summary = counted(plan.hosts.size(), "host", "hosts");
  if (std::isfinite(stratum.median)) {
    summary += " \u00b7 median M = " + rate_text(stratum.median) + " megaWhets/second";
  }
  if (plan.judged) {
    summary += " \u00b7 " + count_text(plan.slow) + " slow \u00b7 " + count_text(plan.fast) + " fast";
  } else {
    summary += " \u00b7 unjudged: " + stratum.unjudged_because;
  }
  return "<h3 class=\"name\">" + html_text(stratum.name) + "</h3>\n<p class=\"summary\">" +
         html_text(summary) + "</p>\n";
}

std::string stratum_chart(const StratumPlan &plan, const compare::Settings &settings) {
  const Scale scale(plan.axis, plot_left, plot_right);
  const double strip_bottom = strip_top + strip_height(plan);
  const std::vector<Dot> dots = dots_of(plan, scale);
  const Labels labels = host_labels(plan, dots, strip_bottom);
  const double axis_top = labels.bottom + 6.0;
  std::string drawing = plan.has_band ? band_mark(plan, settings, scale) : std::string();
  drawing += axis_drawing(plan.axis, scale,
                          {.left = plot_left,
                           .right = plot_right,
                           .grid_top = strip_top,
                           .grid_bottom = strip_bottom,
                           .labels_baseline = axis_top + 12})
                 .str();
  drawing += SvgElement("text")
                 .css_class("small axis-caption")
                 .attribute("x", (plot_left + plot_right) / 2)
                 .attribute("y", axis_top + 28)
                 .attribute("text-anchor", "middle")
                 .text("steady rate, megaWhets/second")
                 .str();
  drawing += labels.drawing + host_marks(plan, dots);
  // Over the dots, which crowd around it most.
  if (std::isfinite(plan.stratum->median)) {
    drawing += median_mark(*plan.stratum, scale, strip_bottom);
  }
  return chart_svg("chart stratum", axis_top + 36.0,
                   "Each host of the stratum " + plan.stratum->name + " at its steady rate")
      .attribute("data-stratum", plan.stratum->name)
      .children(drawing)
      .str();
}

} // namespace

std::string fleet_chart(const compare::Comparison &comparison) {
  std::string chart;
  for (const StratumPlan &plan : fleet_plan(comparison)) {
    chart += "<section class=\"stratum\">\n" + stratum_heading(plan) +
             stratum_chart(plan, comparison.settings) + "</section>\n";
  }
  return chart;
}

std::string fleet_chart_legend(const compare::Settings &settings) {
  const std::string percent = setting_text(settings.slow_percent);
  const auto dot = [](std::string_view css_class, double radius) {
    return legend_swatch(
        SvgElement("circle").css_class(css_class).attribute("cx", 8.0).attribute("cy", 6.0).attribute(
            "r", radius));
  };
  return "<ul class=\"legend\">\n<li>" + dot("host ok", 3.5) + "ok</li>\n<li>" + dot("host slow", 4.5) +
         "slow: " + percent + " % or more below M and apart from the stratum (modified z-score below " +
         minus_outlier_z() + ")</li>\n<li>" + dot("host fast", 4.5) + "fast: the same, above M</li>\n<li>" +
         dot("host unjudged", 3.5) + "unjudged: fewer than " +
         counted(compare::least_hosts_to_judge, "host", "hosts") + " in the stratum</li>\n<li>" +
         legend_swatch(SvgElement("line")
                           .css_class("stratum-median")
                           .attribute("x1", 8.0)
                           .attribute("x2", 8.0)
                           .attribute("y1", 0.0)
                           .attribute("y2", 12.0)) +
         "M: the stratum\u2019s median</li>\n<li>" +
         legend_swatch(SvgElement("rect")
                           .css_class("slow-band")
                           .attribute("x", 0.0)
                           .attribute("y", 0.0)
                           .attribute("width", 16.0)
                           .attribute("height", 12.0)) +
         "the slow band: " + percent + " % or more below M</li>\n</ul>\n";
}

} // namespace compare_output
