// The platform's files where the system says no: each failure comes back
// with the system's reason rather than as a file half written, a reader
// left waiting on a FIFO, or two names taken for one file.

#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("megawhets-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string at(const std::string &name) const { return (folder_ / name).string(); }
  std::string written(const std::string &name, const std::string &text) const {
    std::ofstream(at(name), std::ios::binary) << text;
    return at(name);
  }
  fs::path folder_;
};

TEST_F(Files, ANewFileBesideAMissingFolderFailsWithTheSystemsReason) {
  const platform::NewFile file = platform::create_file_beside(at("absent/record.json"));
  EXPECT_EQ(file.stream, nullptr);
  EXPECT_FALSE(file.failure.empty());
}

TEST_F(Files, ANewFileTakesTheOldOnesPlaceWhole) {
  const std::string target = written("record.json", "old");
  platform::NewFile file = platform::create_file_beside(target);
  ASSERT_NE(file.stream, nullptr) << file.failure;
  EXPECT_EQ(fs::path(file.path).parent_path(), fs::path(target).parent_path());
  EXPECT_NE(file.path, target);
  std::fputs("new", file.stream);
  std::string failure;
  ASSERT_TRUE(platform::write_to_storage(file.stream, failure)) << failure;
  std::fclose(file.stream);
  ASSERT_TRUE(platform::replace_file(file.path, target, failure)) << failure;
  std::ifstream read(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(read), {}), "new");
  EXPECT_FALSE(fs::exists(file.path));
}

TEST_F(Files, ReplacingFromAMissingFileFailsAndKeepsTheTarget) {
  const std::string target = written("record.json", "kept");
  std::string failure;
  EXPECT_FALSE(platform::replace_file(at("absent.tmp"), target, failure));
  EXPECT_FALSE(failure.empty());
  EXPECT_EQ(fs::file_size(target), 4U);
}

TEST_F(Files, OpeningSaysWhatItFound) {
  const std::string record = written("record.json", "{}\n");
  const platform::OpenedFile file = platform::open_for_reading(record, true);
  ASSERT_NE(file.stream, nullptr);
  EXPECT_TRUE(file.regular);
  EXPECT_EQ(file.size, 3U);
  std::fclose(file.stream);
  const platform::OpenedFile absent = platform::open_for_reading(at("absent.json"), true);
  EXPECT_EQ(absent.stream, nullptr);
  EXPECT_FALSE(absent.failure.empty());
}

#if !defined(_WIN32)
// A FIFO with no writer would hold an open for reading for ever.
TEST_F(Files, AFifoIsRefusedUnreadWithoutWaitingForAWriter) {
  const std::string fifo = at("records.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const platform::OpenedFile file = platform::open_for_reading(fifo, true);
  EXPECT_EQ(file.stream, nullptr);
  EXPECT_FALSE(file.regular);
  EXPECT_TRUE(file.failure.empty()) << file.failure;
}

// Names that lead to one file by a link are one file: writing through one
// would replace what the other names.
TEST_F(Files, SameFileSeesThroughLinksAndNothingElse) {
  const std::string record = written("record.json", "{}");
  const std::string other = written("other.json", "{}");
  fs::create_symlink(record, at("symbolic.json"));
  fs::create_hard_link(record, at("hard.json"));
  EXPECT_TRUE(platform::same_file(record, at("symbolic.json")));
  EXPECT_TRUE(platform::same_file(record, at("hard.json")));
  EXPECT_TRUE(platform::same_file(record, at("./record.json")));
  EXPECT_FALSE(platform::same_file(record, other));
  EXPECT_FALSE(platform::same_file(record, at("absent.json")));
  EXPECT_FALSE(platform::same_file(at("absent.json"), at("absent.json")));
}
#endif

} // namespace
