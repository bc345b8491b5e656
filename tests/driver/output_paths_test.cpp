#include "driver/output_paths.h"

#include <gtest/gtest.h>

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

} // namespace
