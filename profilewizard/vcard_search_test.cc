#include "profilewizard/vcard_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "common/diagnostics/diagnostics_fixture.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"

namespace vellumo::profilewizard {
namespace {

const std::string kStart(CFSOFindFile::kStartFolder);
const std::string kAnnDocs = kStart + "\\ann\\My Documents";

// A MemFileSystem whose start folder also lists `folders` empty folders ("p10000", ...) and whose
// kAnnDocs lists `files` plain files ("f10000.txt", ...) that exist only in those listings, so a
// walk of thousands of steps costs no set-up. Listings stay sorted.
class WideTree final : public FileSystem {
 public:
  WideTree(MemFileSystem& mem, int folders, int files = 0)
      : mem_(mem), folders_(folders), files_(files) {}
  std::vector<std::string> ListFolders(std::string_view folder) override {
    std::vector<std::string> names = mem_.ListFolders(folder);
    if (folder == kStart) {
      for (int i = 0; i < folders_; ++i) names.push_back("p" + std::to_string(10000 + i));
    }
    SortNames(names);
    return names;
  }
  std::vector<std::string> ListFiles(std::string_view folder, std::string_view pattern) override {
    std::vector<std::string> names = mem_.ListFiles(folder, pattern);
    if (folder == kAnnDocs) {
      for (int i = 0; i < files_; ++i) names.push_back("f" + std::to_string(10000 + i) + ".txt");
    }
    SortNames(names);
    return names;
  }
  std::string ReadFile(std::string_view path) override { return mem_.ReadFile(path); }
  void WriteFile(std::string_view path, std::string_view data) override {
    mem_.WriteFile(path, data);
  }
  void AppendFile(std::string_view path, std::string_view data) override {
    mem_.AppendFile(path, data);
  }
  bool FileExists(std::string_view path) override { return mem_.FileExists(path); }
  bool FolderExists(std::string_view path) override { return mem_.FolderExists(path); }
  uint64_t FileSize(std::string_view path) override { return mem_.FileSize(path); }
  void Copy(std::string_view from, std::string_view to, bool overwrite) override {
    mem_.Copy(from, to, overwrite);
  }
  void RemoveFile(std::string_view path) override { mem_.RemoveFile(path); }
  void CreateFolder(std::string_view path) override { mem_.CreateFolder(path); }
  void RemoveFolder(std::string_view path) override { mem_.RemoveFolder(path); }
  void Rename(std::string_view from, std::string_view to) override { mem_.Rename(from, to); }
  std::string NativePath(std::string_view path) override { return mem_.NativePath(path); }

 private:
  MemFileSystem& mem_;
  int folders_;
  int files_;
};

class VCardSearchTest : public ::testing::Test {
 protected:
  CFSOFindFile Finder(FileSystem& fs) {
    return CFSOFindFile(
        fs, [this](int value) { steps_.push_back(value); },
        [this] {
          ++questions_;
          steps_at_question_ = steps_.size();
          return answer_;
        });
  }
  std::string Find(FileSystem& fs) {
    CFSOFindFile finder = Finder(fs);
    return finder.FindFile(kStart, CFSOFindFile::kVCardExtension);
  }
  // n files that are not vCards, named so they sort before "z" (few: each costs a listing).
  void AddPlainFiles(const std::string& folder, int n) {
    for (int i = 0; i < n; ++i)
      fs_.AddFile(folder + "\\f" + std::to_string(100000 + i) + ".txt", "");
  }
  MemFileSystem fs_;
  std::vector<int> steps_;
  int questions_ = 0;
  size_t steps_at_question_ = 0;
  bool answer_ = true;
};

TEST_F(VCardSearchTest, FindsTheFirstCardInAMyDocumentsFolderInFileOrder) {
  fs_.AddFile(kAnnDocs + "\\notes.txt", "");
  fs_.AddFile(kAnnDocs + "\\zed.vcf", "");
  fs_.AddFile(kAnnDocs + "\\Ann Lee.VCF", "");
  EXPECT_EQ(Find(fs_), kAnnDocs + "\\Ann Lee.VCF");
}

TEST_F(VCardSearchTest, LooksOnlyInsideMyDocumentsFoldersAndTheirSubfolders) {
  fs_.AddFile(kStart + "\\ann\\Desktop\\desk.vcf", "");
  fs_.AddFile(kStart + "\\bob\\my documents\\lower.vcf", "");  // the test is case-sensitive
  EXPECT_EQ(Find(fs_), "");
  fs_.AddFile(kAnnDocs + "\\Cards\\old\\ann.vcf", "");
  EXPECT_EQ(Find(fs_), kAnnDocs + "\\Cards\\old\\ann.vcf");
}

TEST_F(VCardSearchTest, TheNameNeedOnlyContainTheExtension) {
  fs_.AddFile(kAnnDocs + "\\a.vcfx", "");
  fs_.AddFile(kAnnDocs + "\\b.vcf.bak", "");
  fs_.AddFile(kAnnDocs + "\\c.vcf", "");
  EXPECT_EQ(Find(fs_), kAnnDocs + "\\a.vcfx");
  fs_.RemoveFile(kAnnDocs + "\\a.vcfx");
  EXPECT_EQ(Find(fs_), kAnnDocs + "\\b.vcf.bak");
  fs_.AddFile(kStart + "\\bob\\My Documents\\myvcf.txt", "");
  CFSOFindFile finder = Finder(fs_);
  EXPECT_EQ(finder.FindFile(kStart + "\\bob", ".vcf"), "");
  EXPECT_EQ(finder.FindFile(kStart, ""), "");
}

// Depth-first: the whole of ann's tree is searched before bob's nearer My Documents.
TEST_F(VCardSearchTest, WalksDepthFirstInFolderOrder) {
  fs_.AddFile(kStart + "\\ann\\Work\\Archive\\My Documents\\deep.vcf", "");
  fs_.AddFile(kStart + "\\bob\\My Documents\\bob.vcf", "");
  EXPECT_EQ(Find(fs_), kStart + "\\ann\\Work\\Archive\\My Documents\\deep.vcf");
}

TEST_F(VCardSearchTest, MovesTheBarOncePerFolderOutsideAndOncePerFileInside) {
  fs_.AddFile(kAnnDocs + "\\a.txt", "");
  fs_.AddFile(kAnnDocs + "\\b.txt", "");
  fs_.AddFile(kAnnDocs + "\\c.vcf", "");
  fs_.AddFile(kAnnDocs + "\\d.txt", "");
  fs_.AddFolder(kStart + "\\zed");
  CFSOFindFile finder = Finder(fs_);
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), kAnnDocs + "\\c.vcf");
  // start, ann, then a, b, c; d and the folders after the find are never reached.
  EXPECT_EQ(steps_, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(finder.found());
  EXPECT_EQ(finder.found_path(), kAnnDocs + "\\c.vcf");
  EXPECT_EQ(finder.progress(), 5);
  EXPECT_FALSE(finder.stopped());
}

TEST_F(VCardSearchTest, AsksOnceAtTheSecondWrapAndGoesOnAfterYes) {
  const int folders = 3 * CFSOFindFile::kProgressWrap;
  WideTree fs(fs_, folders);
  const std::string docs = kStart + "\\zz\\My Documents";
  AddPlainFiles(docs, 10);
  fs_.AddFile(docs + "\\zz.vcf", "");
  CFSOFindFile finder = Finder(fs);
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), docs + "\\zz.vcf");
  EXPECT_EQ(questions_, 1);
  EXPECT_EQ(steps_at_question_, 2u * CFSOFindFile::kProgressWrap);
  EXPECT_EQ(steps_[steps_at_question_ - 1], 0);
  // The start folder, the plain folders, zz, its ten files and the card.
  EXPECT_EQ(steps_.size(), 1u + folders + 1 + 10 + 1);
  EXPECT_EQ(*std::max_element(steps_.begin(), steps_.end()), CFSOFindFile::kProgressWrap - 1);
  EXPECT_EQ(finder.wrap_count(), 3);
  EXPECT_TRUE(finder.asked_to_continue());
}

TEST_F(VCardSearchTest, NoToTheQuestionStopsTheWholeSearch) {
  WideTree fs(fs_, 2 * CFSOFindFile::kProgressWrap);
  fs_.AddFile(kStart + "\\zz\\My Documents\\zz.vcf", "");
  answer_ = false;
  CFSOFindFile finder = Finder(fs);
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), "");
  EXPECT_EQ(questions_, 1);
  EXPECT_EQ(steps_.size(), steps_at_question_);
  EXPECT_EQ(steps_at_question_, 2u * CFSOFindFile::kProgressWrap);
  EXPECT_TRUE(finder.stopped());
  EXPECT_FALSE(finder.found());

  // The stop holds until Reset; then a new search starts afresh.
  fs_.AddFile(kStart + "\\a\\My Documents\\a.vcf", "");
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), "");
  finder.Reset();
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), kStart + "\\a\\My Documents\\a.vcf");
  EXPECT_FALSE(finder.stopped());
  EXPECT_EQ(finder.wrap_count(), 0);
}

// Examined files wrap the bar as passed folders do.
TEST_F(VCardSearchTest, FilesExaminedCountTowardsTheWrap) {
  WideTree fs(fs_, 0, CFSOFindFile::kProgressWrap);
  fs_.AddFile(kAnnDocs + "\\zz.vcf", "");
  CFSOFindFile finder = Finder(fs);
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), kAnnDocs + "\\zz.vcf");
  EXPECT_EQ(finder.wrap_count(), 1);
  EXPECT_EQ(finder.progress(), 3);  // start, ann, the plain files, the card: 4753 steps
  EXPECT_EQ(questions_, 0);
}

TEST_F(VCardSearchTest, TheQuestionThroughTheWindowLayer) {
  testing::BoxRecorder host;
  host.answers.push_back(ui::kNo);
  EXPECT_FALSE(CFSOFindFile::AskThrough(host)());
  host.answers.push_back(ui::kYes);
  EXPECT_TRUE(CFSOFindFile::AskThrough(host)());
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[0].prompt,
            "The Wizard cannot find the vCards in the usual vCard folder.\r\n"
            "Do you want to continue searching for a vCard?");
  EXPECT_EQ(host.boxes[0].title, "Searching for your vCards");
  EXPECT_EQ(host.boxes[0].style, ui::kYesNo);
}

// The window cancels from its own thread while the search runs on another.
TEST_F(VCardSearchTest, StopFromAnotherThreadEndsTheSearch) {
  AddPlainFiles(kAnnDocs, 200);
  fs_.AddFile(kAnnDocs + "\\zz.vcf", "");
  std::promise<void> running;
  CFSOFindFile* finder_seen = nullptr;
  int steps = 0;
  CFSOFindFile finder(fs_,
                      [&](int) {
                        if (++steps != 50) return;
                        running.set_value();
                        while (!finder_seen->stopped()) std::this_thread::yield();
                      },
                      {});
  finder_seen = &finder;
  std::string result = "not run";
  std::thread search([&] { result = finder.FindFile(kStart, ".vcf"); });
  running.get_future().wait();
  finder.Stop();
  search.join();
  EXPECT_EQ(result, "");
  EXPECT_EQ(steps, 50);
  EXPECT_TRUE(finder.stopped());
}

TEST_F(VCardSearchTest, AStopBeforeTheSearchStartedStillCancelsIt) {
  fs_.AddFile(kAnnDocs + "\\ann.vcf", "");
  CFSOFindFile finder = Finder(fs_);
  finder.Stop();
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), "");
  EXPECT_TRUE(steps_.empty());
}

TEST_F(VCardSearchTest, UnreadableFoldersAreSkippedAndTheSearchGoesOn) {
  fs_.AddFile(kStart + "\\ann\\Locked\\My Documents\\ann.vcf", "");
  fs_.AddFile(kStart + "\\bob\\My Documents\\old.vcf", "");
  fs_.AddFile(kStart + "\\cat\\My Documents\\cat.vcf", "");
  FaultyFileSystem fs(fs_);
  fs.FailOn(FaultyFileSystem::Call::kListFolders, "\\Locked", ErrorCode::kPermissionDenied);
  fs.FailOn(FaultyFileSystem::Call::kListFiles, "\\bob\\", ErrorCode::kPermissionDenied);
  CFSOFindFile finder = Finder(fs);
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), kStart + "\\cat\\My Documents\\cat.vcf");
  ASSERT_EQ(finder.skipped().size(), 2u);
  EXPECT_EQ(finder.skipped()[0].folder, kStart + "\\ann\\Locked");
  EXPECT_NE(finder.skipped()[0].reason.find("Permission denied"), std::string::npos);
  EXPECT_EQ(finder.skipped()[1].folder, kStart + "\\bob\\My Documents");
}

TEST_F(VCardSearchTest, AMissingStartFolderFindsNothing) {
  CFSOFindFile finder = Finder(fs_);
  EXPECT_EQ(finder.FindFile("C:\\nowhere", ".vcf"), "");
  EXPECT_TRUE(finder.skipped().empty());
  EXPECT_EQ(steps_.size(), 1u);
}

// A folder link pointing back up the tree would nest names without end; the path limit ends it.
TEST_F(VCardSearchTest, FoldersBeyondThePathLimitAreSkipped) {
  std::string deep = kStart + "\\ann";
  while (deep.size() <= CFSOFindFile::kMaxPath) deep += "\\loop";
  fs_.AddFile(deep + "\\My Documents\\lost.vcf", "");
  CFSOFindFile finder = Finder(fs_);
  EXPECT_EQ(finder.FindFile(kStart, ".vcf"), "");
  ASSERT_EQ(finder.skipped().size(), 1u);
  EXPECT_EQ(finder.skipped()[0].folder, deep);
}

}  // namespace
}  // namespace vellumo::profilewizard
