#include "driver/output_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace driver;

// A scratch folder holding one input, 'input.db', and a hard link to it
// under another name, which is the same file.
class OutputClash : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("megawhets-output-paths-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::ofstream(path("input.db")) << "kept";
    fs::create_hard_link(path("input.db"), path("linked.db"));
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const char *name) const { return (folder_ / name).string(); }
  std::string clash(std::vector<NamedOutput> outputs) const {
    return output_clash(outputs, {{path("input.db"), "the history"}});
  }

  fs::path folder_;
};

TEST_F(OutputClash, AllowsOutputsApartFromTheInputsAndEachOther) {
  EXPECT_EQ(clash({{"--json", path("a.json")}, {"--html", path("a.html")}}), "");
  EXPECT_EQ(clash({{"--json", ""}, {"--html", ""}}), "");
  EXPECT_EQ(clash({{"--json", "-"}, {"--html", path("a.html")}}), "");
}

TEST_F(OutputClash, RefusesAnOutputOverAnInputByAnyName) {
  for (const char *name : {"input.db", "linked.db"}) {
    const std::string message = clash({{"--html", path(name)}});
    EXPECT_NE(message.find("option '--html " + path(name) + "' names '" + path("input.db") + "', the history"),
              std::string::npos)
        << message;
  }
  // By a relative name too, which reaches the same file.
  const fs::path before = fs::current_path();
  fs::current_path(folder_);
  EXPECT_NE(clash({{"--html", "./input.db"}}), "");
  fs::current_path(before);
}

TEST_F(OutputClash, RefusesTwoOutputsOnOnePath) {
  for (const auto &[first, second] : std::vector<std::pair<std::string, std::string>>{
           {path("same.out"), path("same.out")}, {"-", "-"}, {path("input.db"), path("linked.db")}}) {
    const std::string message = clash({{"--json", first}, {"--html", second}});
    EXPECT_NE(message.find("options '--json' and '--html' both name"), std::string::npos) << first << " " << message;
  }
}

struct Opening {
  const char *what;
  std::string bytes;
  std::string content; // what precious_content names, or empty
};

class PreciousContent : public ::testing::TestWithParam<Opening> {};

TEST_P(PreciousContent, NamesWhatAnOutputMustNotReplaceUnasked) {
  // A file of each case's own: ctest runs the cases at once.
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(name.begin(), name.end(), '/', '-');
  const fs::path file = fs::temp_directory_path() / ("megawhets-precious-content-" + name);
  std::ofstream(file, std::ios::binary) << GetParam().bytes;
  EXPECT_EQ(precious_content(file.string()), GetParam().content) << GetParam().what;
  const std::string refused = precious_output({{"--html", file.string()}});
  EXPECT_EQ(refused.empty(), GetParam().content.empty()) << refused;
  fs::remove(file);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Files, PreciousContent,
    ::testing::Values(
        Opening{"a run record", "{\n  \"schema_version\": 1,\n  \"program\": {\"name\": \"megawhets\"}}", "run records"},
        Opening{"a record after a BOM and blank lines", "\xEF\xBB\xBF\n\n {\"schema_version\":1,\"label\":\"x\",\"program\" :{}}",
                "run records"},
        Opening{"ab's comparison, whose slices name a program deeper down",
                "{\"schema_version\": 1, \"programs\": [{\"letter\": \"A\"}], \"slices\": [{\"program\": \"A\"}]}", ""},
        Opening{"a history", "SQLite format 3\0\x10\0"s, "a history"},
        Opening{"a text that only starts like a history", "SQLite format 3 notes", ""},
        Opening{"an ELF program", "\x7F" "ELF\x02\x01", "a program"},
        Opening{"a Windows program", "MZ\x90\0"s, "a program"},
        Opening{"a script", "#!/bin/sh\necho\n", "a program"},
        Opening{"a page", "<!DOCTYPE html>\n<html>", ""},
        Opening{"a JSON document of another kind", "{\"program\": 1}", ""},
        Opening{"an empty file", "", ""}));

TEST(PreciousOutput, PassesNoFileAndStandardOutput) {
  EXPECT_EQ(precious_output({{"--json", ""}, {"--html", "-"}, {"--html", "/no/such/folder/page.html"}}), "");
}

} // namespace
