// Where a command's documents go: files before standard output, the table
// moved to standard error by a document given as -, and the order in which
// outputs that cannot be written as asked are refused.

#include "driver/output_choice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace driver;

struct Written {
  bool written;
  std::string out;
  std::string err;
};

Written written(const OutputChoice &outputs) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const bool written = write_documents(
      outputs,
      {.table = "the table\n", .json = "{\"json\": 1}\n", .page = "<html>\n", .what = "the comparison"});
  std::string out = ::testing::internal::GetCapturedStdout();
  return {written, std::move(out), ::testing::internal::GetCapturedStderr()};
}

class Documents : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("megawhets-output-choice-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const char *name) const { return (folder_ / name).string(); }
  static std::string text_of(const std::string &path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }

  fs::path folder_;
};

TEST_F(Documents, PutTheTableOnStandardOutputAndTheFilesInTheirPlaces) {
  const Written result = written({.json_path = path("a.json"), .html_path = path("a.html")});
  EXPECT_TRUE(result.written);
  EXPECT_EQ(result.out, "the table\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(text_of(path("a.json")), "{\"json\": 1}\n");
  EXPECT_EQ(text_of(path("a.html")), "<html>\n");
}

TEST_F(Documents, MoveTheTableToStandardErrorForADocumentGivenAsDash) {
  const Written json = written({.json_path = "-"});
  EXPECT_EQ(json.out, "{\"json\": 1}\n");
  EXPECT_EQ(json.err, "the table\n");
  const Written page = written({.html_path = "-"});
  EXPECT_EQ(page.out, "<html>\n");
  EXPECT_EQ(page.err, "the table\n");
}

// A file that cannot be made fails the command, but costs neither the
// table nor the other file.
TEST_F(Documents, WriteTheRestWhenOneFileCannotBeWritten) {
  const Written result = written({.json_path = path("no/such/folder/a.json"), .html_path = path("a.html")});
  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.out, "the table\n");
  EXPECT_NE(result.err.find("a.json"), std::string::npos) << result.err;
  EXPECT_EQ(text_of(path("a.html")), "<html>\n");
}

TEST_F(Documents, AreRefusedForAClashThenThePlacementThenAPreciousFile) {
  std::ofstream(path("runs.json")) << "{\"schema_version\": 1, \"program\": {}}\n";
  const std::vector<NamedInput> inputs{{path("runs.json"), "one of the records to compare"}};
  const OutputChoice over_input{.html_path = path("runs.json")};
  EXPECT_NE(refused_outputs(over_input, inputs, {}, "placement\n").find("the output would take its place"),
            std::string::npos);
  const OutputChoice over_records{.html_path = path("runs.json")};
  EXPECT_EQ(refused_outputs(over_records, {}, {}, "placement\n"), "placement\n");
  EXPECT_NE(refused_outputs(over_records, {}).find("would replace a file that holds run records"),
            std::string::npos);
  EXPECT_EQ(refused_outputs({.html_path = path("runs.json"), .force = true}, {}), "");
  EXPECT_NE(refused_outputs({.json_path = "-", .html_path = "-"}, {}).find("both name '-'"),
            std::string::npos);
  EXPECT_NE(refused_outputs({.json_path = path("x")}, {}, {{"--records", path("x")}})
                .find("'--json' and '--records'"),
            std::string::npos);
}

} // namespace
