#pragma once

#include "driver/option_reading.h"
#include "driver/output_paths.h"

#include <string>
#include <vector>

// Where a command's outputs go: the format of its table, and the files (or
// standard output, given as -) that --json and --html name. Every command
// reads them with the same options and checks them the same way, before
// any work is done.
namespace driver {

struct OutputChoice {
  OutputFormat format = OutputFormat::table;
  bool format_given = false;
  std::string json_path{}; // empty for none; - for standard output
  std::string html_path{}; // empty for none; - for standard output
  bool force = false;      // --force: replace a file even where it holds records, a history or a program
};

// An output that goes to a file: given, and not - for standard output.
bool goes_to_a_file(const std::string &path);

// A structured output given as - takes standard output, and the table then
// goes to standard error beside the messages.
bool standard_output_taken(const OutputChoice &outputs);

// The first reason the outputs cannot be written where they were asked to
// go, as one line for standard error, or empty: an output in the place of an
// input or of another output (`directories` among them), then `placement`
// (a command's own reason, if any), then a file that holds something that
// must not be replaced unasked.
std::string refused_outputs(const OutputChoice &outputs, const std::vector<NamedInput> &inputs,
                            const std::vector<NamedOutput> &directories = {},
                            const std::string &placement = {});

// Writes `text` to a new file beside `path`, which takes its name only once
// it is whole. False, with the reason on standard error, when it could not.
bool write_whole_file(const std::string &path, const std::string &text, const char *what);

// What a command writes where its OutputChoice says: its table, and the
// documents --json and --html asked for (empty where not asked).
struct Documents {
  std::string table;
  std::string json{};
  std::string page{};
  const char *what; // what the table and the JSON are, for a message: "the comparison"
};

// The files first, so that a standard output that fails (a full disk, a
// closed pipe) does not cost what they keep; then the table, on standard
// output unless a document given as - takes that place, when the table
// goes to standard error; then that document. False, with the reasons on
// standard error, when any of them could not be written.
bool write_documents(const OutputChoice &outputs, const Documents &documents);

std::string take_format(const OptionValue &given, OutputChoice &outputs);
std::string take_json(const OptionValue &given, OutputChoice &outputs);
std::string take_html(const OptionValue &given, OutputChoice &outputs);

// The options of the outputs, for any command that reads them into a
// member `outputs`.
template <class Reading>
constexpr OptionRule<Reading> format_option{
    "--format", Takes::value,
    [](const OptionValue &given, Reading &reading) { return take_format(given, reading.outputs); }};
template <class Reading>
constexpr OptionRule<Reading> json_option{
    "--json", Takes::value,
    [](const OptionValue &given, Reading &reading) { return take_json(given, reading.outputs); }};
template <class Reading>
constexpr OptionRule<Reading> html_option{
    "--html", Takes::value,
    [](const OptionValue &given, Reading &reading) { return take_html(given, reading.outputs); }};
template <class Reading>
constexpr OptionRule<Reading> force_option{"--force", Takes::nothing,
                                           [](const OptionValue &, Reading &reading) {
                                             reading.outputs.force = true;
                                             return std::string();
                                           }};
template <class Reading>
constexpr OptionRule<Reading> strict_option{"--strict", Takes::nothing,
                                            [](const OptionValue &, Reading &reading) {
                                              reading.strict = true;
                                              return std::string();
                                            }};

} // namespace driver
