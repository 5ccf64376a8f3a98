// The record's line table walk and the system block's pieces, on their own.
#include "common/diagnostics/error_record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "base/error.h"
#include "common/diagnostics/log.h"
#include "platform/fixed_system_info.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_registry.h"

namespace vellumo {
namespace {

TEST(SystemBlock, PlatformLineNamesClassicWindowsOrTheRealSystem) {
  OsVersion version;
  version.major = 5;
  version.minor = 1;
  version.build = 2600;
  version.platform_id = 2;
  EXPECT_EQ(PlatformText(version), "Windows NT 5.1 (Build 2600)");
  version.platform_id = 1;
  EXPECT_EQ(PlatformText(version), "Windows 95 5.1 (Build 2600)");
  version.platform_id = 0;
  EXPECT_EQ(PlatformText(version), "Windows 32s 5.1 (Build 2600)");

  version.platform_id = 100;
  EXPECT_EQ(PlatformText(version), "5.1 (Build 2600)");  // nothing else known about it
  version.name = "Linux";
  EXPECT_EQ(PlatformText(version), "Linux 5.1 (Build 2600)");
  version.release = "6.1.0-18-amd64";
  EXPECT_EQ(PlatformText(version), "Linux 6.1.0-18-amd64");
}

TEST(SystemBlock, ProcessorAndEditorNamesComeFromTheirTables) {
  EXPECT_EQ(ProcessorText(386), "Intel 386");
  EXPECT_EQ(ProcessorText(486), "Intel 486");
  EXPECT_EQ(ProcessorText(586), "Intel Pentium");
  EXPECT_EQ(ProcessorText(4000), "MIPS R4000");
  EXPECT_EQ(ProcessorText(21064), "DEC Alpha 21064");
  EXPECT_EQ(ProcessorText(0), "(unknown)");
  EXPECT_EQ(ProcessorText(8664), "(unknown)");

  EXPECT_EQ(EditorTypeLine(1), "Editor type: Text\r\n");
  EXPECT_EQ(EditorTypeLine(2), "Editor type: HTML\r\n");
  EXPECT_EQ(EditorTypeLine(3), "Editor type: RTF\r\n");
  EXPECT_EQ(EditorTypeLine(4), "Editor type: WORD\r\n");
  EXPECT_EQ(EditorTypeLine(0), "Editor type: unknown\r\n");
  EXPECT_EQ(EditorTypeLine(5), "Editor type: unknown\r\n");
  EXPECT_EQ(WordEditorLine(true), "Word as editor: true\r\n");
  EXPECT_EQ(WordEditorLine(false), "Word as editor: false\r\n");
}

TEST(SystemBlock, MemoryIsKilobytesInSixtyFourBitsGroupedWithK) {
  EXPECT_EQ(KilobyteText(1023), "K");  // the grouping prints no digits for zero
  EXPECT_EQ(KilobyteText(0), "K");
  EXPECT_EQ(KilobyteText(1024), "1K");
  EXPECT_EQ(KilobyteText(2047), "1K");
  EXPECT_EQ(KilobyteText(1024ull * 1000), "1,000K");
  // Past the 2 GB a 32-bit signed count holds, and past 4 GB.
  EXPECT_EQ(KilobyteText(3ull << 30), "3,145,728K");
  EXPECT_EQ(KilobyteText(1ull << 40), "1,073,741,824K");

  MemoryStatus memory{100, 2048, 1ull << 33, 5000};
  EXPECT_EQ(MemoryLines(memory),
            "Total Physical Memory: K\r\n"
            "Available Physical Memory: 2K\r\n"
            "Total Virtual Memory: 8,388,608K\r\n"
            "Available Virtual Memory: 4K\r\n");
}

TEST(SystemBlock, BlockHasEmptyLinesAfterEachPart) {
  FixedSystemInfo system;
  system.version.platform_id = 2;
  system.version.major = 5;
  system.version.minor = 0;
  system.version.build = 2195;
  system.processor_type = 486;
  system.memory = {1024, 2048, 3072, 4096};
  EXPECT_EQ(BuildSystemBlock(system),
            "Windows NT 5.0 (Build 2195)\r\n\r\n"
            "CPU: Intel 486\r\n\r\n"
            "Total Physical Memory: 1K\r\n"
            "Available Physical Memory: 2K\r\n"
            "Total Virtual Memory: 3K\r\n"
            "Available Virtual Memory: 4K\r\n\r\n");
}

class RecordTest : public ::testing::Test {
 protected:
  MemRegistry registry_;
  Settings settings_{registry_};
  mail::MemApplication app_;
  Failure failure_{"Overflow", "ol_ItemSend", "olSendItem_Err"};
  ProgramInfo program_{4, 0, 12, "c", "d"};
};

TEST_F(RecordTest, AddInRecordHasEighteenLinesInOrder) {
  settings_.SaveSetting(kVellumo, "Admin Settings", "Signatures Path", "C:\\sigs");
  settings_.SaveSetting(kVellumo, "User Settings", "PromptOnReplies", "True");
  const RecordContext context{failure_, "01-02-2027 03:04:05", program_, "C:\\app", settings_,
                              &app_};
  const std::string record = BuildRecord(kAddInRecord, context);
  EXPECT_EQ(record,
            "Date (mdy): 01-02-2027 03:04:05\r\nDescription: Overflow\r\n"
            "Sub/function: ol_ItemSend\r\nSection: olSendItem_Err\r\n"
            "Outlook Version: 11.0.8312\r\nVellumo Version: 4.0.12\r\n"
            "Vellumo Version Comments: c\r\nVellumo Version Description: d\r\n"
            "Application System path: C:\\app\r\nTemplate: \r\nTemplate path: \r\n"
            "Signature: \r\nSignature path: C:\\sigs\r\nSuppressMailItemToolbar: \r\n"
            "SysTray: \r\nSuppressToolbar: \r\nPromptOnReplies: True\r\nReply as is: \r\n");
  EXPECT_EQ(kAddInRecord.size(), 18u);
  EXPECT_EQ(kOptionsPageRecord.size(), 9u);
}

TEST_F(RecordTest, FailingLineIsLeftOutAndReported) {
  app_.FailMember(mail::Member::kApplicationVersion, Error(ErrorCode::kNotSupported));
  const RecordContext context{failure_, "t", program_, "C:\\app", settings_, &app_};
  std::vector<std::string> failures;
  const std::string record = BuildRecord(kOptionsPageRecord, context, [&](const std::exception& e) {
    failures.push_back(DescriptionOf(e));
  });
  EXPECT_EQ(record.find("Outlook Version"), std::string::npos);
  EXPECT_NE(record.find("Sub/function: ol_ItemSend\r\nSection: olSendItem_Err\r\nVellumo "
                        "Version: 4.0.12\r\n"),
            std::string::npos);
  EXPECT_THAT(failures, ::testing::ElementsAre("Object doesn't support this property or method"));

  EXPECT_THROW(BuildRecord(kOptionsPageRecord, context), Error) << "no handler: passes through";
}

}  // namespace
}  // namespace vellumo
