#include "compare_output/html_page.h"

#include "compare/keys.h"
#include "compare_output/fleet_chart.h"
#include "compare_output/group_chart.h"
#include "output/html_tables.h"
#include "output/html_text.h"
#include "output/number_text.h"
#include "output/page_frame.h"
#include "output/verdict_style.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace compare_output {

using output::count_text;
using output::html_attribute;
using output::html_list;
using output::html_table;
using output::html_text;
using output::page_frame;
using output::setting_text;
using output::verdict_style;
using output::VerdictStyle;

namespace {

using compare::Comparison;
using compare::Verdict;

// With more rows than this, a table starts folded, so that the charts and
// the verdicts stay near the top of the page.
constexpr std::size_t most_rows_unfolded = 100;

std::size_t record_count(const Comparison &comparison) {
  std::size_t records = 0;
  for (const compare::GroupResult &group : comparison.groups) {
    records += group.records.size();
  }
  return records;
}

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
  return count_text(count) + " " + std::string(count == 1 ? one : many);
}

std::string page_title(const Comparison &comparison) {
  if (comparison.settings.fleet) {
    return "megawhets compare: a fleet of " + plural(comparison.hosts.size(), "host", "hosts");
  }
  return "megawhets compare: " + plural(comparison.groups.size(), "group", "groups") + ", " +
         plural(record_count(comparison), "record", "records");
}

std::string grouping_words(const Comparison &comparison) {
  const compare::Settings &settings = comparison.settings;
  std::string words;
  if (settings.fleet) {
    words =
        "Each host is judged against its stratum, the hosts with the same processor, build and copies: slow "
        "when its steady rate is " +
        setting_text(settings.slow_percent) +
        " % or more below the stratum\u2019s median M and it stands apart from its stratum. ";
  }
  if (!settings.keys.empty()) {
    words += "Records are grouped by ";
    for (std::size_t k = 0; k < settings.keys.size(); ++k) {
      words += std::string(k == 0 ? "" : ", ") + std::string(compare::key_name(settings.keys[k]));
    }
    words += ". ";
  }
  const auto base = std::find_if(comparison.groups.begin(), comparison.groups.end(),
                                 [](const compare::GroupResult &group) { return group.base; });
  if (base != comparison.groups.end()) {
    words += "The base is " + (base->name.empty() ? std::string("all records") : base->name) +
             "; each other group is judged against it by a two-sided Mann\u2013Whitney U test at \u03b1 = " +
             setting_text(settings.alpha) + ".";
  }
  return words;
}

std::string page_header(const Comparison &comparison) {
  return "<header>\n<h1>" + html_text(page_title(comparison)) + "</h1>\n<p class=\"summary\">" +
         html_text(grouping_words(comparison)) + "</p>\n</header>\n";
}

std::string verdict_chips(const Comparison &comparison) {
  std::string chips =
      "<p class=\"verdicts\">" + html_text(plural(comparison.hosts.size(), "host", "hosts") + ":") + " ";
  for (const Verdict verdict : {Verdict::ok, Verdict::slow, Verdict::fast, Verdict::unjudged}) {
    const auto count = static_cast<std::size_t>(
        std::count_if(comparison.hosts.begin(), comparison.hosts.end(),
                      [&](const compare::HostResult &host) { return host.verdict == verdict; }));
    const VerdictStyle &style = verdict_style(verdict);
    chips += "<span class=\"chip " + std::string(style.css_class) + "\">" + count_text(count) + " " +
             html_text(style.word) + "</span> ";
  }
  return chips + "</p>\n";
}

// The slow hosts, each name its own element, as the text output's last line
// lists them.
std::string names(const std::vector<std::string> &hosts) {
  std::string list;
  for (std::size_t k = 0; k < hosts.size(); ++k) {
    list += std::string(k == 0 ? "" : ", ") + "<span class=\"name slow-text\"" +
            html_attribute("data-name", hosts[k]) + ">" + html_text(hosts[k]) + "</span>";
  }
  return list;
}

// The slow hosts, each name its own element, as the text output's last line
// lists them; and apart from them, those whose names no host name has.
std::string slow_host_list(const Comparison &comparison, std::string_view css_class) {
  std::string list = "<p class=\"" + std::string(css_class) + "\">Slow hosts: " +
                     (comparison.slow_hosts.empty() ? "none." : names(comparison.slow_hosts)) + "</p>\n";
  if (!comparison.slow_hosts_apart.empty()) {
    list += "<p class=\"slow-apart\">" + html_text(slow_hosts_apart_title) + " " +
            names(comparison.slow_hosts_apart) + "</p>\n";
  }
  return list;
}

std::string fleet_section(const Comparison &comparison) {
  return "<section id=\"fleet\">\n<h2>The fleet, host by host</h2>\n" + verdict_chips(comparison) +
         slow_host_list(comparison, "slow-list") + fleet_chart_legend(comparison.settings) +
         fleet_chart(comparison) + "</section>\n";
}

std::string groups_section(const Comparison &comparison) {
  std::string section = "<section id=\"groups\">\n<h2>Groups</h2>\n";
  const std::string chart = group_chart(comparison);
  if (!chart.empty()) {
    return section + group_chart_legend(comparison.settings.fleet) + chart + "</section>\n";
  }
  if (comparison.groups.empty()) {
    return section + "<p>No record could be compared.</p>\n</section>\n";
  }
  section += "<p class=\"chart-left-out\">The " + count_text(comparison.groups.size()) +
             " groups are too many for a chart to be read at a glance: the table below holds every one";
  section += comparison.settings.fleet
                 ? ", and the strip charts above show each host against its peers.</p>\n"
                 : ".</p>\n";
  return section + "</section>\n";
}

std::string folded_when_long(std::string_view summary, std::size_t rows, const std::string &table) {
  return std::string(rows > most_rows_unfolded ? "<details>" : "<details open>") + "<summary>" +
         html_text(summary) + "</summary>\n" + table + "</details>\n";
}

std::string tables_section(const Tables &tables) {
  std::string section = "<section id=\"tables\">\n<h2>Tables</h2>\n";
  section += folded_when_long("Groups: " + count_text(tables.groups.rows.size()), tables.groups.rows.size(),
                              html_table(tables.groups));
  if (!tables.hosts.rows.empty()) {
    section += folded_when_long("Hosts: " + count_text(tables.hosts.rows.size()), tables.hosts.rows.size(),
                                html_table(tables.hosts));
  }
  if (!tables.notes.empty()) {
    section += html_list(tables.notes, "notes");
  }
  if (!tables.legend.empty()) {
    section += "<h3>How to read the tables</h3>\n" + html_list(tables.legend, "notes");
  }
  return section + "</section>\n";
}

// Records left out, and copies of runs counted once, as the tables list them.
std::string excluded_section(const Tables &tables) {
  if (tables.excluded.empty()) {
    return {};
  }
  return "<section id=\"excluded\">\n<h2>Records left out</h2>\n" + html_list(tables.excluded, "excluded") +
         "</section>\n";
}

} // namespace

std::string html_page(const Comparison &comparison, const Tables &tables) {
  std::string body = page_header(comparison);
  if (comparison.settings.fleet) {
    body += fleet_section(comparison);
  }
  body += groups_section(comparison) + tables_section(tables) + excluded_section(tables);
  if (comparison.settings.fleet) {
    body += slow_host_list(comparison, "closing");
  }
  return page_frame(page_title(comparison), body);
}

} // namespace compare_output
