#include "qemu_run.h"

#include "probe_schedule.h"
#include "qemu_log.h"
#include "tool_run.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fidelity {
namespace {

namespace fs = std::filesystem;

// The emulator's words, as a list of string literals.
const std::vector<std::string> qemu = {MEGAWHETS_QEMU};

std::string missing_tools() {
  std::string missing;
  for (const std::string &tool :
       {qemu.front(), std::string(MEGAWHETS_OBJDUMP), std::string(MEGAWHETS_READELF)}) {
    if (tool.empty() || tool.ends_with("-NOTFOUND") || !fs::exists(tool)) {
      missing += (missing.empty() ? "" : ", ") + (tool.empty() ? std::string("a tool") : tool);
    }
  }
  return missing;
}

} // namespace

Measured measure_under_qemu() {
  Measured measured{.blocks = {}, .counts_operations = true, .problem = {}};
  if (const std::string missing = missing_tools(); !missing.empty()) {
    measured.problem = "cannot check the workload: missing " + missing +
                       "; install Debian's qemu-user and binutils for the target and configure again";
    return measured;
  }
  const Architecture architecture = this_architecture();
  const std::string probe = MEGAWHETS_BLOCK_PROBE;
  const TemporaryDirectory directory;
  const fs::path symbols = directory.path() / "symbols";
  const fs::path disassembly = directory.path() / "disassembly";
  const fs::path log = directory.path() / "qemu.log";
  std::vector<std::string> run = qemu;
  run.insert(run.end(), {"-d", "in_asm,exec,nochain", "-D", log.string(), probe});
  for (const auto &[arguments, output] : std::vector<std::pair<std::vector<std::string>, fs::path>>{
           {{MEGAWHETS_READELF, "-sW", probe}, symbols},
           {{MEGAWHETS_OBJDUMP, "-d", "-C", "--no-show-raw-insn", probe}, disassembly},
           {run, directory.path() / "probe.out"}}) {
    if (std::string problem = run_tool(arguments, output); !problem.empty()) {
      measured.problem = problem;
      return measured;
    }
  }
  std::ifstream disassembly_in(disassembly);
  const std::vector<Instruction> program = read_disassembly(disassembly_in, architecture);
  Markers markers;
  for (const auto &[name, entries] : {std::pair{"megawhets_probe_run_begins", &markers.run_begins},
                                      std::pair{"megawhets_probe_run_ends", &markers.run_ends}}) {
    std::ifstream symbols_in(symbols);
    *entries = entry_points(symbols_in, name, architecture);
    if (entries->empty()) {
      measured.problem = std::string("the probe's symbol table has no ") + name;
      return measured;
    }
  }
  std::ifstream log_in(log);
  const LogRuns runs = read_runs(log_in, program, markers);
  if (!runs.problem.empty()) {
    measured.problem = "qemu's log: " + runs.problem;
    return measured;
  }
  if (runs.runs.size() != probe_runs) {
    measured.problem = "qemu's log holds " + std::to_string(runs.runs.size()) + " runs of the probe, not " +
                       std::to_string(probe_runs);
    return measured;
  }
  for (std::size_t index = 0; index < probe_runs; ++index) {
    const ProbeRun probed = probe_run(index);
    measured.blocks[probed.block][probed.iterations] = runs.runs[index];
  }
  return measured;
}

} // namespace fidelity
