// The helpers every test leans on: a wrong one would let many tests pass on nothing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/error.h"
#include "platform/mem_registry.h"
#include "tests/support/registry_dump.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/source_dir.h"
#include "tests/support/thrown_code.h"

namespace vellumo::test_support {
namespace {

namespace stdfs = std::filesystem;

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ScopedTempDir, MakesAFreshFolderAndRemovesItWithEverythingInIt) {
  stdfs::path kept;
  {
    ScopedTempDir first("vellumo-support");
    ScopedTempDir second("vellumo-support");
    EXPECT_NE(first.path(), second.path());
    ASSERT_TRUE(stdfs::is_directory(first.path()));
    EXPECT_TRUE(stdfs::is_empty(first.path()));
    EXPECT_TRUE(stdfs::equivalent(first.path().parent_path(), stdfs::temp_directory_path()));
    EXPECT_EQ(first.path().filename().string().rfind("vellumo-support-", 0), 0u) << first.path();
    stdfs::create_directories(first / "a" / "b");
    std::ofstream(first / "a" / "b" / "c.txt") << "kept until the end";
    kept = first.path();
  }
  EXPECT_FALSE(stdfs::exists(kept)) << kept;
}

TEST(ScopedTempDir, FollowsTmpdirAndSaysWhyItCannotMakeTheFolder) {
  ScopedTempDir outer;
  {
    ScopedEnv tmpdir("TMPDIR", outer.str().c_str());
    ScopedTempDir inner("inner");
    EXPECT_EQ(inner.path().parent_path(), outer.path());
  }
  const std::string missing = (outer / "missing").string();
  ScopedEnv tmpdir("TMPDIR", missing.c_str());
  try {
    ScopedTempDir nowhere("nowhere");
    ADD_FAILURE() << "made " << nowhere.path();
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("missing"), std::string::npos) << error.what();
  }
}

TEST(ThrownCode, GivesTheCodeOfTheErrorOrNothingAndLetsOtherExceptionsThrough) {
  EXPECT_EQ(ThrownCode([] { throw Error(ErrorCode::kDiskFull); }), ErrorCode::kDiskFull);
  EXPECT_EQ(ThrownCode([] {}), std::nullopt);
  int calls = 0;
  EXPECT_EQ(ThrownCode([&] { ++calls; }), std::nullopt);
  EXPECT_EQ(calls, 1);
  EXPECT_THROW((void)ThrownCode([] { throw std::logic_error("other"); }), std::logic_error);
}

TEST(RegistryDump, ListsKeysValuesAndTypesSoAnyDifferenceShows) {
  MemRegistry reg;
  reg.SetValue("HKEY_CURRENT_USER\\Software\\A", "Name", RegValue::String("x"));
  reg.SetValue("HKEY_CURRENT_USER\\Software\\A\\B", "Count", RegValue::Dword(7));
  reg.SetValue("HKEY_CLASSES_ROOT\\.htm", "", RegValue::String("htmlfile"));
  EXPECT_EQ(RegistryDump(reg, "HKEY_CURRENT_USER\\Software"),
            "HKEY_CURRENT_USER\\Software\n"
            "HKEY_CURRENT_USER\\Software\\A\n"
            "  Name=1:x\n"
            "HKEY_CURRENT_USER\\Software\\A\\B\n"
            "  Count=4:7\n");
  const std::string before = RegistryDump(reg);
  EXPECT_NE(before.find("HKEY_CLASSES_ROOT\\.htm\n  =1:htmlfile\n"), std::string::npos) << before;

  // The same text with another type is another registry.
  reg.SetValue("HKEY_CURRENT_USER\\Software\\A\\B", "Count", RegValue::Qword(7));
  EXPECT_NE(RegistryDump(reg), before);
  reg.SetValue("HKEY_CURRENT_USER\\Software\\A\\B", "Count", RegValue::Dword(7));
  EXPECT_EQ(RegistryDump(reg), before);
  reg.CreateKey("HKEY_CURRENT_USER\\Software\\Empty");
  EXPECT_NE(RegistryDump(reg), before);
}

TEST(SourceDir, TakesTheVariableElseThisBuildsTree) {
  {
    ScopedEnv source("VELLUMO_SOURCE_DIR", "/elsewhere/tree");
    EXPECT_EQ(SourceDir(), "/elsewhere/tree");
  }
  for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
    ScopedEnv source("VELLUMO_SOURCE_DIR", unset);
    EXPECT_TRUE(stdfs::exists(SourceDir() / "tests" / "support" / "source_dir.h")) << SourceDir();
  }
}

TEST(RealWorldDir, TakesTheVariableElseTheSharedFolderBesideTheTree) {
  ScopedEnv source("VELLUMO_SOURCE_DIR", "/clones/vellumo");
  {
    ScopedEnv realworld("VELLUMO_REALWORLD_DIR", "/data/inputs");
    EXPECT_EQ(RealWorldDir(), "/data/inputs");
  }
  for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
    ScopedEnv realworld("VELLUMO_REALWORLD_DIR", unset);
    EXPECT_EQ(RealWorldDir(), "/clones/shared/realworld");
  }
  ScopedEnv trailing("VELLUMO_SOURCE_DIR", "/clones/vellumo/");
  EXPECT_EQ(RealWorldDir(), "/clones/shared/realworld");
  const std::string message = NoRealWorldInputs("/data/inputs/eml");
  EXPECT_NE(message.find("/data/inputs/eml"), std::string::npos) << message;
  EXPECT_NE(message.find("VELLUMO_REALWORLD_DIR"), std::string::npos) << message;
}

}  // namespace
}  // namespace vellumo::test_support
