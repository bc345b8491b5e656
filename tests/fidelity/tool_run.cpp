#include "tool_run.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace fidelity {

namespace fs = std::filesystem;

TemporaryDirectory::TemporaryDirectory() {
  std::string pattern = (fs::temp_directory_path() / "megawhets-fidelity-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw fs::filesystem_error("cannot create a temporary directory", pattern,
                               std::error_code(errno, std::generic_category()));
  }
  path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string whole_file(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

class FileActions {
public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions &) = delete;
  FileActions &operator=(const FileActions &) = delete;

  posix_spawn_file_actions_t *get() { return &actions_; }

private:
  posix_spawn_file_actions_t actions_;
};

} // namespace

std::string run_tool(const std::vector<std::string> &arguments, const fs::path &output) {
  std::vector<char *> argv;
  for (const std::string &argument : arguments) {
    // posix_spawn takes its arguments as non-const only for compatibility; it
    // does not change them.
    argv.push_back(const_cast<char *>(argument.c_str()));
  }
  argv.push_back(nullptr);
  FileActions actions;
  if (!output.empty()) {
    posix_spawn_file_actions_addopen(actions.get(), 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  const std::string &tool = arguments[0];
  pid_t child = 0;
  if (const int error = posix_spawn(&child, argv[0], actions.get(), nullptr, argv.data(), environ);
      error != 0) {
    return "cannot start " + tool + ": " + std::strerror(error);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      return "cannot wait for " + tool + ": " + std::strerror(errno);
    }
  }
  if (!WIFEXITED(status)) {
    return tool + " was ended by signal " + std::to_string(WTERMSIG(status));
  }
  if (WEXITSTATUS(status) != 0) {
    return tool + " exited with status " + std::to_string(WEXITSTATUS(status));
  }
  return {};
}

} // namespace fidelity
