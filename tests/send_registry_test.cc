// A send that changes no setting leaves the registry's files as they were: SQLite commits (and
// syncs) only when something is written, so an untouched file is the witness that the send cost
// the registry no sync. The first send of a fresh home may record what it learnt; later ones
// must not.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/send_home.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

constexpr const char* kMessage = test_support::kShortMessage;

// Size and change time to the nanosecond of the registry and of its write-ahead log ("" when the
// log is gone or empty).
std::string RegistryState(const stdfs::path& home) {
  std::string state;
  for (const char* name : {"registry.db", "registry.db-wal"}) {
    struct stat st {};
    if (::stat((home / name).c_str(), &st) != 0 || st.st_size == 0) continue;
    state += std::string(name) + " " + std::to_string(st.st_size) + " " +
             std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "\n";
  }
  return state;
}

TEST(SendRegistry, ASendThatChangesNoSettingLeavesTheRegistryUntouched) {
  test_support::SendHome home;
  ASSERT_TRUE(home.ok()) << home.error();
  ASSERT_EQ(home.Send(kMessage).output, "sent\n");

  const std::string before = RegistryState(home.home());
  ASSERT_NE(before, "");
  for (int i = 0; i < 2; ++i) {
    const ProcessResult result = home.Send(kMessage);
    ASSERT_EQ(result.output, "sent\n") << result.errors;
  }
  EXPECT_EQ(RegistryState(home.home()), before);

  // The witness sees a write.
  home.Set("User Settings", "InsertDate", "False");
  EXPECT_NE(RegistryState(home.home()), before);
}

}  // namespace
}  // namespace vellumo
