#pragma once

#include <string>
#include <vector>

// Where a command's outputs go, checked against what it reads and against
// each other before any work is done, so that no output ever takes the place
// of an input or of another output.
namespace driver {

struct NamedOutput {
  std::string option; // as the user wrote it: "--html"
  std::string path;   // empty for none; - for standard output
};

struct NamedInput {
  std::string path;
  std::string role; // what it is to the command: "the history", "PROGRAM_A"
};

// The first clash, as one line for standard error, or empty when there is
// none: an output that is the same file as an input (whatever name reaches
// it), or two outputs given the same path (- included: standard output can
// carry only one).
std::string output_clash(const std::vector<NamedOutput> &outputs, const std::vector<NamedInput> &inputs);

} // namespace driver
