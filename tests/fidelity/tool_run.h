#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Runs the tools the fidelity checks count with (valgrind, qemu, binutils),
// each in a temporary directory that is removed afterwards.
namespace fidelity {

class TemporaryDirectory {
public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory &) = delete;
  TemporaryDirectory &operator=(const TemporaryDirectory &) = delete;

  const std::filesystem::path &path() const { return path_; }

private:
  std::filesystem::path path_;
};

std::string whole_file(const std::filesystem::path &path);

// Runs arguments[0], an absolute path, with standard output going to
// `output` (if not empty), and waits for it. Empty if it exited with status
// 0; otherwise what went wrong.
std::string run_tool(const std::vector<std::string> &arguments, const std::filesystem::path &output = {});

} // namespace fidelity
