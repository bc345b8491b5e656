#include "compare_output/fleet_chart.h"

#include "compare/fleet_judgement.h"
#include "compare_output/chart_scale.h"
#include "compare_output/html_text.h"
#include "compare_output/label_lanes.h"
#include "compare_output/number_text.h"
#include "compare_output/svg_mark.h"
#include "compare_output/verdict_style.h"
#include "report/formatted.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace compare_output {
namespace {

using compare::HostResult;
using compare::Verdict;

constexpr double chart_width = 880.0;
constexpr double plot_left = 30.0;
constexpr double plot_right = chart_width - 30.0;
constexpr double band_label_baseline = 12.0;
constexpr double median_label_baseline = 27.0;
constexpr double strip_top = 34.0;
constexpr double lane_height = 15.0;
constexpr double label_character_width = 6.8; // of 11 px text, erring wide
constexpr double label_gap = 10.0;
constexpr std::size_t longest_name_shown = 40; // on a label; its dot's title holds it whole
constexpr double golden_fraction = 0.6180339887498949;

// The modified z-score below which a host stands apart, with a true minus.
std::string minus_outlier_z() { return "\u2212" + report::formatted("%g", compare::outlier_z); }

// A stratum and its hosts, as the chart takes them.
struct Stratum {
  const compare::Stratum *stratum = nullptr;
  std::string_view name{};
  std::vector<const HostResult *> hosts{};
};

std::vector<Stratum> strata_of(const compare::Comparison &comparison) {
  std::vector<Stratum> strata;
  for (const compare::Stratum &stratum : comparison.strata) {
    strata.push_back({&stratum, stratum.name, {}});
    for (const std::size_t host : stratum.hosts) {
      strata.back().hosts.push_back(&comparison.hosts.at(host));
    }
  }
  return strata;
}

std::size_t count_of(const Stratum &stratum, Verdict verdict) {
  return static_cast<std::size_t>(
      std::count_if(stratum.hosts.begin(), stratum.hosts.end(),
                    [&](const HostResult *host) { return host->verdict == verdict; }));
}

bool judged(const Stratum &stratum) { return count_of(stratum, Verdict::unjudged) < stratum.hosts.size(); }

double stratum_median(const Stratum &stratum) { return stratum.stratum->median; }

double slow_threshold(const Stratum &stratum) { return stratum.stratum->slow_threshold; }

bool has_band(const Stratum &stratum) {
  const double median = stratum_median(stratum);
  return judged(stratum) && std::isfinite(median) && median > 0.0 && std::isfinite(slow_threshold(stratum));
}

Axis stratum_axis(const Stratum &stratum, const compare::Settings &settings) {
  std::vector<double> figures;
  for (const HostResult *host : stratum.hosts) {
    figures.push_back(host->steady);
  }
  figures.push_back(stratum_median(stratum));
  if (has_band(stratum)) {
    figures.push_back(slow_threshold(stratum));
  }
  std::erase_if(figures, [](double figure) { return !std::isfinite(figure); });
  if (figures.empty()) {
    return round_axis(0.0, 1.0);
  }
  const auto [lowest, highest] = std::minmax_element(figures.begin(), figures.end());
  const double margin = (*highest - *lowest) * 0.04;
  return round_axis(*lowest - margin, *highest + margin, 8);
}

double strip_height(const Stratum &stratum) {
  return std::clamp(36.0 + 2.0 * std::sqrt(static_cast<double>(stratum.hosts.size())), 40.0, 110.0);
}

// The hosts a stratum's chart names: slow before fast, the farthest from M
// first, up to most_hosts_named.
std::vector<const HostResult *> named_hosts(const Stratum &stratum) {
  std::vector<const HostResult *> named;
  for (const HostResult *host : stratum.hosts) {
    if (host->verdict == Verdict::slow || host->verdict == Verdict::fast) {
      named.push_back(host);
    }
  }
  const auto distance = [](const HostResult *host) {
    return host->deficit_percent ? std::fabs(*host->deficit_percent) : 0.0;
  };
  std::stable_sort(named.begin(), named.end(), [&](const HostResult *a, const HostResult *b) {
    if ((a->verdict == Verdict::slow) != (b->verdict == Verdict::slow)) {
      return a->verdict == Verdict::slow;
    }
    return distance(a) > distance(b);
  });
  return named;
}

std::string host_title(const HostResult &host, const compare::Stratum &stratum) {
  std::string title = host.host + ": steady rate " + rate_text(host.steady) + " megaWhets/second";
  if (host.deficit_percent && std::isfinite(*host.deficit_percent)) {
    title += ", " + percent_text(-*host.deficit_percent) + " against the stratum's median";
  }
  if (host.modified_z && std::isfinite(*host.modified_z)) {
    title += ", modified z-score " + report::formatted("%.2f", *host.modified_z);
  }
  title += "; " + std::string(verdict_word(host.verdict));
  if (host.verdict == Verdict::unjudged && !stratum.unjudged_because.empty()) {
    title += " (" + stratum.unjudged_because + ")";
  }
  title += "; " + count_text(host.records) + (host.records == 1 ? " record" : " records");
  if (host.warnings > 0) {
    title += ", " + count_text(host.warnings) + (host.warnings == 1 ? " warning" : " warnings");
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
std::vector<Dot> dots_of(const Stratum &stratum, const Scale &scale) {
  const double height = strip_height(stratum);
  std::vector<Dot> dots;
  for (std::size_t k = 0; k < stratum.hosts.size(); ++k) {
    const HostResult &host = *stratum.hosts[k];
    const double across = std::fmod(static_cast<double>(k) * golden_fraction, 1.0);
    dots.push_back(
        {scale.at(host.steady), strip_top + 6.0 + across * (height - 12.0), dot_radius(host.verdict)});
  }
  return dots;
}

std::string host_mark(const HostResult &host, const Dot &dot, const compare::Stratum &stratum) {
  return svg_mark("circle", "host " + std::string(verdict_style(host.verdict).css_class),
                  "cx=\"" + pixels(dot.x) + "\" cy=\"" + pixels(dot.y) + "\" r=\"" + pixels(dot.radius) +
                      "\"",
                  {.kind = "host",
                   .name = host.host,
                   .value = exact_number(host.steady),
                   .title = host_title(host, stratum),
                   .attributes = data_attribute("data-stratum", stratum.name) +
                                 data_attribute("data-verdict", std::string(verdict_word(host.verdict)))});
}

// Drawn from the most common verdict to the rarest, so that the few slow
// and fast hosts lie on top of the many that are ok.
std::string host_marks(const Stratum &stratum, const std::vector<Dot> &dots) {
  std::string marks;
  for (const Verdict verdict : {Verdict::ok, Verdict::unjudged, Verdict::fast, Verdict::slow}) {
    for (std::size_t k = 0; k < stratum.hosts.size(); ++k) {
      if (stratum.hosts[k]->verdict == verdict && std::isfinite(stratum.hosts[k]->steady)) {
        marks += host_mark(*stratum.hosts[k], dots[k], *stratum.stratum);
      }
    }
  }
  return marks;
}

std::string band_mark(const Stratum &stratum, const compare::Settings &settings, const Scale &scale,
                      const Axis &axis) {
  const double threshold = slow_threshold(stratum);
  const double left = scale.at(axis.low);
  const std::string percent = report::formatted("%g", settings.slow_percent);
  return svg_mark(
             "rect", "slow-band",
             "x=\"" + pixels(left) + "\" y=\"" + pixels(strip_top) + "\" width=\"" +
                 pixels(std::max(scale.at(threshold) - left, 0.0)) + "\" height=\"" +
                 pixels(strip_height(stratum)) + "\"",
             {.kind = "slow-band",
              .name = stratum.name,
              .value = exact_number(threshold),
              .title =
                  std::string(stratum.name) + ": the slow band, at or below " + rate_text(threshold) +
                  " megaWhets/second, " + percent +
                  " % or more below the stratum's median; a host in it is slow when it also stands apart "
                  "from its stratum (a modified z-score below " +
                  minus_outlier_z() + ")"}) +
         "<text class=\"slow small\" x=\"" + pixels(left + 3) + "\" y=\"" + pixels(band_label_baseline) +
         "\">slow band: at or below " + rate_text(threshold) + " (" + percent + " % under M)</text>\n";
}

std::string median_mark(const Stratum &stratum, const Scale &scale, double strip_bottom) {
  const double median = stratum_median(stratum);
  const double x = scale.at(median);
  const std::string label = "M = " + rate_text(median);
  const double label_width = static_cast<double>(label.size()) * label_character_width;
  const bool room_right = x + 4 + label_width <= plot_right;
  return svg_mark("line", "stratum-median",
                  "x1=\"" + pixels(x) + "\" x2=\"" + pixels(x) + "\" y1=\"" +
                      pixels(median_label_baseline + 3) + "\" y2=\"" + pixels(strip_bottom) + "\"",
                  {.kind = "stratum-median",
                   .name = stratum.name,
                   .value = exact_number(median),
                   .title = std::string(stratum.name) + ": M, the stratum\u2019s median, " +
                            rate_text(median) + " megaWhets/second"}) +
         "<text class=\"small\" x=\"" + pixels(room_right ? x + 4 : x - 4) + "\" y=\"" +
         pixels(median_label_baseline) + "\"" + (room_right ? "" : " text-anchor=\"end\"") + ">" + label +
         "</text>\n";
}

struct Labels {
  std::string drawing{};
  double bottom = 0.0;
};

// The named hosts' labels below the strip, each joined to its dot by a
// line, in as many lanes as keep them from overlapping.
Labels host_labels(const Stratum &stratum, const std::vector<Dot> &dots, double strip_bottom) {
  const std::vector<const HostResult *> named = named_hosts(stratum);
  const std::size_t shown = std::min(named.size(), most_hosts_named);
  std::vector<LabelSpan> spans;
  std::vector<std::size_t> dot_of;
  for (std::size_t k = 0; k < shown; ++k) {
    const auto at = std::find(stratum.hosts.begin(), stratum.hosts.end(), named[k]);
    dot_of.push_back(static_cast<std::size_t>(at - stratum.hosts.begin()));
    const std::string_view word = verdict_word(named[k]->verdict);
    const double width =
        static_cast<double>(std::min(character_count(named[k]->host), longest_name_shown) + 1 + word.size()) *
        label_character_width;
    const double start =
        std::clamp(dots[dot_of.back()].x - 3.0, plot_left, std::max(plot_left, plot_right - width));
    spans.push_back({start, start + width});
  }
  const std::vector<std::size_t> lanes = label_lanes(spans, label_gap);
  Labels labels{.bottom = strip_bottom};
  for (std::size_t k = 0; k < shown; ++k) {
    const HostResult &host = *named[k];
    const Dot &dot = dots[dot_of[k]];
    const VerdictStyle &standing = verdict_style(host.verdict);
    const double baseline = strip_bottom + 8.0 + (static_cast<double>(lanes[k]) + 1.0) * lane_height - 4.0;
    labels.drawing += "<line class=\"leader\" x1=\"" + pixels(dot.x) + "\" x2=\"" + pixels(dot.x) +
                      "\" y1=\"" + pixels(dot.y + dot.radius) + "\" y2=\"" + pixels(baseline - 10.0) +
                      "\"/>\n";
    labels.drawing += "<text class=\"host-label small " + std::string(standing.css_class) + "\" x=\"" +
                      pixels(spans[k].start) + "\" y=\"" + pixels(baseline) + "\"" +
                      data_attribute("data-name", host.host) + ">" +
                      shortened_html_text(host.host, longest_name_shown) + " " + std::string(standing.word) +
                      "</text>\n";
    labels.bottom = std::max(labels.bottom, baseline + 4.0);
  }
  if (named.size() > shown) {
    labels.bottom += lane_height;
    labels.drawing += "<text class=\"small\" x=\"" + pixels(plot_left) + "\" y=\"" +
                      pixels(labels.bottom - 4.0) + "\">and " + count_text(named.size() - shown) +
                      " more hosts, in the list of slow hosts and the table below</text>\n";
  }
  return labels;
}

std::string axis_drawing(const Axis &axis, const Scale &scale, double grid_bottom, double axis_top) {
  const double step = axis.ticks.size() > 1 ? axis.ticks[1] - axis.ticks[0] : 1.0;
  std::string drawing = "<g class=\"axis\">\n";
  for (const double tick : axis.ticks) {
    const std::string x = pixels(scale.at(tick));
    drawing += "<line x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + pixels(strip_top) + "\" y2=\"" +
               pixels(grid_bottom) + "\"" + data_attribute("data-tick", exact_number(tick)) +
               "/><text class=\"small\" x=\"" + x + "\" y=\"" + pixels(axis_top + 12) +
               "\" text-anchor=\"middle\">" + tick_text(tick, step) + "</text>\n";
  }
  drawing += "<text class=\"small\" x=\"" + pixels((plot_left + plot_right) / 2) + "\" y=\"" +
             pixels(axis_top + 28) + "\" text-anchor=\"middle\">steady rate, megaWhets/second</text>\n</g>\n";
  return drawing;
}

std::string stratum_heading(const Stratum &stratum) {
  std::string summary = count_text(stratum.hosts.size()) + (stratum.hosts.size() == 1 ? " host" : " hosts");
  if (std::isfinite(stratum_median(stratum))) {
    summary += " \u00b7 median M = " + rate_text(stratum_median(stratum)) + " megaWhets/second";
  }
  if (judged(stratum)) {
    summary += " \u00b7 " + count_text(count_of(stratum, Verdict::slow)) + " slow \u00b7 " +
               count_text(count_of(stratum, Verdict::fast)) + " fast";
  } else {
    summary += " \u00b7 unjudged: " + stratum.stratum->unjudged_because;
  }
  return "<h3 class=\"name\">" + html_text(stratum.name) + "</h3>\n<p class=\"summary\">" +
         html_text(summary) + "</p>\n";
}

std::string stratum_chart(const Stratum &stratum, const compare::Settings &settings) {
  const Axis axis = stratum_axis(stratum, settings);
  const Scale scale(axis, plot_left, plot_right);
  const double strip_bottom = strip_top + strip_height(stratum);
  const std::vector<Dot> dots = dots_of(stratum, scale);
  const Labels labels = host_labels(stratum, dots, strip_bottom);
  const double axis_top = labels.bottom + 6.0;
  const double height = axis_top + 36.0;
  std::string chart = "<svg class=\"chart stratum\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                      pixels(chart_width) + " " + pixels(height) + "\" width=\"" + pixels(chart_width) +
                      "\" height=\"" + pixels(height) + "\" role=\"img\"" +
                      data_attribute("aria-label", "Each host of the stratum " + std::string(stratum.name) +
                                                       " at its steady rate") +
                      data_attribute("data-stratum", stratum.name) + ">\n";
  if (has_band(stratum)) {
    chart += band_mark(stratum, settings, scale, axis);
  }
  chart += axis_drawing(axis, scale, strip_bottom, axis_top);
  chart += labels.drawing;
  chart += host_marks(stratum, dots);
  // Over the dots, which crowd around it most.
  if (std::isfinite(stratum_median(stratum))) {
    chart += median_mark(stratum, scale, strip_bottom);
  }
  return chart + "</svg>\n";
}

} // namespace

// The strata a reader should see first come first: those with hosts apart
// from their peers, then the rest, then those too small to judge, of which
// nothing is said; each in the comparison's order. The tables keep it.
std::vector<Stratum> in_reading_order(std::vector<Stratum> strata) {
  const auto rank = [](const Stratum &stratum) {
    if (!judged(stratum)) {
      return 2;
    }
    return count_of(stratum, Verdict::slow) + count_of(stratum, Verdict::fast) > 0 ? 0 : 1;
  };
  std::stable_sort(strata.begin(), strata.end(),
                   [&](const Stratum &a, const Stratum &b) { return rank(a) < rank(b); });
  return strata;
}

std::string fleet_chart(const compare::Comparison &comparison) {
  std::string chart;
  for (const Stratum &stratum : in_reading_order(strata_of(comparison))) {
    chart += "<section class=\"stratum\">\n" + stratum_heading(stratum) +
             stratum_chart(stratum, comparison.settings) + "</section>\n";
  }
  return chart;
}

std::string fleet_chart_legend(const compare::Settings &settings) {
  const std::string percent = report::formatted("%g", settings.slow_percent);
  return "<ul class=\"legend\">\n<li>" +
         legend_swatch("<circle class=\"host ok\" cx=\"8\" cy=\"6\" r=\"3.5\"/>") + "ok</li>\n<li>" +
         legend_swatch("<circle class=\"host slow\" cx=\"8\" cy=\"6\" r=\"4.5\"/>") + "slow: " + percent +
         " % or more below M and apart from the stratum (modified z-score below " + minus_outlier_z() +
         ")</li>\n<li>" + legend_swatch("<circle class=\"host fast\" cx=\"8\" cy=\"6\" r=\"4.5\"/>") +
         "fast: the same, above M</li>\n<li>" +
         legend_swatch("<circle class=\"host unjudged\" cx=\"8\" cy=\"6\" r=\"3.5\"/>") +
         "unjudged: too few hosts in the stratum</li>\n<li>" +
         legend_swatch("<line class=\"stratum-median\" x1=\"8\" x2=\"8\" y1=\"0\" y2=\"12\"/>") +
         "M: the stratum\u2019s median</li>\n<li>" +
         legend_swatch("<rect class=\"slow-band\" x=\"0\" y=\"0\" width=\"16\" height=\"12\"/>") +
         "the slow band: " + percent + " % or more below M</li>\n</ul>\n";
}

} // namespace compare_output
