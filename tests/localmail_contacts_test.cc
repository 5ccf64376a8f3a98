// Contacts of the local mail client on the real disk: real-world vCard files imported with
// `vellumo contacts import` (each loads or is refused with a clear error), and Restrict over a
// contacts folder of real vCard files, in the program and in the object model.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "localmail/local_client.h"
#include "platform/clock.h"
#include "platform/mailclient/mail_client.h"
#include "posix/posix_file_system.h"
#include "posix/posix_processes.h"
#include "posix/posix_system_info.h"
#include "posix/sqlite_registry.h"
#include "posix/system_clock.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr std::string_view kVipFilter = "[Categories] = 'VIP' AND Not ([Account] = 'X')";

class LocalContactsProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = test_support::EnvValue("VELLUMO_BIN");
    if (bin_.empty()) GTEST_SKIP() << "VELLUMO_BIN is not set";
    const stdfs::path root = test_support::RealWorldDir();
    for (const auto& entry : stdfs::directory_iterator(root / "vcf", ec_)) {
      if (entry.path().extension() == ".vcf") cards_.push_back(entry.path());
    }
    if (cards_.empty()) GTEST_SKIP() << test_support::NoRealWorldInputs(root / "vcf");
    std::sort(cards_.begin(), cards_.end());
  }
  void TearDown() override {
    client_.reset();
    registry_.reset();
  }

  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {bin_, "--home", home_.string()});
    return processes_.Run(args, "");
  }

  // The client of the same home, in this process.
  localmail::LocalMailClient& Client() {
    if (!client_) {
      registry_ = std::make_unique<SqliteRegistry>((home_ / "registry.db").string());
      fs_ = std::make_unique<PosixFileSystem>(home_.string());
      client_ = localmail::LocalMailClient::Open(localmail::LocalMailDeps{*fs_,
                                                                          *registry_,
                                                                          processes_,
                                                                          clock_,
                                                                          system_,
                                                                          (home_ / "mail").string(),
                                                                          {},
                                                                          {},
                                                                          {},
                                                                          {},
                                                                          {}});
    }
    return *client_;
  }

  // The entry ids `vellumo items` prints, one per line.
  std::set<std::string> ListedIds(const ProcessResult& result) {
    std::set<std::string> ids;
    for (const std::string& line : text::Split(result.output, "\n")) {
      if (!line.empty()) ids.insert(line.substr(0, line.find('\t')));
    }
    return ids;
  }

  std::string bin_;
  std::error_code ec_;
  std::vector<stdfs::path> cards_;
  test_support::ScopedTempDir temp_{"vellumo-contacts"};
  stdfs::path home_ = temp_.path();
  PosixProcesses processes_{"", ""};
  SystemClock clock_;
  PosixSystemInfo system_;
  std::unique_ptr<SqliteRegistry> registry_;
  std::unique_ptr<PosixFileSystem> fs_;
  std::shared_ptr<localmail::LocalMailClient> client_;
};

TEST_F(LocalContactsProgramTest, EveryRealWorldCardImportsOrIsRefusedWithAClearError) {
  int imported = 0;
  int refused = 0;
  for (const stdfs::path& file : cards_) {
    SCOPED_TRACE(file.filename().string());
    const ProcessResult result = Run({"contacts", "import", file.string()});
    ASSERT_TRUE(result.exit_code == 0 || result.exit_code == 1)
        << "exit " << result.exit_code << ": " << result.errors;
    if (result.exit_code == 0) {
      // "imported N contacts (A new, U updated)": a card whose UID came before replaces it.
      const size_t open = result.output.find('(');
      ASSERT_NE(open, std::string::npos) << result.output;
      EXPECT_GT(std::atoi(result.output.substr(std::string("imported ").size()).c_str()), 0);
      imported += std::atoi(result.output.substr(open + 1).c_str());
    } else {
      EXPECT_THAT(result.errors, HasSubstr(file.filename().string()));
      ++refused;
    }
  }
  EXPECT_GT(imported, static_cast<int>(cards_.size()) / 2);
  const ProcessResult listing = Run({"items", "Contacts"});
  ASSERT_EQ(listing.exit_code, 0) << listing.errors;
  EXPECT_THAT(ListedIds(listing), SizeIs(imported));
  EXPECT_THAT(listing.errors, IsEmpty());  // every stored card reads back

  const std::string first = *ListedIds(listing).begin();
  const ProcessResult shown = Run({"show", "Contacts", first});
  EXPECT_EQ(shown.exit_code, 0);
  EXPECT_THAT(shown.output, HasSubstr("EntryID: " + first + "\n"));
  RecordProperty("refused", refused);
}

TEST_F(LocalContactsProgramTest, RestrictOverRealCardFilesReturnsExactlyTheMatchingContacts) {
  // The real files as they are, in a contacts folder of their own.
  const stdfs::path folder = home_ / "mail" / "Personal Folders" / "Contacts" / "Real";
  stdfs::create_directories(folder);
  for (const stdfs::path& file : cards_) stdfs::copy_file(file, folder / file.filename());

  // Categories and accounts chosen here, so the expected answer does not come from the code.
  std::set<std::string> expected;
  std::vector<std::string> all;
  auto items = Client().FindFolder("Contacts/Real")->Items();
  ASSERT_GT(items->Count(), 8);
  int i = 0;
  for (auto item = items->GetFirst(); item; item = items->GetNext(), ++i) {
    auto contact = mail::AsContactItem(item);
    ASSERT_TRUE(contact);
    switch (i % 4) {
      case 0:
        contact->SetCategories("VIP");
        contact->SetAccount("");
        expected.insert(contact->EntryID());
        break;
      case 1:
        contact->SetCategories("Press, VIP");
        contact->SetAccount("X");
        break;
      case 2:
        contact->SetCategories("Press");
        contact->SetAccount("Y");
        break;
      case 3:
        contact->SetCategories("vip; Friends");
        contact->SetAccount("x-ray");
        expected.insert(contact->EntryID());
        break;
    }
    all.push_back(contact->EntryID());
    contact->Close(mail::SaveMode::kSave);
  }
  Client().TakeProblems();

  ProcessResult result = Run({"items", "Contacts/Real", "--restrict", std::string(kVipFilter)});
  ASSERT_EQ(result.exit_code, 0) << result.errors;
  EXPECT_EQ(ListedIds(result), expected);
  const std::set<std::string> everyone = ListedIds(Run({"items", "Contacts/Real"}));
  EXPECT_EQ(everyone, std::set<std::string>(all.begin(), all.end()));  // ids survived the saves

  client_.reset();  // read back from the disk
  auto restricted = Client().FindFolder("Contacts/Real")->Items()->Restrict(kVipFilter);
  std::set<std::string> in_process;
  for (auto item = restricted->GetFirst(); item; item = restricted->GetNext()) {
    in_process.insert(item->EntryID());
  }
  EXPECT_EQ(in_process, expected);

  result = Run({"items", "Contacts/Real", "--restrict", "[Categories] = 'VIP"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_THAT(result.errors, HasSubstr("character"));
  EXPECT_TRUE(result.output.empty());
}

TEST_F(LocalContactsProgramTest, FoldersListsTheTreeWithCounts) {
  ASSERT_EQ(Run({"contacts", "import", cards_.front().string()}).exit_code, 0);
  const ProcessResult result = Run({"folders"});
  ASSERT_EQ(result.exit_code, 0);
  EXPECT_THAT(result.output, HasSubstr("Personal Folders ("));
  EXPECT_THAT(result.output, HasSubstr("\n  Contacts ("));
  EXPECT_THAT(result.output, HasSubstr("\n  Sent Items (0 items)\n"));
  EXPECT_THAT(result.output, HasSubstr("\n  All Public Folders (0 items)\n"));
  EXPECT_EQ(Run({"items", "No Such Folder"}).exit_code, 1);
}

}  // namespace
}  // namespace vellumo
