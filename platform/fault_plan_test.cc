#include "platform/fault_plan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <source_location>
#include <string>
#include <vector>

#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using ::testing::StartsWith;

std::vector<std::string>* g_reported = nullptr;

// Swaps the test program's reporter for one that records, for as long as it lives.
class RecordingReporter {
 public:
  RecordingReporter() : previous_(FaultLedger::reporter()) {
    g_reported = &reported;
    FaultLedger::SetReporter([](const char* file, int line, const std::string& plan) {
      g_reported->push_back(std::string(file) + ":" + std::to_string(line) + ": " + plan);
    });
  }
  ~RecordingReporter() {
    FaultLedger::SetReporter(previous_);
    g_reported = nullptr;
  }
  std::vector<std::string> reported;

 private:
  FaultLedger::Reporter previous_;
};

TEST(FaultLedger, ReportsEachRequiredPlanThatNeverFiredWithWhereItWasPlanned) {
  RecordingReporter recorder;
  const std::source_location here = std::source_location::current();
  {
    FaultLedger ledger;
    const size_t fired = ledger.Plan("ReadFile on 'a'", Firing::kRequired, here);
    ledger.Plan("WriteFile on 'b'", Firing::kRequired, here);
    ledger.Plan("Rename on 'c'", Firing::kOptional, here);
    ledger.Fire(fired);
    EXPECT_TRUE(ledger.fired(fired));
    EXPECT_THAT(ledger.Unfired(), ElementsAre(std::string(here.file_name()) + ":" +
                                              std::to_string(here.line()) + ": WriteFile on 'b'"));
    ledger.Report();
    ledger.Report();  // once only
    EXPECT_THAT(recorder.reported, SizeIs(1));
  }
  ASSERT_THAT(recorder.reported, SizeIs(1)) << "not again when the ledger goes";
  EXPECT_THAT(recorder.reported[0], StartsWith(std::string(here.file_name()) + ":"));
  EXPECT_THAT(recorder.reported[0], HasSubstr("never fired: WriteFile on 'b'"));
}

TEST(FaultLedger, WithoutAReporterNothingIsReported) {
  const FaultLedger::Reporter previous = FaultLedger::reporter();
  FaultLedger::SetReporter(nullptr);
  {
    FaultLedger ledger;
    ledger.Plan("unfired", Firing::kRequired, std::source_location::current());
    EXPECT_THAT(ledger.Unfired(), SizeIs(1));
  }  // a benchmark or program that plans and never fires goes on quietly
  FaultLedger::SetReporter(previous);
}

TEST(FaultLedger, TheTestProgramsFailATestWhosePlanNeverFired) {
  // The reporter every test program links in (fault_check_gtest.cc) is installed.
  EXPECT_NE(FaultLedger::reporter(), nullptr);
}

TEST(FaultyFileSystem, APlanThatMatchesNoCallIsUnfiredUntilOneMatches) {
  RecordingReporter recorder;
  MemFileSystem mem;
  mem.AddFile("/data/sig.htm", "x");
  {
    FaultyFileSystem fs(mem);
    fs.FailOn(FaultyFileSystem::Call::kReadFile, "sig.htm", ErrorCode::kPermissionDenied, 1);
    fs.FailOn(FaultyFileSystem::Call::kWriteFile, "sig.htm", ErrorCode::kDiskFull);
    fs.FailOn(FaultyFileSystem::Call::kRename, "", ErrorCode::kDiskFull, -1, Firing::kOptional);
    EXPECT_THAT(fs.ledger().Unfired(), SizeIs(2));
    (void)fs.FileExists("/data/sig.htm");  // another member: no fire
    EXPECT_THAT(fs.ledger().Unfired(), SizeIs(2));
    EXPECT_THROW((void)fs.ReadFile("/data/SIG.HTM"), Error);
    ASSERT_THAT(fs.ledger().Unfired(), SizeIs(1));
    EXPECT_THAT(fs.ledger().Unfired()[0], HasSubstr("WriteFile on 'sig.htm'"));
    fs.ClearFailures();  // clearing does not excuse a plan that never fired
  }
  ASSERT_THAT(recorder.reported, SizeIs(1));
  EXPECT_THAT(recorder.reported[0], HasSubstr("fault_plan_test.cc:"));
  EXPECT_THAT(recorder.reported[0], HasSubstr("WriteFile on 'sig.htm'"));
}

TEST(FaultyRegistry, AReplacedPlanThatNeverFiredIsStillReported) {
  RecordingReporter recorder;
  MemRegistry mem;
  {
    FaultyRegistry registry(mem);
    registry.Fail(FaultyRegistry::Call::kSetValue, ErrorCode::kDiskFull, 1, 3);
    (void)registry.GetValue("HKEY_CURRENT_USER\\Software", "x");
    registry.Fail(FaultyRegistry::Call::kGetValue);  // the first never had its chance
    EXPECT_THROW((void)registry.GetValue("HKEY_CURRENT_USER\\Software", "x"), Error);
    registry.Fail(FaultyRegistry::Call::kApply, ErrorCode::kDiskFull, 1, 0, Firing::kOptional);
  }
  ASSERT_THAT(recorder.reported, SizeIs(1));
  EXPECT_THAT(recorder.reported[0], HasSubstr("registry SetValue after 3 more"));
}

TEST(FaultyFileSystem, EveryMemberHasItsName) {
  EXPECT_EQ(FaultyFileSystem::CallName(FaultyFileSystem::Call::kAny), "*");
  EXPECT_EQ(FaultyFileSystem::CallName(FaultyFileSystem::Call::kRemoveStaleTemporaries),
            "RemoveStaleTemporaries");
  MemFileSystem mem;
  FaultyFileSystem fs(mem);
  fs.FailOn(FaultyFileSystem::Call::kRemoveStaleTemporaries, "box", ErrorCode::kPermissionDenied);
  EXPECT_THROW((void)fs.RemoveStaleTemporaries("/box/tmp", 0, true), Error);
  EXPECT_THAT(fs.ledger().Unfired(), IsEmpty());
}

}  // namespace
}  // namespace vellumo
