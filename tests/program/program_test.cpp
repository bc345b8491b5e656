// The built program, run through pipes and through a pseudo-terminal.

#include "program_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using program_runner::Environment;

const std::string inner_prompt = "Number of inner loops (suggest more than 3): ";
const std::string outer_prompt = "Number of outer loops (suggest more than 1): ";
const std::string raw_rule = std::string(51, '\xCD');
const std::string context_start = "megawhets 1.0.0: " MEGAWHETS_EXPECTED_COMPILER ", ";
const std::string interference_start = "megawhets: warning: pass ";

// A run says what produced it, and nothing more, unless the machine was busy
// enough to disturb a pass or a pass had too little work to be judged.
void expect_context_line_only(const std::string &err) {
  EXPECT_EQ(err.rfind(context_start, 0), 0U) << err;
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.back(), '\n');
  for (auto line = err.find('\n') + 1; line < err.size(); line = err.find('\n', line) + 1) {
    const std::string text = err.substr(line, err.find('\n', line) - line);
    EXPECT_EQ(text.rfind(interference_start, 0), 0U) << err;
    EXPECT_TRUE(text.find("had the processor for only") != std::string::npos ||
                text.find("groups of outer iterations, too few") != std::string::npos)
        << err;
  }
}

std::string utf8_rule() {
  std::string rule;
  for (int i = 0; i < 51; ++i) {
    rule += "\xE2\x95\x90";
  }
  return rule;
}

bool is_figure(const std::string &token) {
  const std::string unsigned_part = !token.empty() && token[0] == '-' ? token.substr(1) : token;
  if (unsigned_part == "inf" || unsigned_part == "nan") {
    return true;
  }
  const auto point = unsigned_part.find('.');
  return point != std::string::npos && point > 0 && unsigned_part.size() - point == 3 &&
         unsigned_part.find_first_not_of("0123456789.") == std::string::npos;
}

// Replaces every printed figure (after "=", and the advice's whole seconds)
// with '#', after checking that each fills at least its eight-character field.
std::string mask_figures(const std::string &report) {
  std::string masked;
  std::size_t i = 0;
  while (i < report.size()) {
    masked += report[i];
    if (report[i] != '=' && report.compare(i + 1 - std::min<std::size_t>(i + 1, 5), 5, "TIME(") != 0) {
      ++i;
      continue;
    }
    const std::size_t start = i + 1;
    const std::size_t token_start = std::min(report.find_first_not_of(' ', start), report.size());
    const std::size_t end =
        std::min(report.find_first_not_of("-0123456789.infa", token_start), report.size());
    const std::string field = report.substr(start, end - start);
    const std::string token = report.substr(token_start, end - token_start);
    const bool whole_seconds =
        report[i] == '(' && !token.empty() && token.find_first_not_of("0123456789") == std::string::npos;
    if (whole_seconds || is_figure(token)) {
      if (!whole_seconds) {
        EXPECT_GE(field.size(), 8U) << "figure narrower than its field: " << field;
      }
      masked += '#';
      i = end;
    } else {
      ++i;
    }
  }
  return masked;
}

std::string expected_pass(int pass, const char *counts) {
  return "\n\n Pass #  " + std::to_string(pass) + ":" + counts + "\n" + raw_rule +
         "\nElapsed time =# seconds\nWhetstones   =# double-precision megaWhets/second";
}

TEST(Program, ReportsBothPassesByteForByte) {
  const auto run = program_runner::run_through_pipes("10 5\n");
  EXPECT_EQ(run.exit_status, 0);
  expect_context_line_only(run.err);
  EXPECT_EQ(
      mask_figures(run.out),
      inner_prompt + outer_prompt + expected_pass(1, "     5 outer loop(s),   10 inner loop(s)") +
          expected_pass(2, "     5 outer loop(s),   20 inner loop(s)") +
          "\n\n Time error  =# seconds\n Whet error  =# megawhets/sec\n %    error  =# % whet error\n\n\a"
          "\nTIME(#) is less than 10 seconds -- suggest larger inner loop");
}

TEST(Program, CountsMayComeOnSeparateLinesAfterBlankOnes) {
  const auto run = program_runner::run_through_pipes("\n\n  3\n\n  2\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find(" Pass #  2:     2 outer loop(s),    6 inner loop(s)"), std::string::npos);
}

TEST(Program, DoublingTheInnerCountWrapsIn32Bits) {
  // No outer iterations, so the huge pass 2 count costs nothing to run.
  const auto run = program_runner::run_through_pipes("1073741824 0\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find(" Pass #  1:     0 outer loop(s),1073741824 inner loop(s)"), std::string::npos);
  EXPECT_NE(run.out.find(" Pass #  2:     0 outer loop(s),-2147483648 inner loop(s)"), std::string::npos);
}

TEST(Program, PipesGetRawRuleBytesWhateverTheLocale) {
  const auto run = program_runner::run_through_pipes("1 1\n", {{"LC_ALL=C.UTF-8"}, {}});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find("\n" + raw_rule + "\n"), std::string::npos);
}

struct BadInputCase {
  const char *input;
  const char *message;
  int prompts_written;
};

class BadInput : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(BadInput, ExitsWithOneLineAndRunsNoPass) {
  const BadInputCase &c = GetParam();
  const auto run = program_runner::run_through_pipes(c.input);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, c.message);
  EXPECT_EQ(run.out, c.prompts_written == 1 ? inner_prompt : inner_prompt + outer_prompt);
}

const char not_integer_inner[] = "megawhets: the inner loop count is not a decimal integer: it starts with "
                                 "'ten'; expected digits with an optional sign\n";

// What a count that is not an integer starts with is named, and for the
// outer count, what the inner count was read as: "1e3" is an inner count of
// 1 followed by an outer count of "e3", which the message says was left over
// from what was typed as the inner count.
INSTANTIATE_TEST_SUITE_P(
    Classes, BadInput,
    ::testing::Values(
        BadInputCase{"ten\n", not_integer_inner, 1},
        BadInputCase{"+\n5\n",
                     "megawhets: the inner loop count is not a decimal integer: it starts with '+'; expected "
                     "digits with an optional sign\n",
                     1},
        BadInputCase{"10 x\n",
                     "megawhets: the outer loop count is not a decimal integer: it starts with 'x', after the "
                     "inner loop count was read as 10; expected digits with an optional sign\n",
                     2},
        BadInputCase{"1e3\n",
                     "megawhets: the inner loop count was read as 1 and the rest, 'e3', was left for the outer "
                     "loop count, which is not a decimal integer; expected digits with an optional sign\n",
                     2},
        BadInputCase{"20k\n",
                     "megawhets: the inner loop count was read as 20 and the rest, 'k', was left for the outer "
                     "loop count, which is not a decimal integer; expected digits with an optional sign\n",
                     2},
        BadInputCase{"10.5 2\n",
                     "megawhets: the inner loop count was read as 10 and the rest, '.5', was left for the outer "
                     "loop count, which is not a decimal integer; expected digits with an optional sign\n",
                     2},
        BadInputCase{
            "", "megawhets: input ended before the inner loop count was given; expected a decimal integer\n",
            1},
        BadInputCase{
            "10\n",
            "megawhets: input ended before the outer loop count was given; expected a decimal integer\n", 2},
        BadInputCase{
            "2147483648 1\n",
            "megawhets: the inner loop count is out of range; expected an integer from -2147483648 to "
            "2147483647\n",
            1},
        BadInputCase{
            "1 -2147483649\n",
            "megawhets: the outer loop count is out of range; expected an integer from -2147483648 to "
            "2147483647\n",
            2}));

TEST(Program, UnwritableReportIsAFailure) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "Windows has no counterpart of /dev/full";
  }
  const auto run = program_runner::run_program({.input = "1 1\n", .output_path = "/dev/full"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "megawhets: cannot write the report to standard output: No space left on device\n");
}

TEST(Program, ReadErrorIsNotTheEndOfInput) {
  const auto run = program_runner::run_program({.input_path = "/"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, inner_prompt);
  // Windows' C library has no reason of its own for a directory.
  const std::string reason = program_runner::windows_program ? "Invalid argument" : "Is a directory";
  EXPECT_EQ(run.err, "megawhets: cannot read the inner loop count from standard input: " + reason + "\n");
}

TEST(Program, ErrorsSharingTheOutputStartOnALineOfTheirOwn) {
  if (program_runner::windows_program) {
    // Wine gives each standard stream an object of its own even when they
    // are one pipe, so the program cannot tell.
    GTEST_SKIP() << "Wine hides that standard output and error are one pipe";
  }
  const auto failed = program_runner::run_program({.input = "ten\n", .error_into_output = true});
  EXPECT_EQ(failed.out, inner_prompt + "\n" + not_integer_inner);
  const auto completed = program_runner::run_program({.input = "1 1\n", .error_into_output = true});
  EXPECT_NE(completed.out.find("suggest larger inner loop\n" + context_start), std::string::npos);
}

TEST(Program, WarnsOfSubnormalValuesForThePassAboveTheLimitOnly) {
  const auto run = program_runner::run_through_pipes("200000 0\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.err.find("\nmegawhets: warning: pass 2's inner count 400000 is above 327583"),
            std::string::npos);
  EXPECT_EQ(run.err.find("pass 1's"), std::string::npos) << run.err;
}

TEST(Program, WarnsWhenAnotherProcessTookTheProcessor) {
  // Windows' process times move in steps of 15.6 ms, so only a pass of
  // 1.6 s or more is judged there.
  const std::string counts = program_runner::windows_program ? "20000 10\n" : "1000 10\n";
  const auto run = program_runner::run_program({.input = counts, .beside_busy_process = true});
  EXPECT_EQ(run.exit_status, 0);
  for (const char *pass : {"pass 1", "pass 2"}) {
    EXPECT_NE(run.err.find(std::string("megawhets: warning: ") + pass + " had the processor for only"),
              std::string::npos)
        << run.err;
  }
}


#ifdef MEGAWHETS_EMULATOR
constexpr bool emulated = true;
#else
constexpr bool emulated = false;
#endif

// A directory of the test's own, empty, under the system's place for them.
std::string scratch_directory(const std::string &name) {
  const std::filesystem::path directory = std::filesystem::path(::testing::TempDir()) / ("megawhets-" + name);
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  return directory.string() + "/";
}

std::string file_text(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Whether the record is valid under its schema and gives every figure the
// report printed beside it, to its two decimals (record_check.py says what
// differs).
bool record_agrees_with_report(const std::string &record_path, const std::string &report,
                               const std::string &directory) {
  const std::string report_path = directory + "report.txt";
  write_file(report_path, report);
  std::string command;
  for (const char *word : {MEGAWHETS_RECORD_CHECK}) {
    command += std::string("'") + word + "' ";
  }
  return std::system((command + "'" + record_path + "' '" + report_path + "'").c_str()) == 0;
}

TEST(Record, AgreesWithItsSchemaAndTheReport) {
  const std::string directory = scratch_directory("record");
  const std::string path = directory + "run.json";
  // Four groups a pass: too few to judge steadiness, so no warning depends
  // on the machine's speed.
  const auto run = program_runner::run_program(
      {.input = "1000 4\n", .arguments = {"--json", path, "--label", "BIOS C-states off"}});
  EXPECT_EQ(run.exit_status, 0);
  expect_context_line_only(run.err);
  EXPECT_TRUE(record_agrees_with_report(path, run.out, directory));
  // The host is named as its system names it, which Wine takes from Linux.
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  const std::string record = file_text(path);
  EXPECT_NE(record.find("\n  \"label\": \"BIOS C-states off\",\n"), std::string::npos) << record;
  EXPECT_NE(record.find("\n    \"host_name\": \"" + std::string(host) + "\",\n"), std::string::npos) << record;
}

TEST(Record, TakesStandardOutputAndSendsTheRestToStandardError) {
  const std::string directory = scratch_directory("record-on-standard-output");
  const auto run = program_runner::run_program({.input = "10 3\n", .arguments = {"--json", "-"}});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out.substr(0, 2), "{\n");
  EXPECT_EQ(run.err.rfind(inner_prompt + outer_prompt + "\n\n Pass #  1:", 0), 0U) << run.err;
  EXPECT_NE(run.err.find("suggest larger inner loop\n" + context_start), std::string::npos) << run.err;
  write_file(directory + "run.json", run.out);
  EXPECT_TRUE(record_agrees_with_report(directory + "run.json", run.err, directory));
}

TEST(Record, CountsChosenByAutoGetNoAdviceToEnlargeThem) {
  // One second asked for: well under the 10 that typed counts are advised
  // to reach, but the counts are the program's, not the user's.
  const std::string directory = scratch_directory("auto-advice");
  const auto run = program_runner::run_program({.arguments = {"--auto=1", "--json", directory + "run.json"}});
  EXPECT_EQ(run.exit_status, 0);
  const std::string end = " % whet error\n\n\a";
  EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), end.size())), end) << run.out;
  EXPECT_TRUE(record_agrees_with_report(directory + "run.json", run.out, directory));
}

TEST(Record, AnUnwritablePlaceFailsBeforeAnythingRuns) {
  const auto run =
      program_runner::run_program({.input = "10 3\n", .arguments = {"--json", "/nonexistent-megawhets/run.json"}});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("megawhets: cannot write the run record to '/nonexistent-megawhets/run.json': ", 0), 0U)
      << run.err;
}

TEST(Record, AnInterruptedRunLeavesTheOlderFileAndNothingElse) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "a Windows program is stopped by its console, not by SIGTERM";
  }
  const std::string directory = scratch_directory("interrupted");
  const std::string path = directory + "run.json";
  write_file(path, "an older record\n");
  const auto run = program_runner::run_program(
      {.input = "1000 100000\n",
       .arguments = {"--json", path},
       .once_written = "Pass #  1:",
       .then = [](int program) { kill(program, SIGTERM); }});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(file_text(path), "an older record\n");
  const auto entries = std::distance(std::filesystem::directory_iterator(directory), {});
  EXPECT_EQ(entries, 1);
  const std::string note = "\nmegawhets: the run was interrupted during pass 1; '" + path +
                           "' keeps what it held before the run\n";
  EXPECT_EQ(run.err.substr(run.err.size() - std::min(run.err.size(), note.size())), note) << run.err;
}

TEST(Program, WarnsOfAChangeOfSpeedExactlyWhenItsFiguresShowOne) {
  // Each pass is read in ten groups of one outer iteration. Whether the
  // machine's speed holds cannot be arranged, so the warnings are held to
  // the figures the record gives: none on a steady pass, as on a quiet
  // machine, and one on a pass that fell too far below its fastest group.
  const std::string directory = scratch_directory("steadiness");
  const auto run =
      program_runner::run_program({.input = "1000 10\n", .arguments = {"--json", directory + "run.json"}});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_TRUE(record_agrees_with_report(directory + "run.json", run.out, directory));
}

struct StatusCase {
  std::vector<std::string> arguments;
  const char *input;
  int exit_status;
};

class ExitStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ExitStatus, TellsAutomationWhetherToTrustTheRun) {
  const auto run = program_runner::run_program({.input = GetParam().input, .arguments = GetParam().arguments});
  EXPECT_EQ(run.exit_status, GetParam().exit_status) << run.err;
}

// Pass 2 of "200000 0" warns of subnormal values whatever the machine does,
// and the passes of "1 1" are too short to judge: --strict vouches for
// neither.
INSTANTIATE_TEST_SUITE_P(Runs, ExitStatus,
                         ::testing::Values(StatusCase{{"--strict"}, "200000 0\n", 4},
                                           StatusCase{{}, "200000 0\n", 0},
                                           StatusCase{{"--strict", "--json", "-"}, "1 1\n", 4},
                                           StatusCase{{"--json", "-"}, "1 1\n", 0}));

struct AutoRun {
  double seconds = 0;     // both passes together
  bool disturbed = false; // the run says other work took processor time or speed from a pass
};

// Long enough that the passes' start is a small share of the seconds asked
// for, and short enough that three tries cost under half a minute, in each
// of the builds this runs in.
constexpr double auto_seconds = 5.0;

// An --auto=5 run, once its dialogue has shown the chosen counts as if
// typed.
AutoRun auto_run() {
  const auto run = program_runner::run_program({.arguments = {"--auto=5"}});
  EXPECT_EQ(run.exit_status, 0);
  int inner = 0;
  int outer = 0;
  const std::string dialogue = inner_prompt + "%d\n" + outer_prompt + "%d\n\n\n Pass";
  EXPECT_EQ(std::sscanf(run.out.c_str(), dialogue.c_str(), &inner, &outer), 2) << run.out;
  AutoRun outcome;
  for (auto at = run.out.find("Elapsed time ="); at != std::string::npos;
       at = run.out.find("Elapsed time =", at + 1)) {
    outcome.seconds += std::strtod(run.out.c_str() + at + 14, nullptr);
  }
  outcome.disturbed = run.err.find("had the processor for only") != std::string::npos ||
                      run.err.find("below its fastest group") != std::string::npos;
  return outcome;
}

TEST(TimedProgram, AutoFillsTheSecondsAskedForAndShowsTheCountsAsTyped) {
  if (emulated) {
    GTEST_SKIP() << "an emulator's speed changes as it translates code; the choice is the same code natively";
  }
  // Both passes take 5 to 6.5 seconds when the machine keeps the speed
  // the probe measured. A shared virtual machine's speed has moved by 13 %
  // within a run, so a run outside is tried again; counts chosen wrongly
  // miss every time. A run that says other work disturbed it is no evidence
  // either way.
  AutoRun run;
  const auto within = [](double seconds) { return seconds >= auto_seconds && seconds <= auto_seconds * 1.3; };
  for (int attempt = 0; attempt < 3 && (run.disturbed || !within(run.seconds)); ++attempt) {
    run = auto_run();
  }
  if (run.disturbed) {
    GTEST_SKIP() << "every run was disturbed by other work on this machine";
  }
  EXPECT_GE(run.seconds, auto_seconds);
  EXPECT_LE(run.seconds, auto_seconds * 1.3);
}

// A copy's figures in the line after a pass's results, masked as the
// figures after "=" are.
std::string mask_copy_figures(const std::string &report) {
  return std::regex_replace(report, std::regex("each taking +[-0-9.infa]+ to +[-0-9.infa]+ seconds"),
                            "each taking # to # seconds");
}

TEST(Copies, ReportTheMachinesFiguresAndHowManyRan) {
  const std::string directory = scratch_directory("copies");
  const auto run =
      program_runner::run_program({.input = "10 3\n", .arguments = {"--copies", "2", "--json", directory + "run.json"}});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_TRUE(record_agrees_with_report(directory + "run.json", run.out, directory));
  const std::string copies_line = "\nCopies       =       2, each taking # to # seconds";
  EXPECT_EQ(mask_copy_figures(mask_figures(run.out)),
            inner_prompt + outer_prompt + expected_pass(1, "     3 outer loop(s),   10 inner loop(s)") +
                copies_line + expected_pass(2, "     3 outer loop(s),   20 inner loop(s)") + copies_line +
                "\n\n Time error  =# seconds\n Whet error  =# megawhets/sec\n %    error  =# % whet error\n\n\a"
                "\nTIME(#) is less than 10 seconds -- suggest larger inner loop");
  const std::string context = run.err.substr(0, run.err.find('\n') + 1);
  EXPECT_EQ(context.rfind(context_start, 0), 0U) << run.err;
  EXPECT_NE(context.find("; 2 copies on "), std::string::npos) << run.err;
}

TEST(Copies, AllMeansTheProcessorsThisProcessMayUse) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "Wine does not take the affinity of the process that starts it";
  }
  const auto run =
      program_runner::run_program({.input = "10 1\n", .arguments = {"--copies", "all"}, .on_one_processor = true});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.err.find("; 1 copy on 1 usable processor\n"), std::string::npos) << run.err;
}

// The processes whose command line holds `text`.
std::vector<int> processes_running(const std::string &text) {
  std::vector<int> found;
  for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    const auto command = program_runner::process_file(name, "cmdline");
    if (command && command->find(text) != std::string::npos) {
      found.push_back(std::stoi(name));
    }
  }
  return found;
}

// A long pass, and the copies the program has started, once both are at
// work in it. Under Wine a copy is no child of the program's on Linux's
// side; it is found by the counts its command line carries. A copy killed
// while Wine still starts it is never known to have ended, so the copies are
// acted on only once each has computed for a third of a second, well into
// pass 1 on any machine.
struct LongRunInCopies {
  std::vector<int> copies{};

  std::vector<int> copies_of(int program) const {
    return program_runner::windows_program ? processes_running(",1000,99991,")
                                           : program_runner::child_processes(program);
  }

  bool at_work() const {
    return copies.size() == 2 && std::all_of(copies.begin(), copies.end(), [](int copy) {
             return program_runner::processor_ticks(copy) >= 33;
           });
  }

  program_runner::Outcome run(std::function<void(int program, const std::vector<int> &copies)> act) {
    return program_runner::run_program(
        {.input = "1000 99991\n", .arguments = {"--copies", "2"}, .once_written = "Pass #  1:", .then = [&](int program) {
           for (int wait = 0; wait < 12000 && !at_work(); ++wait) {
             std::this_thread::sleep_for(std::chrono::milliseconds(10));
             copies = copies_of(program);
           }
           act(program, copies);
         }});
  }
};

// Whether the process is gone, or ended and waiting to be collected, within
// a few seconds: a process that has closed its files may still be on its way
// out.
bool ends_soon(int pid) {
  for (int wait = 0; wait < 500; ++wait) {
    const auto stat = program_runner::process_file(std::to_string(pid), "stat");
    if (!stat || stat->rfind(')') == std::string::npos || stat->substr(stat->rfind(')') + 2, 1) == "Z") {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(Copies, OneThatDiesEndsTheRunNamingItAndStopsTheOthers) {
  LongRunInCopies long_run;
  const auto run = long_run.run([](int, const std::vector<int> &copies) { kill(copies.at(1), SIGKILL); });
  EXPECT_EQ(run.exit_status, 1);
  // Windows gives a process ended from outside an exit code, not a signal.
  const std::string how = program_runner::windows_program ? "ended with [^,]+" : "was killed by signal 9 \\(Killed\\)";
  EXPECT_TRUE(std::regex_search(run.err, std::regex("(^|\n)megawhets: copy [12] of 2 " + how +
                                                    " during pass 1, so the pass has no result; the other "
                                                    "copies were stopped\n$")))
      << run.err;
  EXPECT_EQ(run.out.find("Elapsed time"), std::string::npos);
  for (const int copy : long_run.copies) {
    EXPECT_TRUE(ends_soon(copy));
  }
}

TEST(Copies, NoneOutlivesTheRunKilledOutright) {
  LongRunInCopies long_run;
  // The copies hold the output pipes too, so the run's outcome comes only
  // once they have ended; copies that outlived it would keep it waiting.
  const auto run = long_run.run([](int program, const std::vector<int> &) { kill(program, SIGKILL); });
  EXPECT_EQ(run.exit_status, -1);
  ASSERT_EQ(long_run.copies.size(), 2U);
  for (const int copy : long_run.copies) {
    EXPECT_TRUE(ends_soon(copy));
  }
}

struct ArgumentCase {
  std::vector<std::string> arguments;
  int exit_status;
  std::string out_start;
  std::string err;
};

class Arguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(Arguments, AnswerWithoutPromptingOrRunningAPass) {
  const ArgumentCase &c = GetParam();
  const auto run = program_runner::run_program({.input = "10 5\n", .arguments = c.arguments});
  EXPECT_EQ(run.exit_status, c.exit_status);
  EXPECT_EQ(run.out.substr(0, c.out_start.size()), c.out_start);
  EXPECT_EQ(run.out.empty(), c.out_start.empty());
  EXPECT_EQ(run.out.find("Number of"), std::string::npos);
  EXPECT_EQ(run.err, c.err);
}

const char bad_copies[] = "' needs a number of copies from 1 to 1024, or all; see 'megawhets --help'\n";
const char see_help[] =
    "': the counts are asked for at the prompts or read from a pipe; see 'megawhets --help'\n";
const std::string see = "; see 'megawhets --help'\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, Arguments,
    ::testing::Values(
        ArgumentCase{{"--help"}, 0, "Usage: megawhets [--json FILE] [--label TEXT] [--auto[=SECONDS]] [--strict]\n", ""},
        ArgumentCase{{"--version"}, 0, "megawhets 1.0.0\n" MEGAWHETS_EXPECTED_COMPILER ", ", ""},
        ArgumentCase{{"20000", "10"}, 2, "", std::string("megawhets: unexpected argument '20000") + see_help},
        ArgumentCase{{"--bogus"}, 2, "", std::string("megawhets: unknown option '--bogus") + see_help},
        ArgumentCase{{"--copies", "0"}, 2, "", std::string("megawhets: option '--copies 0") + bad_copies},
        ArgumentCase{{"--copies", "x"}, 2, "", std::string("megawhets: option '--copies x") + bad_copies},
        ArgumentCase{{"--copies=1025"}, 2, "", std::string("megawhets: option '--copies=1025") + bad_copies},
        ArgumentCase{{"--copies"}, 2, "", std::string("megawhets: option '--copies") + bad_copies},
        // A slip of a letter or two, or an option cut short, is answered with
        // the option meant; GNU's rule for optional values is named.
        ArgumentCase{{"--jsn", "run.json"}, 2, "", "megawhets: unknown option '--jsn' (did you mean --json?)" + see},
        ArgumentCase{{"--copy=2"}, 2, "", "megawhets: unknown option '--copy=2' (did you mean --copies?)" + see},
        ArgumentCase{{"--stric"}, 2, "", "megawhets: unknown option '--stric' (did you mean --strict?)" + see},
        ArgumentCase{{"--lable=x"}, 2, "", "megawhets: unknown option '--lable=x' (did you mean --label?)" + see},
        ArgumentCase{{"--label", std::string(201, 'x')},
                     2,
                     "",
                     "megawhets: option '--label' needs 1 to 200 bytes of UTF-8 text without control characters, "
                     "but the label is 201 bytes long, more than 200" +
                         see},
        ArgumentCase{{"comapre", "x"}, 2, "", "megawhets: unknown command 'comapre' (did you mean compare?)" + see},
        ArgumentCase{{"--json", "run.json", "--label"},
                     2,
                     "",
                     "megawhets: option '--label' needs a label after it, such as --label 'gcc-13 -O3'" + see},
        ArgumentCase{{"--auto", "5"},
                     2,
                     "",
                     "megawhets: unexpected argument '5': an option's optional value is attached with = (did you "
                     "mean --auto=5?)" +
                         see}));

struct TerminalCase {
  const char *locale;
  bool utf8_rule;
};

// Wine's console emulation rewrites what a Windows program writes to a
// terminal, so these cases are for Linux programs only.
class OnTerminal : public ::testing::TestWithParam<TerminalCase> {
protected:
  void SetUp() override {
    if (program_runner::windows_program) {
      GTEST_SKIP() << "no pseudo-terminal for a Windows program";
    }
  }
};

TEST_P(OnTerminal, PromptsBeforeReadingAndDrawsTheRuleForTheLocale) {
  const auto run = program_runner::run_on_terminal(
      inner_prompt, "1\n1\n", {{std::string("LC_ALL=") + GetParam().locale}, {"LANG", "LC_CTYPE"}});
  EXPECT_EQ(run.before_input, inner_prompt);
  EXPECT_EQ(run.exit_status, 0);
  const std::string rule = GetParam().utf8_rule ? utf8_rule() : raw_rule;
  // The terminal turns each line break into a carriage return and line break.
  EXPECT_NE(run.all.find("\r\n" + rule + "\r\nElapsed time ="), std::string::npos);
  EXPECT_NE(run.all.find(outer_prompt), std::string::npos);
  // Numbers keep their decimal point whatever the locale.
  EXPECT_NE(mask_figures(run.all).find("Elapsed time =# seconds"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Locales, OnTerminal,
                         ::testing::Values(TerminalCase{"C.UTF-8", true}, TerminalCase{"C", false}));

TEST(OnTerminal, TheShellPromptAndTheContextLineStartOnLinesOfTheirOwn) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "no pseudo-terminal for a Windows program";
  }
  const auto run = program_runner::run_on_terminal(inner_prompt, "1 1\n", {{"LC_ALL=C"}, {}});
  EXPECT_NE(run.all.find("suggest larger inner loop\r\n" + context_start), std::string::npos) << run.all;
  EXPECT_EQ(run.all.substr(run.all.size() - 2), "\r\n");
}

TEST(OnTerminal, TextOnTheTerminalStartsOnALineOfItsOwnWhenTheReportGoesThroughAPipe) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "no pseudo-terminal for a Windows program";
  }
  // As under `megawhets | tee out.txt`: the pipe gets the report's own bytes,
  // and the terminal, which tee shows the report on, starts the context line
  // on a new line.
  const auto run = program_runner::run_on_terminal(
      {.first_prompt = inner_prompt, .input = "1 1\n", .environment = {{"LC_ALL=C"}, {}}, .output_through_pipe = true});
  EXPECT_EQ(run.exit_status, 0);
  const std::string advice_end = "suggest larger inner loop";
  EXPECT_EQ(run.out.substr(run.out.size() - advice_end.size()), advice_end);
  EXPECT_NE(run.all.find("1 1\r\n\r\n" + context_start), std::string::npos) << run.all;
}

TEST(OnTerminal, CtrlCDuringARecordedRunSaysWhereItStoodOnALineOfItsOwn) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "no pseudo-terminal for a Windows program";
  }
  const std::string directory = scratch_directory("ctrl_c");
  const std::string path = directory + "run.json";
  const auto run = program_runner::run_on_terminal({.first_prompt = inner_prompt,
                                                    .input = "1000 100000\n",
                                                    .environment = {{"LC_ALL=C"}, {}},
                                                    .arguments = {"--json", path},
                                                    .once_shown = "Pass #  1:",
                                                    .then_typed = "\x03"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::is_empty(directory));
  EXPECT_NE(run.all.find("\r\nmegawhets: the run was interrupted during pass 1; no '" + path + "' was written\r\n"),
            std::string::npos)
      << run.all;
}

TEST(OnTerminal, OnlyTheCharacterTypeLocaleCounts) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "no pseudo-terminal for a Windows program";
  }
  const auto run = program_runner::run_on_terminal(
      inner_prompt, "1 1\n", {{"LC_CTYPE=C.UTF-8", "LC_MESSAGES=C"}, {"LC_ALL", "LANG"}});
  EXPECT_NE(run.all.find(utf8_rule()), std::string::npos);
}

} // namespace
