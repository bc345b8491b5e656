// A file written whole or not at all: the name holds the old text or the
// whole new one, nothing is left beside it, and what cannot be written is
// refused before anything is, in the system's words.

#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A directory of its own for each test, removed with everything in it.
class AtomicFileTest : public testing::Test {
protected:
  void SetUp() override {
    const auto *test = testing::UnitTest::GetInstance()->current_test_info();
    directory_ = fs::temp_directory_path() / (std::string("megawhets_atomic_file_") + test->name());
    fs::remove_all(directory_);
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  std::string path(const char *name) const { return (directory_ / name).string(); }

  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto &entry : fs::directory_iterator(directory_)) {
      found.push_back(entry.path().filename().string());
    }
    return found;
  }

  static std::string contents(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static void write(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  fs::path directory_;
};

TEST_F(AtomicFileTest, GivesTheWholeTextItsNameAndLeavesNothingBesideIt) {
  const std::string name = path("run.json");
  {
    platform::AtomicFile file(name);
    ASSERT_TRUE(file.ready()) << file.failure();
    EXPECT_TRUE(file.commit("{\"a\": 1}\n"));
    EXPECT_EQ(file.failure(), "");
  }
  EXPECT_EQ(contents(name), "{\"a\": 1}\n");
  EXPECT_EQ(names(), std::vector<std::string>{"run.json"});
}

TEST_F(AtomicFileTest, ReplacesWhatTheNameHeldOnlyWhenTheTextIsWhole) {
  const std::string name = path("run.json");
  write(name, "old");
  {
    platform::AtomicFile file(name);
    ASSERT_TRUE(file.ready());
    // Until the commit the name holds what it held.
    EXPECT_EQ(contents(name), "old");
    EXPECT_TRUE(file.commit("new"));
  }
  EXPECT_EQ(contents(name), "new");
}

TEST_F(AtomicFileTest, LeavesTheNameAsItWasWhenNeverCommitted) {
  const std::string name = path("run.json");
  write(name, "old");
  {
    platform::AtomicFile file(name);
    ASSERT_TRUE(file.ready());
    EXPECT_EQ(names().size(), 2U); // the name and the file beside it
  }
  EXPECT_EQ(contents(name), "old");
  EXPECT_EQ(names(), std::vector<std::string>{"run.json"});
}

TEST_F(AtomicFileTest, RefusesANameThatIsNoRegularFileBeforeWritingAnything) {
  fs::create_directory(path("a_directory"));
  platform::AtomicFile file(path("a_directory"));
  EXPECT_FALSE(file.ready());
  EXPECT_EQ(file.failure(), "it is not a regular file; name a file, or give - for standard output");
  EXPECT_EQ(file.path(), path("a_directory"));
  EXPECT_FALSE(file.commit("text"));
  EXPECT_TRUE(fs::is_directory(path("a_directory")));
  EXPECT_EQ(names(), std::vector<std::string>{"a_directory"});
}

TEST_F(AtomicFileTest, RefusesAPlaceThatCannotBeWrittenInTheSystemsWords) {
  const std::string name = path("missing/run.json");
  platform::AtomicFile file(name);
  EXPECT_FALSE(file.ready());
  EXPECT_NE(file.failure(), "");
  EXPECT_EQ(file.path(), name);
  EXPECT_TRUE(names().empty());
}

#ifndef _WIN32
TEST_F(AtomicFileTest, WritesThroughASymbolicLinkAndKeepsTheLink) {
  const std::string target = path("target.json");
  const std::string link = path("link.json");
  write(target, "old");
  fs::create_symlink(target, link);
  {
    platform::AtomicFile file(link);
    ASSERT_TRUE(file.ready()) << file.failure();
    EXPECT_EQ(fs::path(file.path()), fs::weakly_canonical(target));
    EXPECT_TRUE(file.commit("new"));
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(contents(target), "new");
}
#endif

} // namespace
