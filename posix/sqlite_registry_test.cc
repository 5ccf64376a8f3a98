// What only the SQLite registry has: its file, which it creates, shares, and never resets.
#include "posix/sqlite_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/error.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

using ::testing::HasSubstr;

class SqliteRegistryTest : public ::testing::Test {
 protected:
  void WriteFile(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string ReadFile() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Runs SQL on the file through a plain connection of our own.
  void Sql(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
  }
  // A pragma's value as text, read through a plain connection of our own.
  std::string Pragma(const std::string& pragma) {
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, ("PRAGMA " + pragma).c_str(), -1, &statement, nullptr);
    std::string value = "(none)";
    if (sqlite3_step(statement) == SQLITE_ROW) {
      value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
  }
  // Opening must fail with a message naming the file, leaving its bytes as they were.
  void ExpectRefusedUntouched(const std::string& reason) {
    const std::string before = ReadFile();
    try {
      SqliteRegistry registry(path_);
      ADD_FAILURE() << "the file was accepted";
    } catch (const Error& e) {
      EXPECT_THAT(e.what(), HasSubstr(path_));
      EXPECT_THAT(e.what(), HasSubstr(reason));
    }
    EXPECT_EQ(ReadFile(), before);
    EXPECT_FALSE(std::filesystem::exists(path_ + "-wal"));
  }

  test_support::ScopedTempDir temp_{"vellumo-sqlite"};
  std::string folder_ = temp_.str();
  std::string path_ = folder_ + "/registry.db";
};

TEST_F(SqliteRegistryTest, CreatesAMissingFileWithItsSchemaVersion) {
  {
    SqliteRegistry registry(path_);
    EXPECT_EQ(registry.path(), path_);
    registry.SetValue("HKCU\\Software\\Vellumo", "x", RegValue::String("kept"));
  }
  EXPECT_EQ(Pragma("user_version"), std::to_string(SqliteRegistry::kSchemaVersion));
  EXPECT_EQ(Pragma("application_id"), std::to_string(SqliteRegistry::kApplicationId));
  EXPECT_EQ(Pragma("journal_mode"), "wal");
  SqliteRegistry reopened(path_);
  EXPECT_EQ(reopened.GetValue("hkcu\\software\\vellumo", "X"), RegValue::String("kept"));
}

// The log and its shared memory outlive the processes, emptied by the last one out: a process
// that only reads neither creates nor deletes a file beside the registry (each is the same file
// before and after), and what was written is in the registry itself.
TEST_F(SqliteRegistryTest, TheLogStaysEmptyBetweenProcessesAndReadersLeaveItInPlace) {
  { SqliteRegistry(path_).SetValue("HKCU\\A", "x", RegValue::Dword(7)); }
  const auto identity = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0
               ? std::to_string(st.st_ino) + "/" + std::to_string(st.st_size)
               : std::string("missing");
  };
  const std::string log = identity(path_ + "-wal");
  const std::string shared = identity(path_ + "-shm");
  EXPECT_EQ(std::filesystem::file_size(path_ + "-wal"), 0u);
  EXPECT_NE(shared, "missing");
  {
    SqliteRegistry reader(path_);
    EXPECT_EQ(reader.GetValue("HKCU\\A", "x"), RegValue::Dword(7));
  }
  EXPECT_EQ(identity(path_ + "-wal"), log);
  EXPECT_EQ(identity(path_ + "-shm"), shared);

  // Without the log and shared memory the file alone holds every value.
  std::filesystem::remove(path_ + "-wal");
  std::filesystem::remove(path_ + "-shm");
  EXPECT_EQ(SqliteRegistry(path_).GetValue("HKCU\\A", "x"), RegValue::Dword(7));
}

TEST_F(SqliteRegistryTest, AnEmptyFileBecomesARegistry) {
  WriteFile("");
  SqliteRegistry registry(path_);
  registry.SetValue("HKCU\\A", "x", RegValue::Dword(1));
  EXPECT_EQ(registry.GetValue("HKCU\\A", "x"), RegValue::Dword(1));
}

TEST_F(SqliteRegistryTest, RefusesAFileThatIsNotADatabase) {
  std::string garbage = "[HKEY_CURRENT_USER\\Software]\n\"not\"=\"a database\"\n";
  while (garbage.size() < 8192) garbage += garbage;
  WriteFile(garbage);
  ExpectRefusedUntouched("not a SQLite database");
}

TEST_F(SqliteRegistryTest, RefusesAnotherProgramsDatabase) {
  Sql("CREATE TABLE contacts (name TEXT); INSERT INTO contacts VALUES ('Ada');");
  ExpectRefusedUntouched("another program");
  EXPECT_EQ(Pragma("journal_mode"), "delete");
}

TEST_F(SqliteRegistryTest, RefusesARegistryOfANewerSchema) {
  { SqliteRegistry registry(path_); }
  Sql("PRAGMA user_version = " + std::to_string(SqliteRegistry::kSchemaVersion + 1));
  ExpectRefusedUntouched("newer version");
}

TEST_F(SqliteRegistryTest, RefusesARegistryWithTablesMissing) {
  { SqliteRegistry registry(path_); }
  Sql("DROP TABLE reg_values");
  ExpectRefusedUntouched("damaged");
}

TEST_F(SqliteRegistryTest, AFolderThatDoesNotExistIsAClearError) {
  const std::string missing = folder_ + "/no such folder/registry.db";
  try {
    SqliteRegistry registry(missing);
    FAIL() << "opened";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr(missing));
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/no such folder"));
}

TEST_F(SqliteRegistryTest, EachConnectionSeesTheOthersWritesAtOnce) {
  SqliteRegistry first(path_);
  SqliteRegistry second(path_);
  const char* key = "HKCU\\Software\\VB and VBA Program Settings\\Vellumo\\User Settings";
  first.SetValue(key, "Template", RegValue::String("one.htm"));
  EXPECT_EQ(second.GetValue(key, "template"), RegValue::String("one.htm"));
  second.SetValue(key, "TEMPLATE", RegValue::String("two.htm"));
  EXPECT_EQ(first.GetValue(key, "Template"), RegValue::String("two.htm"));
  second.DeleteKeyTree("HKCU\\Software\\VB and VBA Program Settings\\Vellumo");
  EXPECT_EQ(first.GetValue(key, "Template"), std::nullopt);
  // A key deleted by another connection is created again by the next write here.
  first.SetValue(key, "Template", RegValue::String("three.htm"));
  EXPECT_EQ(second.GetValue(key, "Template"), RegValue::String("three.htm"));
  EXPECT_TRUE(second.KeyExists("HKCU\\Software\\VB and VBA Program Settings"));
}

// Reads are answered from memory while the file is unchanged; any commit elsewhere, including one
// that only adds or removes a value, must be seen by the very next read.
TEST_F(SqliteRegistryTest, RepeatedReadsNeverMissAnotherConnectionsCommit) {
  SqliteRegistry writer(path_);
  SqliteRegistry reader(path_);
  const std::string key = "HKCU\\Software\\Counter";
  for (int i = 0; i < 100; ++i) {
    writer.SetValue(key, "n", RegValue::Dword(i));
    ASSERT_EQ(reader.GetValue(key, "n"), RegValue::Dword(i)) << i;
    ASSERT_EQ(reader.GetValue(key, "N"), RegValue::Dword(i)) << i;
    ASSERT_EQ(reader.GetValue(key, "new"), std::nullopt) << i;
    writer.SetValue(key, "new", RegValue::String("appeared"));
    ASSERT_EQ(reader.GetValue(key, "new"), RegValue::String("appeared")) << i;
    writer.DeleteValue(key, "new");
    ASSERT_EQ(reader.GetValue(key, "new"), std::nullopt) << i;
    if (i % 25 == 0) {
      writer.DeleteKeyTree(key);
      ASSERT_EQ(reader.GetValue(key, "n"), std::nullopt) << i;
    }
  }
  // Reads of many different values in one unchanged state, then a change to one of them.
  for (int i = 0; i < 100; ++i) writer.SetValue(key, "v" + std::to_string(i), RegValue::Dword(i));
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 100; ++i) {
      ASSERT_EQ(reader.GetValue(key, "v" + std::to_string(i)), RegValue::Dword(i));
    }
  }
  writer.SetValue(key, "v42", RegValue::String("changed"));
  EXPECT_EQ(reader.GetValue(key, "v42"), RegValue::String("changed"));
  // The reader's own writes too.
  reader.SetValue(key, "v43", RegValue::String("mine"));
  EXPECT_EQ(reader.GetValue(key, "v43"), RegValue::String("mine"));
}

// A key is read whole at its first miss; one with more values than the reader keeps is read in
// part, and whatever it did not keep is asked again, never taken for absent.
TEST_F(SqliteRegistryTest, AKeyLargerThanTheReadersMemoryIsStillReadRight) {
  SqliteRegistry writer(path_);
  SqliteRegistry reader(path_);
  const std::string big = "HKCU\\Software\\Big";
  std::vector<RegOp> ops;
  for (int i = 0; i < 5000; ++i) {
    ops.push_back({RegOp::Kind::kSetValue, big, "v" + std::to_string(i), RegValue::Dword(i)});
  }
  writer.Apply(ops);
  ASSERT_EQ(reader.GetValue(big, "v0"), RegValue::Dword(0));  // before the watch is set up
  for (int round = 0; round < 2; ++round) {
    for (int i = 4999; i >= 0; i -= 7) {
      ASSERT_EQ(reader.GetValue(big, "V" + std::to_string(i)), RegValue::Dword(i)) << i;
    }
    EXPECT_EQ(reader.GetValue(big, "absent"), std::nullopt);
    EXPECT_EQ(reader.GetValue("HKCU\\Software\\Other", "v1"), std::nullopt);
  }
  writer.SetValue(big, "absent", RegValue::String("now here"));
  EXPECT_EQ(reader.GetValue(big, "absent"), RegValue::String("now here"));
  EXPECT_EQ(reader.GetValue(big, "v4999"), RegValue::Dword(4999));
}

TEST_F(SqliteRegistryTest, AFailedApplyLeavesTheFileAsItWasForEveryone) {
  SqliteRegistry writer(path_);
  SqliteRegistry reader(path_);
  writer.SetValue("HKCU\\A", "x", RegValue::Dword(1));
  EXPECT_THROW(writer.Apply({{RegOp::Kind::kSetValue, "HKCU\\A", "x", RegValue::Dword(2)},
                             {RegOp::Kind::kCreateKey, "HKLM\\B", {}, {}}}),
               Error);
  EXPECT_EQ(reader.GetValue("HKCU\\A", "x"), RegValue::Dword(1));
  // The writer's transaction is closed: others can write.
  reader.SetValue("HKCU\\A", "x", RegValue::Dword(3));
  EXPECT_EQ(writer.GetValue("HKCU\\A", "x"), RegValue::Dword(3));
}

TEST_F(SqliteRegistryTest, ATreeDeeperThanTriggersCanNestIsDeletedWhole) {
  // A store written before the depth limit, or by another tool, may hold any depth: deleting must
  // not be bounded by how deep SQLite lets cascades nest.
  { SqliteRegistry make(path_); }
  std::string sql = "BEGIN;";
  std::string path = "hkey_current_user";
  for (int level = 1; level <= 1010; ++level) {
    const std::string child = path + "\\k";
    sql += "INSERT INTO reg_keys VALUES ('" + child + "', '" + path + "', 'k');";
    path = child;
  }
  sql += "INSERT INTO reg_values VALUES ('" + path + "', 'v', 'v', 4, 7); COMMIT;";
  Sql(sql);
  SqliteRegistry registry(path_);
  EXPECT_TRUE(registry.KeyExists("HKCU\\k\\k\\k"));
  registry.DeleteKeyTree("HKCU\\k\\k");
  EXPECT_TRUE(registry.KeyExists("HKCU\\k"));
  EXPECT_FALSE(registry.KeyExists("HKCU\\k\\k"));
  EXPECT_EQ(Pragma("foreign_key_check"), "(none)");
  registry.Apply({{RegOp::Kind::kDeleteKeyTree, "HKCU\\k", {}, {}}});
  EXPECT_TRUE(registry.SubKeys("HKCU").empty());
}

}  // namespace
}  // namespace vellumo
