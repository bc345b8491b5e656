#include "callgrind_run.h"

#include "tool_run.h"

#include <fstream>

namespace fidelity {

CallgrindRun run_under_callgrind(const std::string &valgrind, const std::string &program) {
  const TemporaryDirectory directory;
  const std::filesystem::path dumps = directory.path() / "callgrind.out";
  const std::filesystem::path log = directory.path() / "valgrind.log";
  // The cache simulation is there for its counts of loads and stores; the
  // checker reads only each dump's totals, so source lines are left out.
  const std::vector<std::string> arguments = {
      valgrind,
      "--tool=callgrind",
      "--cache-sim=yes",
      "--callgrind-out-file=" + dumps.string(),
      "--combine-dumps=yes",
      "--dump-line=no",
      "--log-file=" + log.string(),
      program,
  };
  CallgrindRun run;
  run.problem = run_tool(arguments);
  if (!run.problem.empty()) {
    run.problem += "\nvalgrind's log:\n" + whole_file(log);
    return run;
  }
  std::ifstream in(dumps);
  run.dumps = read_dumps(in);
  return run;
}

} // namespace fidelity
