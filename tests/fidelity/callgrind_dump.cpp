#include "callgrind_dump.h"

#include <sstream>
#include <string_view>

namespace fidelity {
namespace {

constexpr std::string_view part_line = "part:";
constexpr std::string_view events_line = "events:";
constexpr std::string_view trigger_line = "desc: Trigger: ";
constexpr std::string_view client_request = "Client Request: ";
// The sum of the costs listed in the part, written after them.
constexpr std::string_view totals_line = "totals:";

std::vector<std::string> words(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::vector<std::string> found;
  for (std::string word; in >> word;) {
    found.push_back(word);
  }
  return found;
}

std::string trigger_of(std::string_view description) {
  if (description.starts_with(client_request)) {
    description.remove_prefix(client_request.size());
  }
  return std::string(description);
}

// The totals line lists one figure for each event, in the order the events
// line names them.
Costs costs_of(const std::vector<std::string> &events, std::string_view totals) {
  const std::vector<std::string> figures = words(totals);
  Costs costs;
  for (std::size_t i = 0; i < events.size() && i < figures.size(); ++i) {
    const std::uint64_t figure = std::stoull(figures[i]);
    if (events[i] == "Ir") {
      costs.instructions = figure;
    } else if (events[i] == "Dr") {
      costs.loads = figure;
    } else if (events[i] == "Dw") {
      costs.stores = figure;
    }
  }
  return costs;
}

} // namespace

std::vector<Dump> read_dumps(std::istream &in) {
  std::vector<Dump> dumps;
  std::vector<std::string> events;
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view text = line;
    if (text.starts_with(part_line)) {
      dumps.emplace_back();
    } else if (text.starts_with(events_line)) {
      events = words(text.substr(events_line.size()));
    } else if (!dumps.empty() && text.starts_with(trigger_line)) {
      dumps.back().trigger = trigger_of(text.substr(trigger_line.size()));
    } else if (!dumps.empty() && text.starts_with(totals_line)) {
      dumps.back().costs = costs_of(events, text.substr(totals_line.size()));
    }
  }
  return dumps;
}

} // namespace fidelity
