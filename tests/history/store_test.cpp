// The history store on files made to be refused, texts made to be SQL, and a
// history as each earlier version of the store wrote it.

#include "history/record_hash.h"
#include "history/schema.h"
#include "history/sqlite.h"
#include "history/store.h"
#include "record/record_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write(const fs::path &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }

class StoreTest : public testing::Test {
protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() /
                 ("megawhets_store_test_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(directory_);
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  fs::path directory_;
};

// A record as --json writes it, with the host and label given.
std::string record_text(const std::string &host, const std::string &label, const std::string &started_at) {
  const auto quoted = [](const std::string &text) {
    std::string json = "\"";
    for (const char c : text) {
      json += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    }
    return json + "\"";
  };
  return R"({
  "schema_version": 1,
  "program": {"name": "megawhets", "version": "1.0.0"},
  "label": )" + quoted(label) + R"(,
  "build": {"compiler": "g++", "compiler_version": "12.2.0", "flags": "-O2", "architecture": "x86-64"},
  "machine": {"host_name": )" + quoted(host) + R"(, "processor_model": "Model A", "processors": 2,
              "os_name": "Linux", "os_release": "6.1.0"},
  "started_at": ")" + started_at + R"(",
  "counts": {"inner": 20000, "outer": 10, "chosen_by": "typed", "auto_seconds": null},
  "copies": null,
  "passes": [
    {"pass": 1, "megawhets_per_second": 12000.0, "processor_share": 0.999,
     "groups": {"fastest_megawhets_per_second": 12100.0}, "copies": []},
    {"pass": 2, "megawhets_per_second": 12050.0, "processor_share": 0.999,
     "groups": {"fastest_megawhets_per_second": 12150.0}, "copies": []}
  ],
  "self_check": {"passed": true, "mismatch": null},
  "warnings": [],
  "exit_status": 0
}
)";
}

record::RecordedRun run_of(const std::string &text) {
  const auto read = record::read_records(text, "test");
  EXPECT_EQ(read.size(), 1U);
  EXPECT_TRUE(read.front().run) << read.front().message;
  return *read.front().run;
}

std::vector<std::string> exported(history::Store &store, const history::Filter &filter = {}) {
  std::vector<std::string> texts;
  store.for_each_record(filter, [&](std::string_view text) {
    texts.emplace_back(text);
    return true;
  });
  return texts;
}

TEST_F(StoreTest, TextMadeToBeSqlIsStoredAndReadBackAsItIs) {
  const std::string hostile = "'); DROP TABLE runs; --";
  const std::string text = record_text(hostile, hostile + " \xe2\x88\x92 \"quoted\"", "2026-03-03T02:00:00Z");
  const fs::path path = directory_ / "history.db";
  {
    history::Store store(path.string(), history::Store::Access::write);
    history::Store::Transaction transaction(store);
    EXPECT_TRUE(transaction.add(text, run_of(text)));
    transaction.commit();
  }
  history::Store store(path.string(), history::Store::Access::read);
  const std::vector<history::Series> series = store.series({.host = hostile});
  ASSERT_EQ(series.size(), 1U);
  EXPECT_EQ(series.front().identity.host_name, hostile);
  EXPECT_EQ(series.front().identity.label, hostile + " \xe2\x88\x92 \"quoted\"");
  EXPECT_EQ(store.runs(series.front(), {}).size(), 1U);
  EXPECT_EQ(exported(store), std::vector<std::string>{text});
}

TEST_F(StoreTest, KeepsEachRunOnceInWhateverTextAndOnlyWhatATransactionCommitted) {
  const fs::path path = directory_ / "history.db";
  history::Store store(path.string(), history::Store::Access::write);
  const std::string first = record_text("node-1", "a", "2026-03-03T02:00:00Z");
  const std::string second = record_text("node-1", "a", "2026-03-04T02:00:00Z");
  {
    history::Store::Transaction abandoned(store);
    EXPECT_TRUE(abandoned.add(first, run_of(first)));
  }
  EXPECT_EQ(store.record_count(), 0);
  history::Store::Transaction transaction(store);
  EXPECT_TRUE(transaction.add(first, run_of(first)));
  EXPECT_FALSE(transaction.add(first, run_of(first)));
  EXPECT_TRUE(transaction.add(second, run_of(second)));
  // The same run in another text, as an editor or a copy between systems
  // makes it, is the same run; the text first stored is the one kept.
  std::string crlf;
  for (const char c : second) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  EXPECT_FALSE(transaction.add(second + " ", run_of(second)));
  EXPECT_FALSE(transaction.add(crlf, run_of(crlf)));
  transaction.commit();
  EXPECT_EQ(store.record_count(), 2);
  EXPECT_EQ(exported(store, {.since = "2026-03-04"}), std::vector<std::string>{second});
  EXPECT_EQ(exported(store, {.until = "2026-03-04"}), std::vector<std::string>{first});
}

// Whatever the file, it is as it was after the refusal, and nothing is left
// beside it.
TEST_F(StoreTest, RefusesWhatIsNotAHistoryAndLeavesItAsItWas) {
  const fs::path made = directory_ / "made.db";
  { history::Store store(made.string(), history::Store::Access::write); }
  const std::string history_bytes = contents(made);
  std::string damaged = history_bytes;
  for (std::size_t i = 16384; i < damaged.size() && i < 16384 + 200; ++i) {
    damaged[i] = static_cast<char>(0xA5);
  }
  struct Case {
    const char *name;
    std::function<void(const fs::path &)> make;
    const char *said;
  };
  const Case cases[] = {
      {"text.db", [](const fs::path &path) { write(path, "{\"schema_version\": 1}\n"); },
       "SQLite finds no database in it"},
      {"other.db",
       [](const fs::path &path) {
         history::Database other(path.string(), history::Database::Mode::create);
         other.execute("CREATE TABLE accounts (name TEXT)");
       },
       "an SQLite database of another program"},
      {"newer.db",
       [&](const fs::path &path) {
         write(path, history_bytes);
         history::Database newer(path.string(), history::Database::Mode::read_write);
         newer.execute("PRAGMA user_version = 99");
       },
       "written by a newer megawhets: its history is of version 99"},
      {"damaged.db", [&](const fs::path &path) { write(path, damaged); }, "damaged"},
  };
  for (const Case &one : cases) {
    const fs::path path = directory_ / one.name;
    one.make(path);
    const std::string before = contents(path);
    for (const auto access : {history::Store::Access::write, history::Store::Access::read}) {
      try {
        history::Store store(path.string(), access);
        const std::string text = record_text("node-1", "a", "2026-03-03T02:00:00Z");
        history::Store::Transaction transaction(store);
        transaction.add(text, run_of(text));
        transaction.commit();
        ADD_FAILURE() << one.name << " was taken for a history";
      } catch (const history::StoreError &error) {
        EXPECT_NE(std::string(error.what()).find(one.said), std::string::npos) << one.name << ": " << error.what();
        EXPECT_NE(std::string(error.what()).find(one.name), std::string::npos) << error.what();
      }
    }
    EXPECT_EQ(contents(path), before) << one.name;
    EXPECT_FALSE(fs::exists(path.string() + "-wal")) << one.name;
  }
}

TEST_F(StoreTest, ReadsAHistoryOfEveryEarlierVersionAndBringsItUpToDate) {
  // Version 0 is a file with nothing in it, as a user's touch makes.
  const fs::path empty = directory_ / "empty.db";
  write(empty, "");
  {
    history::Store store(empty.string(), history::Store::Access::write);
    EXPECT_EQ(store.record_count(), 0);
  }
  history::Database opened(empty.string(), history::Database::Mode::read_write);
  EXPECT_EQ(opened.integer_of("PRAGMA user_version"), history::schema_version());

  for (std::int64_t version = 1; version <= history::schema_version(); ++version) {
    const fs::path path = directory_ / ("version_" + std::to_string(version) + ".db");
    {
      history::Database old(path.string(), history::Database::Mode::create);
      old.execute(contents(fs::path(MEGAWHETS_HISTORY_FIXTURES) / ("history_version_" + std::to_string(version) +
                                                                   ".sql"))
                      .c_str());
    }
    history::Store store(path.string(), history::Store::Access::write);
    const std::vector<std::string> texts = exported(store);
    ASSERT_EQ(texts.size(), 1U) << "version " << version;
    EXPECT_EQ(run_of(texts.front()).host_name, "node-0001");
    history::Store::Transaction transaction(store);
    EXPECT_FALSE(transaction.add(texts.front(), run_of(texts.front()))) << "version " << version;
    transaction.commit();
  }
}

TEST(RecordHash, IsSha256) {
  const auto hex = [](const history::RecordHash &hash) {
    std::string text;
    for (const std::uint8_t byte : hash) {
      text += "0123456789abcdef"[byte >> 4];
      text += "0123456789abcdef"[byte & 15];
    }
    return text;
  };
  // FIPS 180-4's examples, one and two blocks long, and a text across the
  // padding's edge.
  EXPECT_EQ(hex(history::record_hash("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(hex(history::record_hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(hex(history::record_hash(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Every edge of the padding: the length's own block (55 and 56 bytes), a
  // block and one over, two blocks and their edge; held to an independent
  // implementation's digests (Python's hashlib) of bytes k * 131 + 7.
  const std::pair<std::size_t, const char *> edges[] = {
      {0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {55, "16ed9c4697ca11d5f6fb25ea7900252dd4cb97215d7f6d0b2bb3e2a86ac0ec72"},
      {56, "939ada93b2fe1e9c596d767bb408567c83e253667f0b25e5be8e16f35f2cbac9"},
      {63, "6073f83b09ae82016cdbe24c18996c48f0eaa08ca675d0f6b90b807fc29e0149"},
      {64, "b337ba9b0c69c391364e985fdcb23a889887e59800832c92fbfa22b8a3c40304"},
      {65, "9d6a3fb113b586b4ab97bc11c993a27bd9b7bbcb756e0646083dc47a679600e6"},
      {119, "9773fbac8194c3d789af101b49b6a26073076895ef6e0f658432849dd477a43f"},
      {120, "070a538f085dd94821d4dc197c5c8b791051891d4fa2a1bf25d3c275236676f7"}};
  for (const auto &[length, digest] : edges) {
    std::string text;
    for (std::size_t k = 0; k < length; ++k) {
      text += static_cast<char>((k * 131 + 7) % 256);
    }
    EXPECT_EQ(hex(history::record_hash(text)), digest) << length << " bytes";
  }
}

} // namespace
