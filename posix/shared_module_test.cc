#include "posix/shared_module.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/error.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;

// The C library as this process mapped it: a real shared object on every machine.
stdfs::path CLibrary() {
  Dl_info info{};
  EXPECT_NE(dladdr(reinterpret_cast<void*>(&std::strlen), &info), 0);
  return stdfs::path(info.dli_fname);
}

std::string OpenError(std::string_view file, const std::vector<std::string>& dirs) {
  try {
    (void)SharedModule::Open(file, dirs);
  } catch (const Error& e) {
    return e.what();
  }
  return "opened";
}

TEST(SharedModule, OpensTheFirstFolderThatHoldsTheFileAndFindsItsSymbols) {
  test_support::ScopedTempDir empty("module-empty");
  const stdfs::path library = CLibrary();
  auto module = SharedModule::Open(library.filename().string(),
                                   {"", empty.path().string(), library.parent_path().string()});
  EXPECT_EQ(stdfs::path(module->path()), library);
  auto* length = reinterpret_cast<size_t (*)(const char*)>(module->Symbol("strlen"));
  EXPECT_EQ(length("vellumo"), 7u);
  try {
    (void)module->Symbol("vellumo_no_such_symbol");
    FAIL() << "a missing symbol was found";
  } catch (const Error& e) {
    EXPECT_THAT(std::string(e.what()),
                AllOf(HasSubstr("vellumo_no_such_symbol"), HasSubstr(module->path())));
  }
}

TEST(SharedModule, AMissingOrBrokenFileIsAnErrorNamingItAndWhereItWasSought) {
  test_support::ScopedTempDir first("module-a");
  test_support::ScopedTempDir second("module-b");
  EXPECT_THAT(OpenError("vellumo-missing.so", {first.path().string(), second.path().string()}),
              AllOf(HasSubstr("vellumo-missing.so"), HasSubstr(first.path().string()),
                    HasSubstr(second.path().string())));
  EXPECT_THAT(OpenError("vellumo-missing.so", {}), HasSubstr("no folder"));

  // A folder of that name is not the module; a file that is no shared object cannot be loaded.
  stdfs::create_directory(first.path() / "vellumo-broken.so");
  std::ofstream(second.path() / "vellumo-broken.so") << "not a shared object\n";
  EXPECT_THAT(
      OpenError("vellumo-broken.so", {first.path().string(), second.path().string()}),
      AllOf(HasSubstr("Cannot load"), HasSubstr((second.path() / "vellumo-broken.so").string())));
}

}  // namespace
}  // namespace vellumo
