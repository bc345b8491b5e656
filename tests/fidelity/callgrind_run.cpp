#include "callgrind_run.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace fidelity {
namespace {

namespace fs = std::filesystem;

class TemporaryDirectory {
public:
  TemporaryDirectory() {
    std::string pattern = (fs::temp_directory_path() / "megawhets-fidelity-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw fs::filesystem_error("cannot create a temporary directory", pattern,
                                 std::error_code(errno, std::generic_category()));
    }
    path_ = pattern;
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory &) = delete;
  TemporaryDirectory &operator=(const TemporaryDirectory &) = delete;

  const fs::path &path() const { return path_; }

private:
  fs::path path_;
};

std::string whole_file(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The exit status, or a description of why there is none.
std::string spawn_and_wait(const std::vector<std::string> &arguments, int &exit_status) {
  std::vector<char *> argv;
  for (const std::string &argument : arguments) {
    // posix_spawn takes its arguments as non-const only for compatibility; it
    // does not change them.
    argv.push_back(const_cast<char *>(argument.c_str()));
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  if (const int error = posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ); error != 0) {
    return "cannot start " + arguments[0] + ": " + std::strerror(error);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      return std::string("cannot wait for valgrind: ") + std::strerror(errno);
    }
  }
  if (!WIFEXITED(status)) {
    return "valgrind was ended by signal " + std::to_string(WTERMSIG(status));
  }
  exit_status = WEXITSTATUS(status);
  return {};
}

} // namespace

CallgrindRun run_under_callgrind(const std::string &valgrind, const std::string &program) {
  const TemporaryDirectory directory;
  const fs::path dumps = directory.path() / "callgrind.out";
  const fs::path log = directory.path() / "valgrind.log";
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
  int exit_status = 0;
  run.problem = spawn_and_wait(arguments, exit_status);
  if (run.problem.empty() && exit_status != 0) {
    run.problem = "valgrind exited with status " + std::to_string(exit_status);
  }
  if (!run.problem.empty()) {
    run.problem += "\nvalgrind's log:\n" + whole_file(log);
    return run;
  }
  std::ifstream in(dumps);
  run.dumps = read_dumps(in);
  return run;
}

} // namespace fidelity
