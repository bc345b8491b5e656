// Finding and running another program, where it goes wrong: every reason a
// name cannot be started is said, and a program that fails, is killed or
// outstays its time is reported as it ended.

#include "platform/programs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#if !defined(_WIN32)
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Unstartable {
  const char *name;
  const char *path; // under the test's folder, or a bare name
  const char *problem;
};

class ProgramNamed : public ::testing::TestWithParam<Unstartable> {};

TEST_P(ProgramNamed, IsRefusedWithItsReason) {
  const fs::path folder = fs::temp_directory_path() / ("megawhets-programs-" + std::string(GetParam().name));
  fs::remove_all(folder);
  fs::create_directories(folder / "folder");
  std::ofstream(folder / "plain") << "not a program\n";
  const std::string path = GetParam().path;
  const std::string name = path.find('/') == std::string::npos ? path : (folder / path.substr(2)).string();
  const platform::FoundProgram found = platform::find_program(name);
  EXPECT_EQ(found.path, "");
  EXPECT_EQ(found.problem, GetParam().problem);
  fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Names, ProgramNamed,
                         ::testing::Values(Unstartable{"Empty", "", "is an empty name"},
                                           Unstartable{"Absent", "./absent", "does not exist"},
                                           Unstartable{"UnderAFile", "./plain/x", "does not exist"},
                                           Unstartable{"Folder", "./folder", "is a directory"},
                                           Unstartable{"NotExecutable", "./plain", "is not executable"},
                                           Unstartable{"NotOnPath", "megawhets-no-such-program",
                                                       "is not on PATH"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct Ending {
  const char *name;
  const char *script;
  std::chrono::milliseconds longest;
  bool exited;
  int status;
  bool ended_here;
  const char *description;
};

class ProgramEnding : public ::testing::TestWithParam<Ending> {};

TEST_P(ProgramEnding, IsSaidAsItHappened) {
  const platform::FoundProgram shell = platform::find_program("/bin/sh");
  ASSERT_EQ(shell.problem, "");
  platform::StartedProgram program;
  std::string failure;
  ASSERT_TRUE(platform::start_program(shell.path, {"-c", GetParam().script}, {}, program, failure))
      << failure;
  platform::ProgramOutput output;
  platform::StartedProgram *const programs[] = {&program};
  platform::ProgramOutput *const outputs[] = {&output};
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!platform::output_ended(program) && GetParam().longest > 0ms &&
         std::chrono::steady_clock::now() < deadline) {
    platform::collect_output(programs, outputs, 100ms);
  }
  const platform::ProgramEnding ending = platform::wait_for_program(program, GetParam().longest);
  EXPECT_EQ(ending.exited, GetParam().exited);
  EXPECT_EQ(ending.status, GetParam().status);
  EXPECT_EQ(ending.ended_here, GetParam().ended_here);
  EXPECT_EQ(ending.description, GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramEnding,
                         ::testing::Values(Ending{"Success", "exit 0", 60000ms, true, 0, false,
                                                  "ended with status 0"},
                                           Ending{"Failure", "echo out; echo err >&2; exit 3", 60000ms, true,
                                                  3, false, "ended with status 3"},
                                           Ending{"Killed", "kill -SEGV $$", 60000ms, false, 0, false,
                                                  "was killed by signal 11 (Segmentation fault)"},
                                           Ending{"Outstayed", "exec sleep 60", 0ms, false, 0, true,
                                                  "was killed by signal 9 (Killed)"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ProgramOutput, ArrivesWholeFromBothStreams) {
  platform::StartedProgram program;
  std::string failure;
  ASSERT_TRUE(platform::start_program("/bin/sh", {"-c", "printf 'one\\ntwo'; printf 'three' >&2"}, {},
                                      program, failure))
      << failure;
  platform::ProgramOutput output;
  platform::StartedProgram *const programs[] = {&program};
  platform::ProgramOutput *const outputs[] = {&output};
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!platform::output_ended(program) && std::chrono::steady_clock::now() < deadline) {
    platform::collect_output(programs, outputs, 100ms);
  }
  EXPECT_EQ(output.output, "one\ntwo");
  EXPECT_EQ(output.error, "three");
  EXPECT_TRUE(platform::wait_for_program(program, 60000ms).exited);
  EXPECT_EQ(platform::wait_for_program(program, 0ms).description, "had already ended");
}

} // namespace
#endif
