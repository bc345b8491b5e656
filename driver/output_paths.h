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

// What an existing file at `path` holds that an output must not replace
// unasked: "run records", "a history" or "a program", read from its first
// bytes; empty for anything else (a page, a comparison's JSON), or no file.
std::string precious_content(const std::string &path);

// The first output whose file holds what precious_content names, as one
// line for standard error, or empty: a flag's value taken for a file name
// (--html runs.json more.json) is refused unless --force says it is meant.
std::string precious_output(const std::vector<NamedOutput> &outputs);

} // namespace driver
